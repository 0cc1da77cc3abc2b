#include "ui/toolkit/edit_number.h"

#include "base/kestrov_exception.h"
#include "ui/toolkit/edit_number_rules.h"

#include <exception>

#include <commctrl.h>

namespace kestrov::winapi {

namespace {

// The hint text as the tooltip gets it; the tooltip keeps its own copy.
TOOLINFOW hint_tool(HWND edit, std::wstring& text) {
    TOOLINFOW tool{};
    tool.cbSize = sizeof tool;
    tool.hwnd = edit;
    tool.uId = 0;
    tool.lpszText = text.data();
    return tool;
}

} // namespace

edit_number::~edit_number() {
    try {
        edit_number::destroy();
        destroy_hint();
    } catch (const std::exception&) {
    }
}

void edit_number::attach(HWND edit) {
    require_window(edit);
    destroy();
    handle = edit;

    const auto style = GetWindowLongPtrW(edit, GWL_STYLE);
    if ((style & ES_NUMBER) == 0) {
        SetLastError(0);
        if (SetWindowLongPtrW(edit, GWL_STYLE, style | ES_NUMBER) == 0 && GetLastError() != 0) {
            raise_last_error();
        }
    }
    minimum = 0;
    maximum = 0;
    if (!SetDlgItemInt(parent().handle, GetDlgCtrlID(edit), 0, FALSE)) {
        raise_last_error();
    }
    value = 0;
    destroy_hint();
    create_hint();
    subclass();
}

void edit_number::create_hint() {
    hint = CreateWindowExW(0, TOOLTIPS_CLASSW, nullptr, TTS_ALWAYSTIP, 0, 0, 0, 0, nullptr, nullptr,
                           this_module(), nullptr);
    if (hint == nullptr) {
        raise_last_error();
    }
    std::wstring text = edit_number_hint(minimum, maximum);
    TOOLINFOW tool = hint_tool(handle, text);
    tool.uFlags = TTF_SUBCLASS;
    if (!GetClientRect(handle, &tool.rect)) {
        raise_last_error();
    }
    if (SendMessageW(hint, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool)) == 0) {
        raise_last_error();
    }
}

void edit_number::destroy_hint() {
    if (IsWindow(hint) && !DestroyWindow(hint)) {
        raise_last_error();
    }
    hint = nullptr;
}

void edit_number::set_bounds(std::uint32_t new_minimum, std::uint32_t new_maximum) {
    minimum = new_minimum;
    maximum = new_maximum;
    if (IsWindow(hint)) {
        std::wstring text = edit_number_hint(minimum, maximum);
        TOOLINFOW tool = hint_tool(handle, text);
        SendMessageW(hint, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
    }
}

// The text is read here rather than through GetDlgItemInt, which on some systems refuses
// 4294967295 as if it had overflowed.
bool edit_number::get_value(std::uint32_t& out) const {
    require_window(handle);
    const auto number = unsigned_number(text());
    if (!number || !within_bounds(*number, minimum, maximum)) {
        return false;
    }
    out = *number;
    return true;
}

bool edit_number::validate() {
    std::uint32_t number = 0;
    if (get_value(number)) {
        value = number;
        return true;
    }
    SetDlgItemInt(parent().handle, GetDlgCtrlID(handle), value, FALSE);
    return false;
}

void edit_number::destroy() {
    restore_procedure(true);
    handle = nullptr;
}

LRESULT edit_number::window_proc(UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_DESTROY) {
        destroy_hint();
    } else if (message == WM_KILLFOCUS) {
        validate();
    }
    return control_impl::window_proc(message, wparam, lparam);
}

} // namespace kestrov::winapi
