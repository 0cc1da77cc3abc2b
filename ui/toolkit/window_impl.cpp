#include "ui/toolkit/window_impl.h"

#include "base/kestrov_exception.h"
#include "ui/toolkit/failure_boundary.h"
#include "ui/toolkit/reflection.h"

#include <exception>

namespace kestrov::winapi {

LRESULT CALLBACK static_window_proc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
    // Window and object are bound at WM_NCCREATE, where creation starts: from there on the
    // window's user data holds the object and the object holds the window, so the object's handler
    // sees every message with its handle set, those sent while CreateWindowExW runs included. The
    // few messages that come before WM_NCCREATE (WM_GETMINMAXINFO) go to the default procedure.
    if (message == WM_NCCREATE) {
        const auto* creation = reinterpret_cast<const CREATESTRUCTW*>(lparam);
        auto* created = static_cast<window_impl*>(creation->lpCreateParams);
        if (created != nullptr) {
            SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(created));
            created->handle = hwnd;
        }
    }
    auto* object = reinterpret_cast<window_impl*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (object != nullptr) {
        // A failed WM_NCCREATE answers 0 as well, so a window whose creation failed is not made.
        return guarded(
            hwnd, [&] { return object->window_proc(message, wparam, lparam); }, LRESULT{0});
    }
    return DefWindowProcW(hwnd, message, wparam, lparam);
}

window_impl::~window_impl() {
    if (handle != nullptr && IsWindow(handle) &&
        GetWindowLongPtrW(handle, GWLP_USERDATA) == reinterpret_cast<LONG_PTR>(this)) {
        SetWindowLongPtrW(handle, GWLP_USERDATA, 0);
    }
    try {
        window::destroy();
    } catch (const std::exception&) {
    }
}

bool window_impl::register_class() {
    const HINSTANCE instance = this_module();
    WNDCLASSEXW found{};
    found.cbSize = sizeof found;
    if (GetClassInfoExW(instance, class_name(), &found)) {
        return false;
    }
    WNDCLASSEXW description{};
    description.cbSize = sizeof description;
    description.style = CS_HREDRAW | CS_VREDRAW;
    description.lpfnWndProc = static_window_proc;
    description.hInstance = instance;
    description.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    description.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    description.lpszClassName = class_name();
    if (RegisterClassExW(&description) == 0) {
        raise_last_error();
    }
    return true;
}

LRESULT window_impl::window_proc(UINT message, WPARAM wparam, LPARAM lparam) {
    return default_proc(message, wparam, lparam);
}

LRESULT window_impl::default_proc(UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_CTLCOLORDLG) {
        return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_WINDOW));
    }
    LRESULT result = 0;
    if (reflect(handle, message, wparam, lparam, result)) {
        return result;
    }
    return DefWindowProcW(handle, message, wparam, lparam);
}

void window_impl::create(const wchar_t* class_name, const wchar_t* title, HINSTANCE instance) {
    destroy();
    const HWND created =
        CreateWindowExW(0, class_name, title, WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT,
                        CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, instance, this);
    if (created == nullptr) {
        // WM_NCCREATE may have bound a window that creation then destroyed again.
        handle = nullptr;
        raise_last_error();
    }
    handle = created;
    owned = true;
}

} // namespace kestrov::winapi
