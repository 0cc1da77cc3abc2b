#include "ui/dialogs/dlg_novy_tag.h"

#include "ui/dialogs/dialog_frame.h"

#include "res/resource_ids.h"

dlg_novy_tag::dlg_novy_tag(kestrov::application_base& application,
                           const kestrov::tags::tag_catalogue& catalogue,
                           const kestrov::tags::missing_tag_list& offered)
    : application_(application), catalogue_(catalogue), offered_(offered) {
    system_background = true;
}

INT_PTR dlg_novy_tag::on_init_dialog(HWND) {
    chosen_tag = 0;
    dress_dialog(handle, application_, application_.product_name());
    // The template's own combo box: wrapped, neither owned nor subclassed.
    combo_.handle = item(IDC_NEW_TAG_COMBO).handle;
    combo_.owned = false;
    for (const kestrov::tags::tag_id id : offered_) {
        combo_.add_item(catalogue_.name_of(id).c_str(), static_cast<LPARAM>(id));
    }
    if (SendMessageW(combo_.handle, CB_GETCOUNT, 0, 0) > 0) {
        combo_.select(0);
    }
    return TRUE;
}

INT_PTR dlg_novy_tag::dialog_proc(UINT message, WPARAM wparam, LPARAM) {
    if (message == WM_COMMAND) {
        if (LOWORD(wparam) == IDOK) {
            if (SendMessageW(combo_.handle, CB_GETCURSEL, 0, 0) != CB_ERR) {
                chosen_tag = static_cast<std::int32_t>(combo_.selected_data());
            }
            end_dialog(IDOK);
        } else if (LOWORD(wparam) == IDCANCEL) {
            end_dialog(IDCANCEL);
        }
    }
    return 0;
}

std::int32_t choose_new_tag(kestrov::application_base& application,
                            const kestrov::tags::tag_catalogue& catalogue,
                            const kestrov::tags::missing_tag_list& offered, HWND owner) {
    dlg_novy_tag dialog(application, catalogue, offered);
    if (kestrov::winapi::run_modal(dialog, IDD_NEW_TAG, owner) != IDOK) {
        return 0;
    }
    return dialog.chosen_tag;
}
