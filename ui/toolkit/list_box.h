// A list box with item texts and multiple selection. Used under control_impl<list_box>, which
// subclasses it.
#pragma once

#include "ui/toolkit/window.h"

#include <string>
#include <vector>

namespace kestrov::winapi {

class list_box : public window {
public:
    // Appends a text with item data 0; returns its index.
    int add_string(const wchar_t* text);
    // Removes every selected item of a multiple-selection list box.
    void remove_selected();
    // The indexes of the selected items of a multiple-selection list box, lowest first.
    std::vector<int> selected_indexes() const;
    // How many items the list holds.
    int count() const;
    // The text of item `index`; an index that names no item raises with E_INVALIDARG.
    std::wstring item_text(int index) const;

protected:
    list_box() = default;
};

} // namespace kestrov::winapi
