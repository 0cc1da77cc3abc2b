#include "ui/toolkit/reflection.h"

namespace kestrov::winapi {

namespace {

template <typename Struct>
const Struct* structure(LPARAM lparam) {
    return reinterpret_cast<const Struct*>(lparam);
}

HWND lparam_window(LPARAM lparam) {
    return reinterpret_cast<HWND>(lparam);
}

} // namespace

HWND reflection_target(HWND parent, UINT message, WPARAM wparam, LPARAM lparam) {
    // The structures are the system's; a null pointer is still refused rather than followed.
    switch (message) {
    case WM_DRAWITEM:
        return wparam != 0 && lparam != 0 ? structure<DRAWITEMSTRUCT>(lparam)->hwndItem : nullptr;
    case WM_MEASUREITEM:
        return wparam != 0 && lparam != 0
                   ? GetDlgItem(parent,
                                static_cast<int>(structure<MEASUREITEMSTRUCT>(lparam)->CtlID))
                   : nullptr;
    case WM_DELETEITEM:
        return wparam != 0 && lparam != 0 ? structure<DELETEITEMSTRUCT>(lparam)->hwndItem : nullptr;
    case WM_COMPAREITEM:
        return wparam != 0 && lparam != 0 ? structure<COMPAREITEMSTRUCT>(lparam)->hwndItem
                                          : nullptr;
    case WM_NOTIFY:
        return lparam != 0 ? structure<NMHDR>(lparam)->hwndFrom : nullptr;
    case WM_VKEYTOITEM:
    case WM_COMMAND:
    case WM_HSCROLL:
    case WM_VSCROLL:
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
        return lparam_window(lparam);
    case WM_PARENTNOTIFY:
        // Creation and destruction name the child; a click names only the child's id.
        if (LOWORD(wparam) == WM_CREATE || LOWORD(wparam) == WM_DESTROY) {
            return lparam_window(lparam);
        }
        return GetDlgItem(parent, HIWORD(wparam));
    default:
        return nullptr;
    }
}

bool reflect(HWND parent, UINT message, WPARAM wparam, LPARAM lparam, LRESULT& result) {
    const HWND child = reflection_target(parent, message, wparam, lparam);
    if (child == nullptr) {
        return false;
    }
    result = SendMessageW(child, message + reflected_offset, wparam, lparam);
    return true;
}

} // namespace kestrov::winapi
