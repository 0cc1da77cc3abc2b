#include "ui/dialogs/dlg_program_info.h"

#include "ui/dialogs/dialog_frame.h"

#include "app/message_box_style.h"
#include "app/version_info_win.h"
#include "base/kestrov_exception.h"
#include "res/resource_ids.h"

#include <commctrl.h>
#include <shellapi.h>

#include <string>
#include <utility>

using namespace kestrov;

namespace {

// The about box while it runs; a second request brings it to the front.
dlg_program_info* open_about_box = nullptr;

// Marks `dialog` as the open about box for as long as it runs.
class about_box_slot {
public:
    explicit about_box_slot(dlg_program_info& dialog)
        : previous_(std::exchange(open_about_box, &dialog)) {}
    ~about_box_slot() { open_about_box = previous_; }
    about_box_slot(const about_box_slot&) = delete;
    about_box_slot& operator=(const about_box_slot&) = delete;

private:
    dlg_program_info* previous_;
};

} // namespace

dlg_program_info::dlg_program_info(application_base& application) : application_(application) {}

INT_PTR dlg_program_info::on_init_dialog(HWND) {
    system_background = true;
    dress_dialog(handle, application_, L"O aplikaci - " + application_.product_name());

    name_text.attach(item(IDC_ABOUT_NAME).handle, winapi::text_styles::title);
    copyright_text.attach(item(IDC_ABOUT_COPYRIGHT).handle, winapi::text_styles::plain);
    version_text.attach(item(IDC_ABOUT_VERSION).handle, winapi::text_styles::note);
    if (SendMessageW(name_text.handle, WM_SETTEXT, 0,
                     reinterpret_cast<LPARAM>(application_.product_name().c_str())) == 0) {
        raise_last_error();
    }

    link_tips.create(handle);
    link_tips.add_tool(item(IDC_ABOUT_EMAIL).handle, IDS_ABOUT_EMAIL_TIP);
    link_tips.add_tool(item(IDC_ABOUT_WEB).handle, IDS_ABOUT_WEB_TIP);

    const std::wstring copyright = version_string(L"LegalCopyright");
    if (!SetDlgItemTextW(handle, IDC_ABOUT_COPYRIGHT, copyright.c_str())) {
        raise_last_error();
    }
    const std::wstring version = L"verze: " + product_version() + L"  (64-bitová verze)";
    if (!SetDlgItemTextW(handle, IDC_ABOUT_VERSION, version.c_str())) {
        raise_last_error();
    }

    // The template makes the name an ordinary static; from here on name_text draws it in its
    // own font through the reflected WM_DRAWITEM.
    constexpr LONG_PTR drawn_by_owner = SS_NOTIFY | SS_OWNERDRAW;
    const LONG_PTR style = GetWindowLongPtrW(name_text.handle, GWL_STYLE);
    if ((style & drawn_by_owner) != drawn_by_owner) {
        SetLastError(0);
        if (SetWindowLongPtrW(name_text.handle, GWL_STYLE, style | drawn_by_owner) == 0 &&
            GetLastError() != 0) {
            raise_last_error();
        }
    }

    winapi::require_window(handle);
    SetForegroundWindow(handle);
    return TRUE;
}

INT_PTR dlg_program_info::dialog_proc(UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_NOTIFY && lparam != 0 &&
        reinterpret_cast<const NMHDR*>(lparam)->code == NM_CLICK) {
        open_link(wparam);
    }
    return dialog_impl::dialog_proc(message, wparam, lparam);
}

// The web page must open; an e-mail address that no program on the system takes is let be.
void dlg_program_info::open_link(WPARAM control_id) {
    if (control_id == IDC_ABOUT_WEB) {
        const HINSTANCE opened =
            ShellExecuteW(nullptr, L"open", maker_web_page, nullptr, nullptr, SW_SHOWMAXIMIZED);
        if (reinterpret_cast<INT_PTR>(opened) <= 32) {
            raise_last_error();
        }
    } else if (control_id == IDC_ABOUT_EMAIL) {
        const std::wstring address = std::wstring(L"mailto:") + maker_email;
        ShellExecuteW(nullptr, L"open", address.c_str(), nullptr, nullptr, SW_SHOWMAXIMIZED);
    }
}

INT_PTR dlg_program_info::run(HWND owner) {
    // The links are SysLink controls, which the common controls register on request.
    const INITCOMMONCONTROLSEX controls{sizeof controls, ICC_LINK_CLASS};
    InitCommonControlsEx(&controls);
    return winapi::run_modal(*this, IDD_ABOUT, owner);
}

void show_about_box(application_base& application, HWND owner) {
    if (open_about_box != nullptr && IsWindow(open_about_box->handle)) {
        SetForegroundWindow(open_about_box->handle);
        return;
    }
    try {
        dlg_program_info dialog(application);
        const about_box_slot slot(dialog);
        dialog.run(owner);
    } catch (const kestrov_exception& failure) {
        application.show_message_ansi(failure.what(), message_box_flags::icon_error, 0);
    }
}
