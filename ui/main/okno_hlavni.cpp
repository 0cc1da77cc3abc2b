#include "ui/main/okno_hlavni.h"

#include "app/message_box_style.h"
#include "app/settings_store_win.h"
#include "base/kestrov_exception.h"
#include "image/gdiplus_exception.h"
#include "image/property_readers.h"
#include "image/property_writer.h"
#include "image/saving.h"
#include "res/resource_ids.h"
#include "tags/group_rows.h"
#include "ui/dialogs/dlg_nastaveni.h"
#include "ui/dialogs/dlg_novy_tag.h"
#include "ui/dialogs/dlg_popisne_tagy.h"
#include "ui/dialogs/dlg_program_info.h"
#include "ui/dialogs/dlg_tag_dump.h"
#include "ui/dialogs/dlg_vstup_textu.h"
#include "ui/main/aplikace.h"
#include "ui/main/image_file_checks.h"
#include "ui/main/image_file_dialog.h"
#include "ui/main/main_messages.h"
#include "ui/main/program_objects.h"
#include "ui/main/window_placement.h"
#include "ui/toolkit/scoped_flag.h"

#include <commctrl.h>
#include <shellapi.h>
#include <shlobj.h>
#include <shlwapi.h>
#include <shobjidl.h>
#include <uxtheme.h>
#include <vssym32.h>

#include <algorithm>
#include <exception>
#include <vector>

using namespace kestrov;

namespace {

constexpr std::pair<const wchar_t*, tags::tag_group> group_combo_entries[] = {
    {L"Popisné údaje", tags::group_descriptive},
    {L"GPS - poloha", tags::group_gps},
    {L"Fotografické parametry", tags::group_photo},
    {L"Všechny", tags::group_all},
};

void show_error(const std::exception& failure) {
    app->show_message_ansi(failure.what(), message_box_flags::icon_error, 0);
}

// Saves the image over its file and tells what the user should know of a save that worked.
void save_image(gdi::bitmap_plus& image) {
    if (image.save().other_names_keep_old_content) {
        app->show_message_ansi(gdi::other_names_note().c_str(), message_box_flags::icon_exclamation,
                               0);
    }
}

// The string resource `id`; empty when there is none.
std::wstring load_string(UINT id) {
    const wchar_t* text = nullptr;
    const int length =
        LoadStringW(GetModuleHandleW(nullptr), id, reinterpret_cast<LPWSTR>(&text), 0);
    return length > 0 && text != nullptr ? std::wstring(text, static_cast<std::size_t>(length))
                                         : std::wstring();
}

int rect_height(const RECT& rect) {
    return rect.bottom - rect.top;
}

} // namespace

okno_hlavni::~okno_hlavni() {
    delete_font();
    image_.reset();
    toolbar_.reset();
    rebar_.reset();
    status_bar_.reset();
    try {
        destroy_menu();
    } catch (const std::exception&) {
    }
    property_list_.reset();
    group_combo_.reset();
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
        group_combo_.reset();
        toolbar_.reset();
        rebar_.reset();
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
    for (const auto& [text, group] : group_combo_entries) {
        group_combo_->add_item(text, static_cast<LPARAM>(group));
    }
    const auto found =
        std::find_if(std::begin(group_combo_entries), std::end(group_combo_entries),
                     [](const auto& entry) { return entry.second == settings->cb_skupina; });
    if (found != std::end(group_combo_entries)) {
        group_combo_->select(static_cast<int>(found - std::begin(group_combo_entries)));
    } else if (SendMessageW(group_combo_->handle, CB_SETCURSEL, 0, 0) == CB_ERR) {
        throw kestrov_exception("Zadaný index položky combo-boxu je neplatný");
    }
}

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

std::wstring okno_hlavni::window_title_for(const std::wstring& path) const {
    return std::wstring(PathFindFileNameW(path.c_str())) + L" - " + title_base_;
}

