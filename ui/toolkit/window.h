// The root of the window classes: a window handle and whether this object made the window and so
// must destroy it. Objects that only wrap a handle (a dialog item, a parent) leave the window
// alone.
#pragma once

#include <string>

#include <windows.h>

namespace kestrov::winapi {

// The program's own module: every class, template and resource is looked up there.
inline HINSTANCE this_module() {
    return GetModuleHandleW(nullptr);
}

// Raises kestrov_exception from the thread's last error unless `handle` is a window.
void require_window(HWND handle);

class window {
public:
    window() = default;
    // A non-owning object around an existing window; a handle that is neither null nor a window
    // raises.
    explicit window(HWND existing);
    // Objects are bound to their windows by address (the window's user data points back at
    // them), so they are never copied or moved.
    window(const window&) = delete;
    window& operator=(const window&) = delete;

    // Destroys the window when this object owns it and it still exists; always unbinds.
    virtual void destroy();
    // As destroy(), but a failure is dropped: a destructor cannot report it.
    virtual ~window();

    // The window text: WM_GETTEXTLENGTH, then WM_GETTEXT, which must agree.
    std::wstring text() const;
    // A non-owning object for the parent (GetAncestor with GA_PARENT).
    window parent() const;

    HWND handle = nullptr;
    bool owned = false;
};

} // namespace kestrov::winapi
