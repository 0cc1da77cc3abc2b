#include "ui/toolkit/dialog_impl.h"

#include "base/kestrov_exception.h"
#include "ui/toolkit/failure_boundary.h"
#include "ui/toolkit/reflection.h"

#include <exception>

namespace kestrov::winapi {

INT_PTR CALLBACK static_dialog_proc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_INITDIALOG) {
        auto* object = reinterpret_cast<dialog_impl*>(lparam);
        SetWindowLongPtrW(hwnd, DWLP_USER, lparam);
        object->handle = hwnd;
        return guarded(
            hwnd, [&] { return object->on_init_dialog(reinterpret_cast<HWND>(wparam)); },
            INT_PTR{FALSE});
    }
    // Messages before WM_INITDIALOG (WM_SETFONT among them) find no object and are not handled.
    auto* object = reinterpret_cast<dialog_impl*>(GetWindowLongPtrW(hwnd, DWLP_USER));
    if (object == nullptr) {
        return 0;
    }
    // A failed message counts as handled: the system must not act on it as if nothing had gone
    // wrong.
    return guarded(
        hwnd, [&] { return object->dialog_proc(message, wparam, lparam); }, INT_PTR{TRUE});
}

void dialog_impl::on_failure_kept() {
    if (IsWindow(handle)) {
        EndDialog(handle, IDABORT);
    }
}

dialog_impl::~dialog_impl() {
    // As for top-level windows: what the window says while it is destroyed here must not reach an
    // object whose derived parts are already gone.
    if (handle != nullptr && IsWindow(handle) &&
        GetWindowLongPtrW(handle, DWLP_USER) == reinterpret_cast<LONG_PTR>(this)) {
        SetWindowLongPtrW(handle, DWLP_USER, 0);
    }
    try {
        dialog_impl::destroy();
    } catch (const std::exception&) {
    }
}

void dialog_impl::destroy() {
    if (IsWindow(handle) && !DestroyWindow(handle)) {
        raise_last_error();
    }
    handle = nullptr;
}

INT_PTR dialog_impl::dialog_proc(UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_COMMAND) {
        if (LOWORD(wparam) == IDOK) {
            on_ok();
        } else if (LOWORD(wparam) == IDCANCEL) {
            on_cancel();
        }
    }
    if (message == WM_CTLCOLORDLG) {
        return system_background ? 0 : reinterpret_cast<INT_PTR>(GetSysColorBrush(COLOR_WINDOW));
    }
    LRESULT result = 0;
    if (reflect(handle, message, wparam, lparam, result)) {
        return result;
    }
    return 0;
}

INT_PTR dialog_impl::on_init_dialog(HWND) {
    return TRUE;
}

void dialog_impl::on_ok() {
    if (modal) {
        end_dialog(IDOK);
    }
}

void dialog_impl::on_cancel() {
    if (modal) {
        end_dialog(IDCANCEL);
    }
}

void dialog_impl::end_dialog(INT_PTR result) {
    if (!IsWindow(handle) || !EndDialog(handle, result)) {
        raise_last_error();
    }
}

window dialog_impl::item(int control_id) const {
    const HWND control = GetDlgItem(handle, control_id);
    if (!IsWindow(control)) {
        raise_last_error();
    }
    return window(control);
}

std::wstring dialog_impl::item_text(int control_id) const {
    return item(control_id).text();
}

INT_PTR run_modal(dialog_impl& dialog, int template_id, HWND owner) {
    const HINSTANCE instance = this_module();
    if (instance == nullptr) {
        raise_last_error();
    }
    // Nothing more is shown once something has failed: the failure is on its way out.
    if (failure_kept()) {
        return IDABORT;
    }
    dialog.modal = true;
    INT_PTR result = -1;
    {
        const running_modal running(dialog);
        result = DialogBoxParamW(instance, MAKEINTRESOURCEW(template_id), owner, static_dialog_proc,
                                 reinterpret_cast<LPARAM>(&dialog));
    }
    if (failure_kept_in(dialog)) {
        raise_kept_failure();
    }
    if (failure_kept()) {
        // It arose outside this dialog and goes on outward: the dialog around this one ends too.
        end_innermost_modal();
        return IDABORT;
    }
    if (result == -1) {
        raise_last_error();
    }
    return result;
}

} // namespace kestrov::winapi
