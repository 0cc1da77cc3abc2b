// The main window's property commands: editing a descriptive text, adding one the image lacks,
// removing the tracked row's item, and committing each change to the file or the modified flag.
#include "ui/main/okno_hlavni.h"

#include "app/settings.h"
#include "base/kestrov_exception.h"
#include "image/gdiplus_exception.h"
#include "image/property_readers.h"
#include "image/property_writer.h"
#include "tags/descriptive_fields.h"
#include "tags/group_rows.h"
#include "ui/dialogs/dlg_novy_tag.h"
#include "ui/dialogs/dlg_vstup_textu.h"
#include "ui/main/aplikace.h"
#include "ui/main/program_objects.h"

#include <commctrl.h>

using namespace kestrov;

std::optional<std::uint32_t> okno_hlavni::tracked_tag() const {
    if (!property_list_ || property_list_->tracked_row == -1) {
        return std::nullopt;
    }
    LVITEMW item{};
    item.mask = LVIF_PARAM;
    item.iItem = static_cast<int>(property_list_->tracked_row);
    if (!SendMessageW(property_list_->handle, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item))) {
        return std::nullopt;
    }
    return static_cast<std::uint32_t>(item.lParam);
}

template <typename Change>
void okno_hlavni::change_image(Change change) {
    try {
        change();
    } catch (const kestrov_exception& failure) {
        show_error(failure);
        refresh_rows();
        update_commands();
        return;
    }
    commit_change();
}

void okno_hlavni::commit_change() {
    if (saves_at_once(*settings)) {
        try {
            save_image(*image_);
        } catch (const kestrov_exception& failure) {
            modified = true;
            show_error(failure);
        }
    } else {
        modified = true;
    }
    refresh_rows();
    update_commands();
}

void okno_hlavni::edit_property() {
    if (!image_open()) {
        return;
    }
    if (const auto tag = tracked_tag()) {
        edit_descriptive(static_cast<tags::tag_id>(*tag));
    }
}

void okno_hlavni::edit_descriptive(tags::tag_id id) {
    const tags::descriptive_field* field = tags::find_descriptive_field(id);
    // GPS and photographic rows are not texts.
    if (!image_open() || field == nullptr) {
        return;
    }
    const auto tag = static_cast<std::uint32_t>(id);
    std::wstring text;
    if (!gdi::get_text_property(image_->bitmap(), tag, text)) {
        text.clear();
    }
    if (!ask_text(*app, text, field->prompt)) {
        return;
    }
    change_image([&] { gdi::set_text_property(image_->bitmap(), tag, text); });
}

void okno_hlavni::add_property() {
    if (!image_open()) {
        return;
    }
    // The descriptive tags this image lacks, whatever group the list shows: a tag the image holds
    // is edited, never added over.
    tags::missing_tag_list missing;
    tags::descriptive_rows(image_->bitmap(), *tag_catalogue, missing);
    const std::int32_t chosen = choose_new_tag(*app, *tag_catalogue, missing, handle);
    if (chosen == 0) {
        return;
    }
    const auto tag = static_cast<std::uint32_t>(chosen);
    const std::wstring prompt = L"Zadej hodnotu pro \"" + tag_catalogue->name_of(chosen) + L"\"";
    std::wstring text;
    if (!ask_text(*app, text, prompt)) {
        return;
    }
    change_image([&] { gdi::set_text_property(image_->bitmap(), tag, text); });
}

void okno_hlavni::remove_property() {
    if (!image_open()) {
        return;
    }
    const auto tag = tracked_tag();
    if (!tag) {
        return;
    }
    change_image([&] {
        const imaging::status result = image_->bitmap()->remove_property_item(*tag);
        // Only a format that holds no items refuses outright; an item already gone is no change
        // worth reporting.
        if (result == imaging::status::property_not_supported) {
            throw gdi::gdiplus_exception(result);
        }
    });
}
