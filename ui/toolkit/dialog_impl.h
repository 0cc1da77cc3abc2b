// A dialog from a resource template, run modally. The dialog's DWLP_USER slot points at the
// object from WM_INITDIALOG on; OK and Cancel reach overridable hooks, and the notifications of
// the dialog's controls are reflected back to them.
#pragma once

#include "ui/toolkit/window.h"

namespace kestrov::winapi {

class dialog_impl : public window {
public:
    dialog_impl() = default;
    ~dialog_impl() override;

    // Destroys the dialog window if it still exists, whoever made it, and unbinds.
    void destroy() override;
    // Handles OK and Cancel and reflects control notifications; derived dialogs call it for what
    // they do not handle themselves. The result goes back from the dialog procedure unchanged.
    virtual INT_PTR dialog_proc(UINT message, WPARAM wparam, LPARAM lparam);
    // Called once, for WM_INITDIALOG, once `handle` is set. True lets the system set the focus.
    virtual INT_PTR on_init_dialog(HWND focus_window);
    // End a modal dialog with IDOK (IDCANCEL); do nothing otherwise.
    virtual void on_ok();
    virtual void on_cancel();

    // Ends the dialog with `result` whether or not it runs modally.
    void end_dialog(INT_PTR result);
    // A non-owning object for a control of the dialog; a missing control raises.
    window item(int control_id) const;
    std::wstring item_text(int control_id) const;

    // While true the dialog keeps the system's dialog background; while false it paints with the
    // window colour.
    bool system_background = true;
    // Set by whoever runs the dialog, just before the modal loop; the default hooks end the dialog
    // only then.
    bool modal = false;

    // A failure was kept while this dialog ran as the innermost modal one (failure_boundary.h).
    // The base ends the dialog with IDABORT; run_modal then raises the failure again.
    virtual void on_failure_kept();
};

// Passed to DialogBoxParamW with the dialog object as its parameter.
INT_PTR CALLBACK static_dialog_proc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);

// Runs `dialog` modally from template `template_id` of this module and returns the dialog's
// result: IDOK (1) means accepted, anything else cancelled. A template that cannot be shown
// raises rather than looking like a cancel, and so does a failure that arose in the dialog while
// its loop ran. One that arose elsewhere ends the dialog with IDABORT and goes on outward
// (failure_boundary.h); while one is kept, no dialog is shown and the answer is IDABORT.
INT_PTR run_modal(dialog_impl& dialog, int template_id, HWND owner);

} // namespace kestrov::winapi
