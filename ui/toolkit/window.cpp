#include "ui/toolkit/window.h"

#include "base/kestrov_exception.h"

#include <exception>

namespace kestrov::winapi {

void require_window(HWND handle) {
    if (!IsWindow(handle)) {
        raise_last_error();
    }
}

window::window(HWND existing) : handle(existing) {
    if (existing != nullptr) {
        require_window(existing);
    }
}

void window::destroy() {
    if (owned) {
        if (IsWindow(handle) && !DestroyWindow(handle)) {
            raise_last_error();
        }
        owned = false;
    }
    handle = nullptr;
}

window::~window() {
    try {
        window::destroy();
    } catch (const std::exception&) {
    }
}

std::wstring window::text() const {
    const auto length = static_cast<std::size_t>(SendMessageW(handle, WM_GETTEXTLENGTH, 0, 0));
    std::wstring result(length + 1, L'\0');
    const auto copied = static_cast<std::size_t>(
        SendMessageW(handle, WM_GETTEXT, length + 1, reinterpret_cast<LPARAM>(result.data())));
    if (copied != length) {
        raise_last_error();
    }
    result.resize(length);
    return result;
}

window window::parent() const {
    const HWND ancestor = GetAncestor(handle, GA_PARENT);
    if (!IsWindow(ancestor)) {
        raise_last_error();
    }
    return window(ancestor);
}

} // namespace kestrov::winapi
