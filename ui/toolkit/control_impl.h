// An existing child control whose window procedure is replaced, so that the object sees the
// control's messages (the reflected notifications among them) and passes the rest on. The layer
// sits on top of the control's own class `T`.
#pragma once

#include "base/kestrov_exception.h"
#include "ui/toolkit/failure_boundary.h"
#include "ui/toolkit/window.h"

#include <exception>
#include <utility>

namespace kestrov::winapi {

template <typename T>
class control_impl : public T {
public:
    control_impl() = default;
    // Puts the control's own procedure back before the object goes, so the control never calls
    // into a destroyed object.
    ~control_impl() override {
        try {
            control_impl::destroy();
        } catch (const std::exception&) {
        }
    }

    // The detach: the control's own procedure back (when the control still exists), then the
    // window part, which destroys the control only when this object made it.
    void destroy() override {
        restore_procedure(false);
        T::destroy();
    }

    // Passes the message to the control's own procedure.
    virtual LRESULT window_proc(UINT message, WPARAM wparam, LPARAM lparam) {
        return CallWindowProcW(previous_proc, this->handle, message, wparam, lparam);
    }

    // Binds to `control` and subclasses it. A control bound before is released first, with its own
    // procedure put back.
    void attach(HWND control) {
        require_window(control);
        destroy();
        this->handle = control;
        this->owned = false;
        subclass();
    }

    // Replaces the control's procedure, once. The user data goes first, so the very first message
    // the new procedure receives finds the object.
    void subclass() {
        if (previous_proc != nullptr) {
            return;
        }
        SetLastError(0);
        if (SetWindowLongPtrW(this->handle, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this)) == 0 &&
            GetLastError() != 0) {
            raise_last_error();
        }
        previous_proc = reinterpret_cast<WNDPROC>(SetWindowLongPtrW(
            this->handle, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&static_subclass_proc)));
        if (previous_proc == nullptr) {
            raise_last_error();
        }
    }

    // A failed message is answered with 0 and not passed on: the control's own procedure would
    // act on a message whose handling broke off half way.
    static LRESULT CALLBACK static_subclass_proc(HWND hwnd, UINT message, WPARAM wparam,
                                                 LPARAM lparam) {
        return guarded(
            hwnd,
            [&] {
                auto* object =
                    reinterpret_cast<control_impl*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
                if (object == nullptr) {
                    raise_last_error();
                }
                return object->window_proc(message, wparam, lparam);
            },
            LRESULT{0});
    }

    WNDPROC previous_proc = nullptr;

protected:
    // Puts the control's own procedure back when the control still exists. Controls whose detach
    // must report a failure ask for it to raise.
    void restore_procedure(bool raise_on_failure) {
        if (previous_proc != nullptr && IsWindow(this->handle)) {
            SetLastError(0);
            if (SetWindowLongPtrW(this->handle, GWLP_WNDPROC,
                                  reinterpret_cast<LONG_PTR>(previous_proc)) == 0 &&
                GetLastError() != 0 && raise_on_failure) {
                raise_last_error();
            }
        }
        previous_proc = nullptr;
    }
};

} // namespace kestrov::winapi
