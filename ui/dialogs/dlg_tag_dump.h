// The raw view of one item of the open image: the user types an item id, presses "Zobrazit" and
// reads the value's length in bytes, its type number and its bytes in hexadecimal.
#pragma once

#include "app/application_base_win.h"
#include "image/engine/image.h"
#include "ui/toolkit/dialog_impl.h"
#include "ui/toolkit/edit_number.h"
#include "ui/toolkit/read_only_field.h"

class dlg_tag_dump : public kestrov::winapi::dialog_impl {
public:
    // `image` is the open image as it is in memory, unsaved changes included; the dialog reads it
    // on every press and neither owns nor changes it.
    dlg_tag_dump(kestrov::application_base& application, kestrov::imaging::image& image);

    INT_PTR dialog_proc(UINT message, WPARAM wparam, LPARAM lparam) override;
    // Icons, the product name as caption, the id field emptied; the dump field takes any length.
    INT_PTR on_init_dialog(HWND focus_window) override;

    // Empties the three result fields, then fills them with the item the id field names; an id
    // that is empty, not a number, 0 or not held by the image leaves them empty.
    void show_dump();

private:
    kestrov::application_base& application_;
    kestrov::imaging::image& image_;
    kestrov::winapi::edit_number id_edit_;
    kestrov::winapi::read_only_field hex_field_;
};

// Runs the dump dialog (template 104) modally over `image`, owned by `owner`.
void open_tag_dump(kestrov::application_base& application, kestrov::imaging::image& image,
                   HWND owner);
