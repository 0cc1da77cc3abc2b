#include "ui/main/window_placement.h"

#include "app/settings_store_win.h"
#include "base/kestrov_exception.h"
#include "ui/main/work_area.h"

#include <exception>

namespace kestrov {

namespace {

screen_rect from_rect(const RECT& rect) {
    return {rect.left, rect.top, rect.right, rect.bottom};
}

screen_rect window_rect(HWND window) {
    RECT rect{};
    if (!GetWindowRect(window, &rect)) {
        raise_last_error();
    }
    return from_rect(rect);
}

void move_to(HWND window, window_position position, UINT extra_flags) {
    if (!SetWindowPos(window, nullptr, position.x, position.y, 0, 0,
                      SWP_NOSIZE | SWP_NOZORDER | extra_flags)) {
        raise_last_error();
    }
}

screen_rect primary_work_area() {
    RECT work{};
    if (!SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0)) {
        raise_last_error();
    }
    return from_rect(work);
}

screen_rect nearest_work_area(HWND reference) {
    const HMONITOR monitor = MonitorFromWindow(reference, MONITOR_DEFAULTTONEAREST);
    if (monitor == nullptr) {
        raise_last_error();
    }
    MONITORINFO info{};
    info.cbSize = sizeof info;
    if (!GetMonitorInfoW(monitor, &info)) {
        raise_last_error();
    }
    return from_rect(info.rcWork);
}

// A child is positioned in its parent's client coordinates.
screen_rect parent_client_area(HWND parent) {
    RECT client{};
    if (!GetClientRect(parent, &client)) {
        raise_last_error();
    }
    // MapWindowPoints answers 0 both for a failure and for a zero offset, so only the last error
    // tells them apart.
    SetLastError(0);
    if (MapWindowPoints(parent, parent, reinterpret_cast<POINT*>(&client), 2) == 0 &&
        GetLastError() != 0) {
        raise_last_error();
    }
    return from_rect(client);
}

bool usable_owner(HWND owner) {
    if (owner == nullptr) {
        return false;
    }
    const auto style = GetWindowLongPtrW(owner, GWL_STYLE);
    return (style & WS_VISIBLE) != 0 && (style & WS_MINIMIZE) == 0;
}

} // namespace

void save_placement(HWND window, application_base& application) {
    RECT rect{};
    // A minimised window's rectangle is its icon's: far off the screen (both edges negative) where
    // minimised windows are hidden, or in a corner where they are arranged as icons. Either would
    // bring the window back as something the user never placed.
    if (!GetWindowRect(window, &rect) || (rect.left < 0 && rect.top < 0) || IsIconic(window)) {
        return;
    }
    try {
        store_window_rect(from_rect(rect));
    } catch (const kestrov_exception& failure) {
        try {
            application.log_error_ansi(failure.what());
        } catch (const std::exception&) {
            // The window closes regardless; there is nowhere left to report to.
        }
    }
}

bool restore_placement(HWND window) {
    const auto stored = load_window_rect();
    if (!stored) {
        return false;
    }
    SetWindowPos(window, nullptr, stored->left, stored->top, stored->right - stored->left,
                 stored->bottom - stored->top, SWP_NOZORDER);
    keep_on_work_area(window);
    return true;
}

bool keep_on_work_area(HWND window) {
    const screen_rect work = primary_work_area();
    const auto position = position_on_work_area(window_rect(window), work);
    if (!position) {
        return false;
    }
    move_to(window, *position, 0);
    return true;
}

void center_on_monitor(HWND window) {
    const auto style = GetWindowLongPtrW(window, GWL_STYLE);
    screen_rect area;
    screen_rect bounds;
    if ((style & WS_CHILD) != 0) {
        area = bounds = parent_client_area(GetParent(window));
    } else {
        const HWND owner = GetWindow(window, GW_OWNER);
        const bool over_owner = usable_owner(owner);
        bounds = nearest_work_area(over_owner ? owner : window);
        area = over_owner ? window_rect(owner) : bounds;
    }
    const screen_rect own = window_rect(window);
    move_to(window, centred_position(area, bounds, own.right - own.left, own.bottom - own.top),
            SWP_NOACTIVATE);
}

} // namespace kestrov
