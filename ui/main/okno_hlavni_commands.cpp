// The main window's messages and commands: each turned into its operation, the commands' states
// kept in step, their help texts in the status bar and the toolbar's tips, and the keyboard focus
// kept on a control across activations.
#include "ui/main/okno_hlavni.h"

#include "app/settings_store_win.h"
#include "base/kestrov_exception.h"
#include "res/resource_ids.h"
#include "ui/dialogs/dlg_nastaveni.h"
#include "ui/dialogs/dlg_popisne_tagy.h"
#include "ui/dialogs/dlg_program_info.h"
#include "ui/dialogs/dlg_tag_dump.h"
#include "ui/main/aplikace.h"
#include "ui/main/main_messages.h"
#include "ui/main/program_objects.h"

#include <commctrl.h>
#include <shellapi.h>

#include <algorithm>
#include <iterator>

using namespace kestrov;

namespace {

// The string resource `id`; empty when there is none.
std::wstring load_string(UINT id) {
    const wchar_t* text = nullptr;
    const int length =
        LoadStringW(GetModuleHandleW(nullptr), id, reinterpret_cast<LPWSTR>(&text), 0);
    return length > 0 && text != nullptr ? std::wstring(text, static_cast<std::size_t>(length))
                                         : std::wstring();
}

} // namespace

LRESULT okno_hlavni::window_proc(UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
    case WM_DESTROY:
        PostQuitMessage(0);
        break;
    case WM_SIZE:
        layout(wparam, lparam);
        break;
    case WM_CLOSE:
        on_close();
        break;
    case WM_ENDSESSION:
        // A shutdown that another program cancelled leaves the window as it was.
        if (wparam) {
            on_close();
        }
        break;
    case WM_ERASEBKGND:
        return 0;
    case WM_ACTIVATE:
        if (LOWORD(wparam) == WA_INACTIVE) {
            remember_focus();
        }
        break;
    case WM_SETFOCUS:
        restore_focus();
        return 0;
    case WM_NOTIFY:
        on_tooltip_text(lparam);
        break;
    case WM_DISPLAYCHANGE:
        apply_fonts();
        if (menu_ != nullptr) {
            DrawMenuBar(handle);
        }
        break;
    case WM_COMMAND:
        on_command(wparam, lparam);
        return 0;
    case WM_MENUSELECT:
        on_menu_select(wparam);
        break;
    case WM_DROPFILES:
        on_drop_files(reinterpret_cast<HDROP>(wparam));
        break;
    case WM_APP_SELECTION_CHANGED:
        update_commands();
        break;
    case WM_APP_EDIT_REQUEST:
        edit_property();
        break;
    default:
        break;
    }
    return default_proc(message, wparam, lparam);
}

void okno_hlavni::on_command(WPARAM wparam, LPARAM) {
    const int id = LOWORD(wparam);
    const int code = HIWORD(wparam);
    if (id == winapi::combo_box_id) {
        if (code == CBN_SELCHANGE) {
            refresh_rows();
            update_commands();
        }
        return;
    }
    switch (id) {
    case IDM_QUIT:
        PostMessageW(handle, WM_CLOSE, 0, 0);
        break;
    case IDM_OPEN:
        show_open_dialog();
        break;
    case IDM_SAVE:
        save_file();
        break;
    case IDM_CLOSE:
        close_file();
        break;
    case IDM_WEB_PAGE:
        ShellExecuteW(nullptr, L"open", product_web_page, nullptr, nullptr, SW_SHOWMAXIMIZED);
        break;
    case IDM_EDIT:
        edit_property();
        break;
    case IDM_ADD:
        add_property();
        break;
    case IDM_REMOVE:
        remove_property();
        break;
    case IDM_TAG_DUMP:
        if (image_open()) {
            open_tag_dump(*app, *image_->bitmap(), handle);
        }
        break;
    case IDM_PREFERENCES:
        if (change_preferences(*app, *settings, handle)) {
            store_settings(*settings, *app);
        }
        break;
    case IDM_ABOUT:
        show_about_box(*app, handle);
        break;
    case IDM_BATCH:
        try {
            open_batch(*app, handle);
        } catch (const kestrov_exception& failure) {
            show_error(failure);
        }
        break;
    default:
        break;
    }
}

void okno_hlavni::update_commands() {
    const bool open = image_open();
    const bool row_tracked = property_list_ && property_list_->tracked_row != -1;
    if (menu_ != nullptr) {
        const auto state = [](bool enabled) {
            return static_cast<UINT>(MF_BYCOMMAND |
                                     (enabled ? MF_ENABLED : MF_GRAYED | MF_DISABLED));
        };
        const std::pair<UINT, bool> states[] = {
            {IDM_SAVE, modified}, {IDM_CLOSE, open},       {IDM_TAG_DUMP, open},
            {IDM_ADD, open},      {IDM_EDIT, row_tracked}, {IDM_REMOVE, row_tracked},
            {IDM_QUIT, true},     {IDM_OPEN, true},        {IDM_PREFERENCES, true},
            {IDM_ABOUT, true},    {IDM_WEB_PAGE, true},    {IDM_BATCH, true},
        };
        for (const auto& [id, enabled] : states) {
            if (EnableMenuItem(menu_, id, state(enabled)) == -1) {
                raise_last_error();
            }
        }
    }
    if (toolbar_ && IsWindow(toolbar_->handle)) {
        if (SendMessageW(toolbar_->handle, TB_ENABLEBUTTON, IDM_SAVE, MAKELPARAM(modified, 0)) ==
            0) {
            raise_last_error();
        }
    }
}

void okno_hlavni::remember_focus() {
    const HWND focus = GetFocus();
    focus_on_return_ = focus != nullptr && IsChild(handle, focus) ? focus : nullptr;
}

void okno_hlavni::restore_focus() {
    // The frame itself takes no keys: the control the user left gets the focus back, else the
    // property list.
    HWND target = focus_on_return_;
    if (target == nullptr || !IsWindow(target) || !IsChild(handle, target) ||
        !IsWindowVisible(target)) {
        target =
            property_list_ && IsWindow(property_list_->handle) ? property_list_->handle : nullptr;
    }
    if (target != nullptr) {
        SetFocus(target);
    }
}

void okno_hlavni::on_menu_select(WPARAM wparam) {
    if (!status_bar_ || !IsWindowVisible(handle)) {
        return;
    }
    const UINT flags = HIWORD(wparam);
    const UINT id = LOWORD(wparam);
    if ((flags & MF_POPUP) != 0) {
        set_status_text(title_base_);
        return;
    }
    if (id == 0) {
        return;
    }
    std::wstring text = load_string(id);
    if (text.empty()) {
        set_status_text(title_base_);
        return;
    }
    if (text.back() != L'.') {
        text += L'.';
    }
    set_status_text(text);
}

void okno_hlavni::on_tooltip_text(LPARAM lparam) {
    auto* header = reinterpret_cast<NMHDR*>(lparam);
    if (header == nullptr || header->code != TTN_GETDISPINFOW) {
        return;
    }
    auto* info = reinterpret_cast<NMTTDISPINFOW*>(lparam);
    const UINT_PTR id = header->idFrom;
    if (id - IDM_QUIT > 9998) {
        return;
    }
    const std::wstring text = load_string(static_cast<UINT>(id));
    if (text.empty()) {
        return;
    }
    // The notification's own buffer: 80 characters, enough for every help text.
    const std::size_t length = std::min(text.size(), std::size(info->szText) - 1);
    std::copy_n(text.begin(), length, info->szText);
    info->szText[length] = L'\0';
    info->lpszText = info->szText;
}
