#include "ui/main/listbox_soubory.h"

#include "ui/main/image_file_checks.h"

#include <limits>

LRESULT listbox_soubory::window_proc(UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_DROPFILES) {
        // Every image dropped, with its full path as the text and item data 0; a refused
        // insertion raises.
        for (const auto& file : kestrov::dropped_image_files(
                 reinterpret_cast<HDROP>(wparam), kestrov::decodable_extensions(),
                 std::numeric_limits<std::size_t>::max())) {
            add_string(file.c_str());
        }
    }
    return control_impl::window_proc(message, wparam, lparam);
}
