#include "ui/toolkit/combo_box.h"

#include "base/kestrov_exception.h"

namespace kestrov::winapi {

void combo_box::create(HWND parent) {
    require_window(parent);
    if (handle != nullptr) {
        if (IsWindow(handle) && !DestroyWindow(handle)) {
            raise_last_error();
        }
        handle = nullptr;
    }
    owned = false;
    RECT area{};
    if (!GetClientRect(parent, &area)) {
        raise_last_error();
    }
    handle = CreateWindowExW(
        0, L"ComboBox", L"", WS_CHILD | WS_VISIBLE | CBS_DROPDOWNLIST | CBS_HASSTRINGS, area.left,
        area.top, area.right - area.left, area.bottom - area.top, parent,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(combo_box_id)), this_module(), nullptr);
    if (handle == nullptr) {
        raise_last_error();
    }
    owned = true;
}

int combo_box::add_item(const wchar_t* text, LPARAM data) {
    const LRESULT index = SendMessageW(handle, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
    if (index == CB_ERR || index == CB_ERRSPACE) {
        raise_last_error();
    }
    if (SendMessageW(handle, CB_SETITEMDATA, static_cast<WPARAM>(index), data) == CB_ERR) {
        raise_last_error();
    }
    return static_cast<int>(index);
}

void combo_box::select(int index) {
    require_window(handle);
    if (SendMessageW(handle, CB_SETCURSEL, static_cast<WPARAM>(index), 0) == CB_ERR) {
        throw kestrov_exception("Zadaný index položky combo-boxu je neplatný");
    }
}

LPARAM combo_box::selected_data() const {
    const LRESULT index = SendMessageW(handle, CB_GETCURSEL, 0, 0);
    if (index == CB_ERR) {
        raise_last_error();
    }
    const LRESULT data = SendMessageW(handle, CB_GETITEMDATA, static_cast<WPARAM>(index), 0);
    if (data == CB_ERR) {
        raise_last_error();
    }
    return data;
}

} // namespace kestrov::winapi
