// Asks for one line of text under a prompt (template 103); the property editor asks every value it
// needs with it.
#pragma once

#include "app/application_base_win.h"
#include "ui/toolkit/dialog_impl.h"

#include <string>

class dlg_vstup_textu : public kestrov::winapi::dialog_impl {
public:
    dlg_vstup_textu(kestrov::application_base& application, std::wstring prompt_text,
                    std::wstring initial_text);

    // Icons, the product name as caption, the prompt and the initial text; the focus goes to the
    // edit.
    INT_PTR on_init_dialog(HWND focus_window) override;
    // Takes the edit's text and ends the dialog with IDOK.
    void on_ok() override;

    // Runs the dialog modally from its template over `owner`. What a handler raised inside the
    // modal loop ends the dialog and is raised again here.
    INT_PTR run(HWND owner);

    std::wstring prompt;
    // The initial text on entry; the user's text once the dialog ended with IDOK.
    std::wstring text;

private:
    kestrov::application_base& application_;
};

// Asks for a text over the active window. True, with `text` replaced by what the user typed, when
// the dialog ends with OK; false, with `text` as it was, otherwise.
bool ask_text(kestrov::application_base& application, std::wstring& text,
              const std::wstring& prompt);
