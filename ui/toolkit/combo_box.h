// A drop-down list whose entries carry item data.
#pragma once

#include "ui/toolkit/window.h"

namespace kestrov::winapi {

// The control id of the combo box within its parent.
inline constexpr int combo_box_id = 1010;

class combo_box : public window {
public:
    combo_box() = default;

    // Creates the drop-down list over the whole client area of `parent`; the height is that of the
    // open list.
    void create(HWND parent);
    // Appends an entry with its item data; returns its index.
    int add_item(const wchar_t* text, LPARAM data);
    // Selects entry `index`; an index that names no entry raises with the combo box's message.
    void select(int index);
    // The item data of the selected entry; raises when none is selected.
    LPARAM selected_data() const;
};

} // namespace kestrov::winapi