void okno_hlavni::open_file(const std::wstring& path) {
    // After the closing teardown the children are gone: nothing may be opened into them.
    if (path.empty() || !property_list_) {
        return;
    }
    if (!is_openable_image_file(path.c_str(), *supported_extensions)) {
        return;
    }
    image_.reset();
    app->current_file = path;
    try {
        image_ = std::make_unique<gdi::bitmap_plus>(path);
        set_title(window_title_for(path));
        refresh_rows();
        // The arrow keys move through the rows at once, without a click into the list first.
        if (GetActiveWindow() == handle && IsWindow(property_list_->handle)) {
            SetFocus(property_list_->handle);
        }
    } catch (const kestrov_exception& failure) {
        // The window never shows the rows of a file that is not open.
        image_.reset();
        try {
            set_title(title_base_);
            refresh_rows();
        } catch (const kestrov_exception&) {
        }
        show_error(failure);
    }
    update_commands();
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

void okno_hlavni::close_file() {
    app->current_file.clear();
    image_.reset();
    set_title(title_base_);
    refresh_rows();
    update_commands();
}

void okno_hlavni::save_file() {
    if (!image_open()) {
        return;
    }
    try {
        save_image(*image_);
        modified = false;
    } catch (const kestrov_exception& failure) {
        show_error(failure);
    }
    update_commands();
}

void okno_hlavni::show_open_dialog() {
    // The dialog has no owner, so the window stays usable while it is open; a second Ctrl+O must
    // not open a second dialog from inside the first.
    if (open_dialog_running_ || !property_list_) {
        return;
    }
    const winapi::scoped_flag running(open_dialog_running_);

    image_file_dialog dialog;
    if (!dialog.show()) {
        return;
    }
    try {
        open_file(dialog.chosen_path());
    } catch (const kestrov_exception& failure) {
        show_error(failure);
    }
}

void okno_hlavni::on_drop_files(HDROP drop) {
    // Only the first dropped file counts.
    const auto files = dropped_image_files(drop, *supported_extensions, 1);
    if (!files.empty()) {
        open_file(files.front());
    }
}

void okno_hlavni::refresh_rows() {
    if (!property_list_ || !IsWindow(property_list_->handle)) {
        return;
    }
    SendMessageW(property_list_->handle, LVM_DELETEALLITEMS, 0, 0);
    property_list_->tracked_row = -1;
    if (!group_combo_ || !IsWindow(group_combo_->handle)) {
        return;
    }
    const auto group = static_cast<tags::tag_group>(group_combo_->selected_data());
    imaging::image* image = image_ ? image_->bitmap() : nullptr;
    for (const auto& row : tags::group_rows(group, image, *tag_catalogue, *missing_tags)) {
        const int index = property_list_->insert_row(row.name.c_str(), row.id);
        property_list_->set_value_text(index, row.value.c_str());
    }
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
    group_combo_.reset();
    toolbar_.reset();
    rebar_.reset();
    destroy_menu();
    status_bar_.reset();
    property_list_.reset();
    delete_font();
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

bool okno_hlavni::image_open() const {
    return image_ && image_->bitmap() != nullptr;
}

std::optional<std::uint32_t> okno_hlavni::tracked_tag() const {
    if (!property_list_ || property_list_->tracked_row == -1) {
        return std::nullopt;
    }
    LVITEMW item{};
    item.mask = LVIF_PARAM;
    item.iItem = static_cast<int>(property_list_->tracked_row);
    if (!SendMessageW(property_list_->handle, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item))) {
        return std::nullopt;
    }
    return static_cast<std::uint32_t>(item.lParam);
}

template <typename Change>
void okno_hlavni::change_image(Change change) {
    try {
        change();
    } catch (const kestrov_exception& failure) {
        show_error(failure);
        refresh_rows();
        update_commands();
        return;
    }
    commit_change();
}

void okno_hlavni::commit_change() {
    if (saves_at_once(*settings)) {
        try {
            save_image(*image_);
        } catch (const kestrov_exception& failure) {
            modified = true;
            show_error(failure);
        }
    } else {
        modified = true;
    }
    refresh_rows();
    update_commands();
}

void okno_hlavni::edit_property() {
    if (!image_open()) {
        return;
    }
    const auto tag = tracked_tag();
    if (!tag) {
        return;
    }
    switch (static_cast<tags::tag_id>(*tag)) {
    case tags::image_description:
        edit_description();
        break;
    case tags::make:
        edit_maker();
        break;
    case tags::model:
        edit_model();
        break;
    case tags::software:
        edit_software();
        break;
    case tags::artist:
        edit_artist();
        break;
    case tags::image_title:
        edit_title();
        break;
    default:
        break; // GPS and photographic rows are not texts
    }
}

void okno_hlavni::edit_text(std::uint32_t tag, const wchar_t* prompt) {
    if (!image_open()) {
        return;
    }
    std::wstring text;
    if (!gdi::get_text_property(image_->bitmap(), tag, text)) {
        text.clear();
    }
    if (!ask_text(*app, text, prompt)) {
        return;
    }
    change_image([&] { gdi::set_text_property(image_->bitmap(), tag, text); });
}

void okno_hlavni::edit_title() {
    edit_text(tags::image_title, L"Zadej název obrázku");
}

void okno_hlavni::edit_description() {
    edit_text(tags::image_description, L"Zadej popis obrázku");
}

void okno_hlavni::edit_artist() {
    edit_text(tags::artist, L"Zadej autora obrázku");
}

void okno_hlavni::edit_maker() {
    edit_text(tags::make, L"Zadej výrobce");
}

void okno_hlavni::edit_model() {
    edit_text(tags::model, L"Zadej zařízení");
}

void okno_hlavni::edit_software() {
    edit_text(tags::software, L"Zadej použitý software");
}

void okno_hlavni::add_property() {
    if (!image_open()) {
        return;
    }
    // The descriptive tags this image lacks, whatever group the list shows: a tag the image holds
    // is edited, never added over.
    tags::missing_tag_list missing;
    tags::descriptive_rows(image_->bitmap(), *tag_catalogue, missing);
    const std::int32_t chosen = choose_new_tag(*app, *tag_catalogue, missing, handle);
    if (chosen == 0) {
        return;
    }
    const auto tag = static_cast<std::uint32_t>(chosen);
    const std::wstring prompt = L"Zadej hodnotu pro \"" + tag_catalogue->name_of(chosen) + L"\"";
    std::wstring text;
    if (!ask_text(*app, text, prompt)) {
        return;
    }
    change_image([&] { gdi::set_text_property(image_->bitmap(), tag, text); });
}

void okno_hlavni::remove_property() {
    if (!image_open()) {
        return;
    }
    const auto tag = tracked_tag();
    if (!tag) {
        return;
    }
    change_image([&] {
        const imaging::status result = image_->bitmap()->remove_property_item(*tag);
        // Only a format that holds no items refuses outright; an item already gone is no change
        // worth reporting.
        if (result == imaging::status::property_not_supported) {
            throw gdi::gdiplus_exception(result);
        }
    });
}
