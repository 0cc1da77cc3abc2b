#include "ui/dialogs/dlg_vstup_textu.h"

#include "ui/dialogs/dialog_frame.h"

#include "base/kestrov_exception.h"
#include "res/resource_ids.h"

#include <utility>

using namespace kestrov;

dlg_vstup_textu::dlg_vstup_textu(application_base& application, std::wstring prompt_text,
                                 std::wstring initial_text)
    : prompt(std::move(prompt_text)), text(std::move(initial_text)), application_(application) {}

INT_PTR dlg_vstup_textu::on_init_dialog(HWND) {
    dress_dialog(handle, application_, application_.product_name());
    // A description may be long: the edit takes any length rather than cutting what is typed
    // or pasted at the system's default limit.
    SendMessageW(item(IDC_TEXT_EDIT).handle, EM_SETLIMITTEXT, 0, 0);
    if (!SetDlgItemTextW(handle, IDC_TEXT_PROMPT, prompt.c_str()) ||
        !SetDlgItemTextW(handle, IDC_TEXT_EDIT, text.c_str())) {
        raise_last_error();
    }
    return TRUE;
}

void dlg_vstup_textu::on_ok() {
    text = item_text(IDC_TEXT_EDIT);
    if (modal) {
        end_dialog(IDOK);
    }
}

INT_PTR dlg_vstup_textu::run(HWND owner) {
    return winapi::run_modal(*this, IDD_TEXT_INPUT, owner);
}

bool ask_text(application_base& application, std::wstring& text, const std::wstring& prompt) {
    dlg_vstup_textu dialog(application, prompt, text);
    if (dialog.run(GetActiveWindow()) != IDOK) {
        return false;
    }
    text = std::move(dialog.text);
    return true;
}
