// The about box (template 112): the product name in large red letters, the version, the legal
// notice, and links to the maker's web page and e-mail address with tooltips.
#pragma once

#include "app/application_base_win.h"
#include "ui/toolkit/dialog_impl.h"
#include "ui/toolkit/static_text.h"
#include "ui/toolkit/tool_tip.h"

// The maker's addresses. The links of template 112 show and open the same ones.
inline constexpr wchar_t maker_web_page[] = L"https://example.com/kestrov/";
inline constexpr wchar_t maker_email[] = L"mirtel@example.com";

class dlg_program_info : public kestrov::winapi::dialog_impl {
public:
    explicit dlg_program_info(kestrov::application_base& application);
    // The members go in reverse order: the tooltips first, then the texts, which put their
    // controls' procedures back and delete their fonts; then dialog_impl.
    ~dlg_program_info() override = default;

    INT_PTR on_init_dialog(HWND focus_window) override;
    // Opens a link when it is clicked; everything then goes to the base.
    INT_PTR dialog_proc(UINT message, WPARAM wparam, LPARAM lparam) override;

    // Runs the dialog modally from its template over `owner`. What a handler raised inside the
    // modal loop ends the dialog and is raised again here.
    INT_PTR run(HWND owner);

    kestrov::winapi::static_text name_text;
    kestrov::winapi::static_text version_text;
    kestrov::winapi::static_text copyright_text;
    kestrov::winapi::tool_tip link_tips;

private:
    void open_link(WPARAM control_id);

    kestrov::application_base& application_;
};

// Shows the about box over `owner`. While one is open, it is brought to the front instead and
// nothing else happens. A failure is shown in a message box, and the program goes on.
void show_about_box(kestrov::application_base& application, HWND owner);
