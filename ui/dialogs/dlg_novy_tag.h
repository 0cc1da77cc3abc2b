// Offers the descriptive tags the open image lacks and lets the user choose the one to add.
#pragma once

#include "app/application_base_win.h"
#include "tags/tag_catalogue.h"
#include "ui/toolkit/combo_box.h"
#include "ui/toolkit/dialog_impl.h"

#include <cstdint>

class dlg_novy_tag : public kestrov::winapi::dialog_impl {
public:
    // The tags in `offered` are shown by their catalogue names, in that order; both lists must
    // outlive the dialog.
    dlg_novy_tag(kestrov::application_base& application,
                 const kestrov::tags::tag_catalogue& catalogue,
                 const kestrov::tags::missing_tag_list& offered);

    INT_PTR dialog_proc(UINT message, WPARAM wparam, LPARAM lparam) override;
    // Icons, the product name as caption, the offered tags in the combo with the first selected.
    INT_PTR on_init_dialog(HWND focus_window) override;

    // The tag chosen with OK; 0 while none is.
    std::int32_t chosen_tag = 0;

private:
    kestrov::application_base& application_;
    const kestrov::tags::tag_catalogue& catalogue_;
    const kestrov::tags::missing_tag_list& offered_;
    kestrov::winapi::combo_box combo_;
};

// Runs the new-tag dialog (template 110) modally, owned by `owner`, offering `offered`. Answers
// the tag chosen with OK, or 0 when the user cancelled or there was nothing to choose.
std::int32_t choose_new_tag(kestrov::application_base& application,
                            const kestrov::tags::tag_catalogue& catalogue,
                            const kestrov::tags::missing_tag_list& offered, HWND owner);
