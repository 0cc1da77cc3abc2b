// The batch dialog's file list: a list box that takes the files dropped on it. Every dropped file
// that can be opened as an image is appended, in the order of the drop, with its full path as the
// text and item data 0; folders and other files are skipped, and nothing is checked for
// duplicates.
#pragma once

#include "ui/toolkit/control_impl.h"
#include "ui/toolkit/list_box.h"

#include <windows.h>

#include <shellapi.h>

class listbox_soubory : public kestrov::winapi::control_impl<kestrov::winapi::list_box> {
public:
    listbox_soubory() = default;

    // Takes WM_DROPFILES; every message, that one included, then goes to the list box.
    LRESULT window_proc(UINT message, WPARAM wparam, LPARAM lparam) override;
};
