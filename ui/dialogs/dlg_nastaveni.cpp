#include "ui/dialogs/dlg_nastaveni.h"

#include "ui/dialogs/dialog_frame.h"

#include "base/kestrov_exception.h"
#include "res/resource_ids.h"

#include <string>

using namespace kestrov;

dlg_nastaveni::dlg_nastaveni(application_base& application, settings_record& settings)
    : application_(application), settings_(settings) {}

INT_PTR dlg_nastaveni::on_init_dialog(HWND) {
    dress_dialog(handle, application_, L"Předvolby - " + application_.product_name());
    // The box starts unticked, so only the flag being set needs it changed.
    if (saves_at_once(settings_)) {
        item(IDC_SAVE_AT_ONCE); // a template without the box raises
        if (!CheckDlgButton(handle, IDC_SAVE_AT_ONCE, BST_CHECKED)) {
            raise_last_error();
        }
    }
    return TRUE;
}

void dlg_nastaveni::on_ok() {
    winapi::require_window(handle);
    item(IDC_SAVE_AT_ONCE); // a template without the box raises
    set_saves_at_once(settings_, IsDlgButtonChecked(handle, IDC_SAVE_AT_ONCE) == BST_CHECKED);
    // The preferences end with IDOK whoever runs them: the caller takes that as a change.
    end_dialog(IDOK);
}

INT_PTR dlg_nastaveni::run(HWND owner) {
    return winapi::run_modal(*this, IDD_PREFERENCES, owner);
}

bool change_preferences(application_base& application, settings_record& settings, HWND owner) {
    dlg_nastaveni dialog(application, settings);
    return dialog.run(owner) == IDOK;
}
