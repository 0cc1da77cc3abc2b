// The main window's frame: building it and its children, laying them out, and taking them down
// again when the window closes or the object goes.
#include "ui/main/okno_hlavni.h"

#include "app/message_box_style.h"
#include "app/settings_store_win.h"
#include "base/kestrov_exception.h"
#include "res/resource_ids.h"
#include "tags/tag_groups.h"
#include "ui/main/aplikace.h"
#include "ui/main/program_objects.h"
#include "ui/main/window_placement.h"

#include <commctrl.h>
#include <shellapi.h>
#include <shlwapi.h>
#include <uxtheme.h>
#include <vssym32.h>

#include <algorithm>
#include <exception>

using namespace kestrov;

namespace {

int rect_height(const RECT& rect) {
    return rect.bottom - rect.top;
}

} // namespace

okno_hlavni::~okno_hlavni() {
    image_.reset();
    try {
        tear_down_children();
    } catch (const std::exception&) {
        // A menu that could not be destroyed stopped the teardown; the font is still this
        // object's to free.
        delete_font();
    }
}

void okno_hlavni::tear_down_children() {
    // The order matters: the combo and the toolbar go before the rebar that holds them, the menu
    // is taken off the window before it is destroyed, and the font goes last, once no control
    // draws with it any more.
    destroy_bars();
    destroy_menu();
    status_bar_.reset();
    property_list_.reset();
    delete_font();
}

void okno_hlavni::destroy_bars() {
    group_combo_.reset();
    toolbar_.reset();
    rebar_.reset();
}

void okno_hlavni::initialize() {
    title_base_ = app->product_name();
    register_class();
    create(class_name(), title_base_.c_str(), GetModuleHandleW(nullptr));
    set_title(title_base_);
    SendMessageW(handle, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(app->small_icon));
    SendMessageW(handle, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(app->large_icon));

    destroy_menu();
    menu_ = LoadMenuW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_MAINMENU));
    if (menu_ == nullptr) {
        raise_last_error();
    }
    if (!SetMenu(handle, menu_)) {
        raise_last_error();
    }
    if (!DrawMenuBar(handle)) {
        raise_last_error();
    }

    property_list_ = std::make_unique<listview_seznam>();
    property_list_->create_list(handle, handle);
    create_bars();
    status_bar_ = std::make_unique<winapi::status_bar>();
    status_bar_->create(handle);
    set_status_text(title_base_);

    if (!restore_placement(handle)) {
        center_on_monitor(handle);
    }
    apply_fonts();

    // A file named on the command line ("Open with" on a photo) is opened once the window shows.
    std::wstring start_file;
    int count = 0;
    if (wchar_t** arguments = CommandLineToArgvW(GetCommandLineW(), &count)) {
        if (count > 1 && PathFileExistsW(arguments[1]) && !PathIsDirectoryW(arguments[1])) {
            start_file = arguments[1];
            app->current_file = start_file;
        }
        LocalFree(arguments);
    }

    ShowWindow(handle, SW_SHOW);
    fill_group_combo();

    RECT client{};
    if (!GetClientRect(handle, &client)) {
        raise_last_error();
    }
    PostMessageW(handle, WM_SIZE, SIZE_RESTORED, MAKELPARAM(client.right, client.bottom));
    DragAcceptFiles(handle, TRUE);
    update_commands();
    if (!start_file.empty()) {
        open_file(start_file);
    }
}

void okno_hlavni::create_bars() {
    if (rebar_) {
        destroy_bars();
    }
    rebar_ = std::make_unique<winapi::rebar>();
    rebar_->create(handle);
    toolbar_ = std::make_unique<winapi::tool_bar>();
    toolbar_->create(rebar_->handle, app->toolbar_images->normal, app->toolbar_images->grey);
    rebar_->insert_toolbar_band(*toolbar_);
    toolbar_->add_button(IDM_OPEN, 0);
    toolbar_->add_button(IDM_SAVE, 1);
    toolbar_->add_separator();
    toolbar_->add_button(IDM_PREFERENCES, 3);
    toolbar_->add_separator();
    toolbar_->add_button(IDM_QUIT, 2);
    group_combo_ = std::make_unique<winapi::combo_box>();
    group_combo_->create(rebar_->handle);
    rebar_->insert_control_band(*group_combo_);
}

