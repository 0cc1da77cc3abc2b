// The preferences (template 111): whether every change is saved to the file at once.
#pragma once

#include "app/application_base_win.h"
#include "app/settings.h"
#include "ui/toolkit/dialog_impl.h"

class dlg_nastaveni : public kestrov::winapi::dialog_impl {
public:
    dlg_nastaveni(kestrov::application_base& application, kestrov::settings_record& settings);

    // Icons, the caption "Předvolby - " and the product name, and the box ticked when changes are
    // saved at once.
    INT_PTR on_init_dialog(HWND focus_window) override;
    // Sets or clears the flag in the settings held in memory, from the box, and ends the dialog
    // with IDOK. The caller stores the settings.
    void on_ok() override;

    // Runs the dialog modally from its template over `owner`. What a handler raised inside the
    // modal loop ends the dialog and is raised again here.
    INT_PTR run(HWND owner);

private:
    kestrov::application_base& application_;
    kestrov::settings_record& settings_;
};

// Shows the preferences over `owner`. True when the user accepted them: `settings` may then have
// changed, and the caller stores it. Cancelled, `settings` is left alone.
bool change_preferences(kestrov::application_base& application, kestrov::settings_record& settings,
                        HWND owner);
