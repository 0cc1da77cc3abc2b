#include "ui/toolkit/bar_support.h"

#include "base/kestrov_exception.h"

#include <exception>

namespace kestrov::winapi {

void destroy_bar(window& bar) {
    if (bar.handle != nullptr && IsWindow(bar.handle) && !DestroyWindow(bar.handle)) {
        raise_last_error();
    }
    bar.handle = nullptr;
    bar.owned = false;
}

void destroy_bar_quietly(window& bar) noexcept {
    try {
        destroy_bar(bar);
    } catch (const std::exception&) {
    }
}

HWND create_bar_window(const wchar_t* class_name, const wchar_t* title, DWORD style, HWND parent) {
    const HWND created =
        CreateWindowExW(0, class_name, title, style, 0, 0, 0, 0, parent,
                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(1)), this_module(), nullptr);
    if (created == nullptr) {
        raise_last_error();
    }
    return created;
}

} // namespace kestrov::winapi
