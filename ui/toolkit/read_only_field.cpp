#include "ui/toolkit/read_only_field.h"

namespace kestrov::winapi {

namespace {

// The character that Ctrl+A makes.
constexpr WPARAM ctrl_a_character = 0x01;

} // namespace

void read_only_field::attach(HWND field) {
    control_impl::attach(field);
    SendMessageW(handle, EM_SETLIMITTEXT, 0, 0);
}

LRESULT read_only_field::window_proc(UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_CHAR && wparam == ctrl_a_character) {
        SendMessageW(handle, EM_SETSEL, 0, -1);
        return 0;
    }
    if (message == WM_GETDLGCODE) {
        // Everything an edit of many lines asks for but the keys of the dialog itself.
        return control_impl::window_proc(message, wparam, lparam) &
               ~static_cast<LRESULT>(DLGC_WANTALLKEYS | DLGC_WANTTAB);
    }
    return control_impl::window_proc(message, wparam, lparam);
}

} // namespace kestrov::winapi
