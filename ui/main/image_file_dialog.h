// The system's file-open dialog as both ways of picking an image file use it: one file at a time,
// under the image file types.
#pragma once

#include <string>

#include <windows.h>

#include <shobjidl.h>

namespace kestrov {

class image_file_dialog {
public:
    // Creates the dialog and gives it the image file types; raises kestrov_exception with the
    // failing result code.
    image_file_dialog();
    image_file_dialog(const image_file_dialog&) = delete;
    image_file_dialog& operator=(const image_file_dialog&) = delete;
    ~image_file_dialog();

    // Shows the dialog over `owner` (none: the dialog stands alone); false when the user cancelled
    // or it failed.
    bool show(HWND owner = nullptr);
    // The file-system path of the chosen file; raises kestrov_exception when it cannot be taken.
    std::wstring chosen_path();

private:
    IFileOpenDialog* dialog_ = nullptr;
};

} // namespace kestrov
