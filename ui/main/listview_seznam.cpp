#include "ui/main/listview_seznam.h"

#include "base/kestrov_exception.h"
#include "ui/main/main_messages.h"
#include "ui/main/value_column_width.h"
#include "ui/toolkit/reflection.h"

#include <commctrl.h>
#include <uxtheme.h>

using kestrov::raise_last_error;
using kestrov::winapi::require_window;

listview_seznam::~listview_seznam() {
    // A destructor cannot report a failure; the detach below still runs.
    if (IsWindow(handle)) {
        DestroyWindow(handle);
    }
}

void listview_seznam::create_list(HWND parent, HWND notify) {
    destroy();
    notify_window = notify != nullptr ? notify : parent;
    handle =
        CreateWindowExW(0, WC_LISTVIEWW, L"", WS_CHILD | LVS_REPORT | LVS_SHOWSELALWAYS, 0, 0, 100,
                        100, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(control_id)),
                        kestrov::winapi::this_module(), this);
    if (handle == nullptr) {
        raise_last_error();
    }
    owned = true;
    SendMessageW(handle, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, LVS_EX_FULLROWSELECT);
    subclass();
    const HRESULT themed = SetWindowTheme(handle, L"explorer", nullptr);
    if (FAILED(themed)) {
        throw kestrov::kestrov_exception(static_cast<kestrov::hresult>(themed));
    }
    ShowWindow(handle, SW_SHOW);
    insert_column(0, initial_name_width, L"Název");
    insert_column(1, initial_value_width, L"Hodnota");
}

void listview_seznam::insert_column(int position, int width, const wchar_t* title) {
    require_window(handle);
    LVCOLUMNW column{};
    column.mask = LVCF_WIDTH | LVCF_TEXT;
    column.cx = width;
    column.pszText = const_cast<wchar_t*>(title);
    if (SendMessageW(handle, LVM_INSERTCOLUMNW, static_cast<WPARAM>(position),
                     reinterpret_cast<LPARAM>(&column)) == -1) {
        raise_last_error();
    }
}

int listview_seznam::insert_row(const wchar_t* name, kestrov::tags::tag_id tag) {
    LVITEMW item{};
    item.mask = LVIF_TEXT | LVIF_PARAM;
    // Past any row the list ever holds, so the row is appended.
    item.iItem = 1000;
    item.pszText = const_cast<wchar_t*>(name);
    item.lParam = static_cast<LPARAM>(tag);
    const LRESULT row = SendMessageW(handle, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
    if (row == -1) {
        raise_last_error();
    }
    return static_cast<int>(row);
}

void listview_seznam::set_value_text(int row, const wchar_t* text) {
    require_window(handle);
    LVITEMW item{};
    item.iSubItem = 1;
    item.pszText = const_cast<wchar_t*>(text);
    SendMessageW(handle, LVM_SETITEMTEXTW, static_cast<WPARAM>(row),
                 reinterpret_cast<LPARAM>(&item));
}

// The name column keeps the width the user gave it; the value column takes what is left of the
// list, or nothing when the list is narrower than the name column.
void listview_seznam::fit_value_column(WORD list_width) {
    const auto name_width =
        static_cast<WORD>(SendMessageW(handle, LVM_GETCOLUMNWIDTH, 0, 0) & 0xFFFF);
    SendMessageW(handle, LVM_SETCOLUMNWIDTH, 0, MAKELPARAM(name_width, 0));
    SendMessageW(handle, LVM_SETCOLUMNWIDTH, 1,
                 MAKELPARAM(kestrov::value_column_width(list_width, name_width), 0));
}

LRESULT listview_seznam::window_proc(UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
    case WM_SIZE:
        fit_value_column(LOWORD(lparam));
        break;
    case WM_LBUTTONDBLCLK:
        PostMessageW(notify_window, WM_APP_EDIT_REQUEST,
                     static_cast<WPARAM>(GetWindowLongPtrW(handle, GWLP_ID)),
                     reinterpret_cast<LPARAM>(handle));
        break;
    case kestrov::winapi::reflected_notify: {
        const auto* header = reinterpret_cast<const NMHDR*>(lparam);
        if (header != nullptr && header->code == LVN_ITEMCHANGED) {
            // Any change of any row (selection, deselection, focus) makes it the tracked row.
            const std::int64_t row = reinterpret_cast<const NMLISTVIEW*>(lparam)->iItem;
            if (row != tracked_row) {
                tracked_row = row;
                PostMessageW(notify_window, WM_APP_SELECTION_CHANGED, 0, 0);
            }
        }
        break;
    }
    default:
        break;
    }
    return control_impl::window_proc(message, wparam, lparam);
}
