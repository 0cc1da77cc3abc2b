#include "ui/toolkit/tool_tip.h"

#include "base/kestrov_exception.h"

#include <exception>

#include <commctrl.h>

namespace kestrov::winapi {

tool_tip::~tool_tip() {
    try {
        tool_tip::destroy();
    } catch (const std::exception&) {
    }
}

void tool_tip::create(HWND parent_window) {
    destroy();
    require_window(parent_window);
    parent = parent_window;
    handle = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, TTS_ALWAYSTIP, 0, 0, 0, 0,
                             nullptr, nullptr, this_module(), nullptr);
    if (handle == nullptr) {
        raise_last_error();
    }
    owned = true;
}

void tool_tip::add_tool(HWND control, UINT string_id) {
    require_window(handle);
    require_window(parent);
    require_window(control);
    TOOLINFOW tool{};
    tool.cbSize = sizeof tool;
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = parent;
    tool.uId = reinterpret_cast<UINT_PTR>(control);
    tool.hinst = this_module();
    // The tooltip loads the string itself when it shows it.
    tool.lpszText = string_id != 0 ? MAKEINTRESOURCEW(string_id) : nullptr;
    if (SendMessageW(handle, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool)) == 0) {
        raise_last_error();
    }
}

void tool_tip::destroy() {
    if (handle != nullptr && IsWindow(handle) && !DestroyWindow(handle)) {
        raise_last_error();
    }
    parent = nullptr;
    handle = nullptr;
    owned = false;
}

} // namespace kestrov::winapi
