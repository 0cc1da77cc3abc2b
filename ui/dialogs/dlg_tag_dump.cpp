#include "ui/dialogs/dlg_tag_dump.h"

#include "ui/dialogs/dialog_frame.h"

#include "base/kestrov_exception.h"
#include "base/text_conversion.h"
#include "res/resource_ids.h"
#include "tags/tag_dump.h"

#include <cstdint>
#include <string>

namespace {

void set_item_text(HWND dialog, int control_id, const wchar_t* text) {
    if (!SetDlgItemTextW(dialog, control_id, text)) {
        kestrov::raise_last_error();
    }
}

void set_item_number(HWND dialog, int control_id, std::uint32_t number) {
    if (!SetDlgItemInt(dialog, control_id, number, FALSE)) {
        kestrov::raise_last_error();
    }
}

} // namespace

dlg_tag_dump::dlg_tag_dump(kestrov::application_base& application, kestrov::imaging::image& image)
    : application_(application), image_(image) {
    system_background = true;
}

INT_PTR dlg_tag_dump::on_init_dialog(HWND) {
    dress_dialog(handle, application_, application_.product_name());
    id_edit_.attach(item(IDC_DUMP_ID).handle);
    // A maker note runs to tens of kilobytes, three characters a byte: the field takes any length.
    hex_field_.attach(item(IDC_DUMP_HEX).handle);
    set_item_text(handle, IDC_DUMP_ID, L"");
    return TRUE;
}

INT_PTR dlg_tag_dump::dialog_proc(UINT message, WPARAM wparam, LPARAM) {
    if (message == WM_COMMAND) {
        switch (LOWORD(wparam)) {
        case IDOK:
            end_dialog(IDOK);
            break;
        case IDCANCEL:
            end_dialog(IDCANCEL);
            break;
        case IDC_DUMP_SHOW:
            show_dump();
            break;
        default:
            break;
        }
    }
    return 0;
}

void dlg_tag_dump::show_dump() {
    set_item_text(handle, IDC_DUMP_LENGTH, L"");
    set_item_text(handle, IDC_DUMP_TYPE, L"");
    set_item_text(handle, IDC_DUMP_HEX, L"");

    std::uint32_t id = 0;
    if (!id_edit_.get_value(id) || id == 0) {
        return;
    }
    const auto dump = kestrov::tags::read_dump(image_, id);
    if (!dump) {
        return;
    }
    set_item_number(handle, IDC_DUMP_LENGTH, dump->length);
    set_item_number(handle, IDC_DUMP_TYPE, dump->type);
    std::wstring hex;
    kestrov::utf8_to_wide(kestrov::tags::dump_in_lines(dump->hex), hex);
    set_item_text(handle, IDC_DUMP_HEX, hex.c_str());
}

void open_tag_dump(kestrov::application_base& application, kestrov::imaging::image& image,
                   HWND owner) {
    dlg_tag_dump dialog(application, image);
    kestrov::winapi::run_modal(dialog, IDD_TAG_DUMP, owner);
}