void okno_hlavni::fill_group_combo() {
    for (const auto& entry : tags::group_entries) {
        group_combo_->add_item(entry.combo_text, static_cast<LPARAM>(entry.value));
    }
    // A stored group that is no entry's selects the first.
    group_combo_->select(static_cast<int>(tags::group_index_of(settings->cb_skupina)));
}

void okno_hlavni::layout(WPARAM wparam, LPARAM lparam) {
    const int width = LOWORD(lparam);
    const int height = HIWORD(lparam);
    RECT status_rect{0, 0, 0, 0};
    RECT rebar_rect{0, 0, 0, 35};
    if (status_bar_ && IsWindow(status_bar_->handle)) {
        SendMessageW(status_bar_->handle, WM_SIZE, wparam, lparam);
        if (!GetWindowRect(status_bar_->handle, &status_rect)) {
            raise_last_error();
        }
    }
    if (rebar_ && IsWindow(rebar_->handle)) {
        MoveWindow(rebar_->handle, 0, 0, width, rect_height(rebar_rect), TRUE);
        if (!GetWindowRect(rebar_->handle, &rebar_rect)) {
            raise_last_error();
        }
    }
    if (property_list_ && IsWindow(property_list_->handle)) {
        // A minimised window has no room: the list is then 0 high, never less.
        const int list_height =
            std::max(0, height - rect_height(rebar_rect) - rect_height(status_rect));
        if (!SetWindowPos(property_list_->handle, nullptr, 0, rect_height(rebar_rect), width,
                          list_height, SWP_NOZORDER)) {
            raise_last_error();
        }
    }
}

void okno_hlavni::apply_fonts() {
    delete_font();
    HFONT chosen = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    LOGFONTW description{};
    if (IsAppThemed() && SUCCEEDED(GetThemeSysFont(nullptr, TMT_MSGBOXFONT, &description))) {
        font_ = CreateFontIndirectW(&description);
        if (font_ != nullptr) {
            chosen = font_;
        }
    }
    for (const HWND child : {group_combo_ ? group_combo_->handle : nullptr,
                             property_list_ ? property_list_->handle : nullptr}) {
        if (child != nullptr && IsWindow(child)) {
            SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(chosen), TRUE);
        }
    }
}

void okno_hlavni::on_close() {
    if (!property_list_) {
        return; // torn down already (WM_ENDSESSION, then WM_CLOSE)
    }
    save_placement(handle, *app);
    if (group_combo_ && IsWindow(group_combo_->handle)) {
        const LRESULT selected = SendMessageW(group_combo_->handle, CB_GETCURSEL, 0, 0);
        if (selected == CB_ERR) {
            raise_last_error();
        }
        const LRESULT data =
            SendMessageW(group_combo_->handle, CB_GETITEMDATA, static_cast<WPARAM>(selected), 0);
        if (data == CB_ERR) {
            raise_last_error();
        }
        settings->cb_skupina = static_cast<std::uint32_t>(data);
    }
    store_settings(*settings, *app);
    tear_down_children();
}

void okno_hlavni::set_title(const std::wstring& text) {
    if (!SendMessageW(handle, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()))) {
        raise_last_error();
    }
}

void okno_hlavni::set_status_text(const std::wstring& text) {
    if (!status_bar_ || !IsWindow(status_bar_->handle)) {
        return;
    }
    if (SendMessageW(status_bar_->handle, SB_SETTEXTW, 0, reinterpret_cast<LPARAM>(text.c_str())) ==
        0) {
        raise_last_error();
    }
}

void okno_hlavni::destroy_menu() {
    if (menu_ == nullptr) {
        return;
    }
    const HMENU menu = menu_;
    menu_ = nullptr;
    if (handle != nullptr && IsWindow(handle) && GetMenu(handle) == menu) {
        SetMenu(handle, nullptr);
        DrawMenuBar(handle);
    }
    if (!DestroyMenu(menu)) {
        raise_last_error();
    }
}

void okno_hlavni::delete_font() {
    if (font_ != nullptr) {
        DeleteObject(font_);
        font_ = nullptr;
    }
}

void okno_hlavni::show_error(const std::exception& failure) {
    app->show_message_ansi(failure.what(), message_box_flags::icon_error, 0);
}
