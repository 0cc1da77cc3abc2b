// The main window's file: opening it (by dialog, drop or name), showing its rows, saving and
// closing it.
#include "ui/main/okno_hlavni.h"

#include "app/message_box_style.h"
#include "base/kestrov_exception.h"
#include "image/saving.h"
#include "tags/group_rows.h"
#include "ui/main/aplikace.h"
#include "ui/main/image_file_checks.h"
#include "ui/main/image_file_dialog.h"
#include "ui/main/program_objects.h"
#include "ui/toolkit/scoped_flag.h"

#include <commctrl.h>
#include <shlwapi.h>

using namespace kestrov;

std::wstring okno_hlavni::window_title_for(const std::wstring& path) const {
    return std::wstring(PathFindFileNameW(path.c_str())) + L" - " + title_base_;
}

void okno_hlavni::open_file(const std::wstring& path) {
    // After the closing teardown the children are gone: nothing may be opened into them.
    if (path.empty() || !property_list_) {
        return;
    }
    if (!is_openable_image_file(path.c_str(), *supported_extensions)) {
        return;
    }
    image_.reset();
    app->current_file = path;
    try {
        image_ = std::make_unique<gdi::bitmap_plus>(path);
        set_title(window_title_for(path));
        refresh_rows();
        // The arrow keys move through the rows at once, without a click into the list first.
        if (GetActiveWindow() == handle && IsWindow(property_list_->handle)) {
            SetFocus(property_list_->handle);
        }
    } catch (const kestrov_exception& failure) {
        // The window never shows the rows of a file that is not open.
        image_.reset();
        try {
            set_title(title_base_);
            refresh_rows();
        } catch (const kestrov_exception&) {
        }
        show_error(failure);
    }
    update_commands();
}

void okno_hlavni::close_file() {
    app->current_file.clear();
    image_.reset();
    set_title(title_base_);
    refresh_rows();
    update_commands();
}

void okno_hlavni::save_file() {
    if (!image_open()) {
        return;
    }
    try {
        save_image(*image_);
        modified = false;
    } catch (const kestrov_exception& failure) {
        show_error(failure);
    }
    update_commands();
}

void okno_hlavni::show_open_dialog() {
    // The dialog has no owner, so the window stays usable while it is open; a second Ctrl+O must
    // not open a second dialog from inside the first.
    if (open_dialog_running_ || !property_list_) {
        return;
    }
    const winapi::scoped_flag running(open_dialog_running_);

    image_file_dialog dialog;
    if (!dialog.show()) {
        return;
    }
    try {
        open_file(dialog.chosen_path());
    } catch (const kestrov_exception& failure) {
        show_error(failure);
    }
}

void okno_hlavni::on_drop_files(HDROP drop) {
    // Only the first dropped file counts.
    const auto files = dropped_image_files(drop, *supported_extensions, 1);
    if (!files.empty()) {
        open_file(files.front());
    }
}

void okno_hlavni::refresh_rows() {
    if (!property_list_ || !IsWindow(property_list_->handle)) {
        return;
    }
    SendMessageW(property_list_->handle, LVM_DELETEALLITEMS, 0, 0);
    property_list_->tracked_row = -1;
    if (!group_combo_ || !IsWindow(group_combo_->handle)) {
        return;
    }
    const auto group = static_cast<tags::tag_group>(group_combo_->selected_data());
    imaging::image* image = image_ ? image_->bitmap() : nullptr;
    for (const auto& row : tags::group_rows(group, image, *tag_catalogue)) {
        const int index = property_list_->insert_row(row.name.c_str(), row.id);
        property_list_->set_value_text(index, row.value.c_str());
    }
}

bool okno_hlavni::image_open() const {
    return image_ && image_->bitmap() != nullptr;
}

void okno_hlavni::save_image(gdi::bitmap_plus& image) {
    if (image.save().other_names_keep_old_content) {
        app->show_message_ansi(gdi::other_names_note().c_str(), message_box_flags::icon_exclamation,
                               0);
    }
}
