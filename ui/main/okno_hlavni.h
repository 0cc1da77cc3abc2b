// The main window: menu, rebar with the toolbar and the group combo, the property list between
// the rebar and the status bar, and at most one open image. It turns every command into its
// operation and keeps the commands' states in step with the image and the list.
#pragma once

#include "image/bitmap_plus.h"
#include "tags/tag_ids.h"
#include "ui/main/listview_seznam.h"
#include "ui/toolkit/combo_box.h"
#include "ui/toolkit/rebar.h"
#include "ui/toolkit/status_bar.h"
#include "ui/toolkit/tool_bar.h"
#include "ui/toolkit/window_impl.h"

#include <shellapi.h>

#include <cstdint>
#include <exception>
#include <memory>
#include <optional>
#include <string>

// The address the web-page command opens.
inline constexpr wchar_t product_web_page[] = L"https://example.com/mirtel/";

class okno_hlavni : public kestrov::winapi::window_impl {
public:
    okno_hlavni() = default;
    ~okno_hlavni() override;

    const wchar_t* class_name() const override { return L"mirtel"; }
    LRESULT window_proc(UINT message, WPARAM wparam, LPARAM lparam) override;

    // Registers the class, creates the window and its children, restores the placement and shows
    // the window; a file named on the command line is opened once the window is shown.
    void initialize();
    void update_commands();
    void open_file(const std::wstring& path);
    void close_file();
    void save_file();
    void show_open_dialog();
    void on_drop_files(HDROP drop);
    // Empties the list, tracks no row, and fills the rows of the selected group for the image.
    void refresh_rows();

    // The property commands: edit the tracked row's text, add a descriptive text the image lacks,
    // remove the tracked row's item. Each saves at once or sets the modified flag.
    void edit_property();
    void edit_title() { edit_descriptive(kestrov::tags::image_title); }
    void edit_description() { edit_descriptive(kestrov::tags::image_description); }
    void edit_artist() { edit_descriptive(kestrov::tags::artist); }
    void edit_maker() { edit_descriptive(kestrov::tags::make); }
    void edit_model() { edit_descriptive(kestrov::tags::model); }
    void edit_software() { edit_descriptive(kestrov::tags::software); }
    void add_property();
    void remove_property();
    void commit_change();

    // The open image, or null.
    kestrov::gdi::bitmap_plus* image() const { return image_.get(); }
    listview_seznam* property_list() const { return property_list_.get(); }
    kestrov::winapi::combo_box* group_combo() const { return group_combo_.get(); }
    kestrov::winapi::tool_bar* toolbar() const { return toolbar_.get(); }
    kestrov::winapi::status_bar* status() const { return status_bar_.get(); }
    HMENU menu() const { return menu_; }

    bool modified = false;

private:
    void create_bars();
    void destroy_bars();
    // The children, the menu and the font, in the one order both closing and destruction use.
    void tear_down_children();
    void fill_group_combo();
    void layout(WPARAM wparam, LPARAM lparam);
    void apply_fonts();
    void on_close();
    // The control with the focus when the window is left, and the focus back there (or to the
    // property list) when the window is active again.
    void remember_focus();
    void restore_focus();
    void on_command(WPARAM wparam, LPARAM lparam);
    void on_menu_select(WPARAM wparam);
    void on_tooltip_text(LPARAM lparam);
    void set_title(const std::wstring& text);
    void set_status_text(const std::wstring& text);
    std::wstring window_title_for(const std::wstring& path) const;
    void destroy_menu();
    void delete_font();
    bool image_open() const;
    // The tag id of the tracked row; nothing when no row is tracked or the list cannot say.
    std::optional<std::uint32_t> tracked_tag() const;
    // Asks for the descriptive text `id` with its own prompt and writes the answer; a tag that is
    // no descriptive text is left alone.
    void edit_descriptive(kestrov::tags::tag_id id);
    static void show_error(const std::exception& failure);
    // Saves the image over its file and tells what the user should know of a save that worked.
    static void save_image(kestrov::gdi::bitmap_plus& image);
    // Makes a change in the image and commits it. A failure is shown and the program goes on:
    // a change the image refused leaves it as it was; one the file refused stays in the image,
    // marked as not yet saved, for the user to save again.
    template <typename Change>
    void change_image(Change change);

    HFONT font_ = nullptr;
    std::wstring title_base_;
    std::unique_ptr<kestrov::winapi::combo_box> group_combo_;
    std::unique_ptr<listview_seznam> property_list_;
    // Menu 102, destroyed by this object (after it is detached from the window).
    HMENU menu_ = nullptr;
    std::unique_ptr<kestrov::winapi::status_bar> status_bar_;
    std::unique_ptr<kestrov::winapi::rebar> rebar_;
    std::unique_ptr<kestrov::winapi::tool_bar> toolbar_;
    std::unique_ptr<kestrov::gdi::bitmap_plus> image_;
    // The owner-less file dialog is open: a second one must not start from inside it.
    bool open_dialog_running_ = false;
    HWND focus_on_return_ = nullptr;
};
