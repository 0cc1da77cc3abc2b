// The main window comes back where the user left it: its rectangle is stored when it closes and
// restored when it is created, kept on the work area, or else centred on its monitor.
#pragma once

#include "app/application_base_win.h"

#include <windows.h>

namespace kestrov {

// Stores the window's rectangle, unless the window is minimised (or otherwise has both its left
// and top edge off the screen). A failure to store is written to the event log through
// `application` and goes no further: the window is closing.
void save_placement(HWND window, application_base& application);

// Moves and sizes the window to the stored rectangle and keeps it on the work area; false when no
// usable rectangle is stored.
bool restore_placement(HWND window);

// Moves the window back onto the primary monitor's work area when it lies partly off it; its size
// is kept. True when it was moved.
bool keep_on_work_area(HWND window);

// Centres the window: a child in its parent's client area, an owned window over a visible owner,
// any other on the work area of its nearest monitor.
void center_on_monitor(HWND window);

} // namespace kestrov
