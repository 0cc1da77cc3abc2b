// A top-level window with a registered class and a virtual message handler. The class's procedure
// binds window and object at WM_NCCREATE, where creation starts: from then on the window's user
// data points at the object, the object's handle is the window, and window_proc gets every
// message, WM_NCCREATE included.
#pragma once

#include "ui/toolkit/window.h"

namespace kestrov::winapi {

class window_impl : public window {
public:
    window_impl() = default;
    // Unbinds the window from this object before the window goes: messages sent while it is being
    // destroyed must not reach an object that is itself half destroyed.
    ~window_impl() override;

    virtual const wchar_t* class_name() const = 0;
    // Registers class_name() in this module; false, and nothing registered, when it already is.
    virtual bool register_class();
    // The object's message handler; the base does reflection and default handling only.
    virtual LRESULT window_proc(UINT message, WPARAM wparam, LPARAM lparam);

    // Reflects the notifications of child controls back to them; everything else, and every
    // notification without a child, goes to DefWindowProcW.
    LRESULT default_proc(UINT message, WPARAM wparam, LPARAM lparam);

    // Creates an overlapped window of the class at the default position and size, bound to this
    // object, which then owns it.
    void create(const wchar_t* class_name, const wchar_t* title, HINSTANCE instance);
};

// Registered with every window_impl class.
LRESULT CALLBACK static_window_proc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);

} // namespace kestrov::winapi
