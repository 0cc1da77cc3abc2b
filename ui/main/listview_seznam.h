// The main window's property list: a report list view with a name and a value column, whose rows
// carry the properties' tag ids as item data. It tracks the row the editing commands act on and
// tells its notify window, by posted messages, when that row changes and when it is
// double-clicked.
#pragma once

#include "tags/tag_ids.h"
#include "ui/toolkit/control_impl.h"
#include "ui/toolkit/list_view.h"

#include <cstdint>

#include <windows.h>

class listview_seznam : public kestrov::winapi::control_impl<kestrov::winapi::list_view_report> {
public:
    static constexpr int control_id = 1001;
    static constexpr int initial_name_width = 240;
    static constexpr int initial_value_width = 200;

    listview_seznam() = default;
    // Destroys the list's window when it still exists, then detaches.
    ~listview_seznam() override;

    // Creates the list as a child of `parent` (at 0, 0, 100 x 100: the parent's layout places it),
    // subclasses it and adds the two columns. The selection and double-click messages go to
    // `notify`, or to `parent` when it is null. A list made before is destroyed first.
    void create_list(HWND parent, HWND notify = nullptr);

    // Appends a row with `name` in the name column and `tag` as item data; returns its index.
    int insert_row(const wchar_t* name, kestrov::tags::tag_id tag);
    // Sets the value column of `row`. Only the window's existence is checked.
    void set_value_text(int row, const wchar_t* text);

    // Forgets the tracked row; the list's rows are being replaced.
    void reset_tracked_row() { tracked_row = -1; }

    LRESULT window_proc(UINT message, WPARAM wparam, LPARAM lparam) override;

    // The row the last item-change notification concerned; -1 when none is tracked.
    std::int64_t tracked_row = -1;
    // Receives WM_APP_SELECTION_CHANGED and WM_APP_EDIT_REQUEST.
    HWND notify_window = nullptr;

private:
    void insert_column(int position, int width, const wchar_t* title);
    void fit_value_column(WORD list_width);
};
