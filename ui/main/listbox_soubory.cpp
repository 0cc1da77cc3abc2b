#include "ui/main/listbox_soubory.h"

#include "ui/main/image_file_checks.h"

#include <vector>

namespace {

// Path buffers for dropped files: the longest path the system names.
constexpr UINT dropped_path_capacity = 32768;

// Releases the drop however the adding ends.
class drop_release {
public:
    explicit drop_release(HDROP drop) : drop_(drop) {}
    drop_release(const drop_release&) = delete;
    drop_release& operator=(const drop_release&) = delete;
    ~drop_release() { DragFinish(drop_); }

private:
    HDROP drop_;
};

} // namespace

void listbox_soubory::add_dropped_files(HDROP drop) {
    // The drop is released even when it names no file: it is ours from the moment it arrives.
    const drop_release release(drop);
    const UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
    if (count < 1) {
        return;
    }
    std::vector<wchar_t> path(dropped_path_capacity, L'\0');
    for (UINT index = 0; index < count; ++index) {
        if (DragQueryFileW(drop, index, path.data(), dropped_path_capacity) == 0) {
            continue;
        }
        if (!kestrov::is_openable_image_file(path.data())) {
            continue;
        }
        // The full path as the text, item data 0; a refused insertion raises.
        add_string(path.data());
    }
}

LRESULT listbox_soubory::window_proc(UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_DROPFILES) {
        add_dropped_files(reinterpret_cast<HDROP>(wparam));
    }
    return control_impl::window_proc(message, wparam, lparam);
}
