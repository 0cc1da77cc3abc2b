// What the three bars (toolbar, rebar, status bar) share: their windows belong to the bar objects,
// which destroy them whatever `owned` says, and they are created as child 1 of their parent.
#pragma once

#include "ui/toolkit/window.h"

namespace kestrov::winapi {

// Destroys the bar's window when it still exists, then unbinds.
void destroy_bar(window& bar);
// As destroy_bar, for destructors, which cannot report a failure.
void destroy_bar_quietly(window& bar) noexcept;

// Creates a common control of `class_name` as child 1 of `parent`, at size 0: the parent's layout
// places it. Raises when it cannot be created.
HWND create_bar_window(const wchar_t* class_name, const wchar_t* title, DWORD style, HWND parent);

} // namespace kestrov::winapi
