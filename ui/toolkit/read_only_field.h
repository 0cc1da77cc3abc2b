// A dialog's read-only edit control of many lines, for a long text that the user reads, selects
// and copies: Ctrl+A selects all of it (not every edit control knows the key), Ctrl+C copies;
// Enter, Esc and Tab stay the dialog's keys, as in a field of one line.
#pragma once

#include "ui/toolkit/control_impl.h"

namespace kestrov::winapi {

class read_only_field : public control_impl<window> {
public:
    // Binds to `field` and lifts the edit's limit of 32767 characters to the largest it knows.
    void attach(HWND field);
    LRESULT window_proc(UINT message, WPARAM wparam, LPARAM lparam) override;
};

} // namespace kestrov::winapi
