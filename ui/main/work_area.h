// Where the main window goes: kept on the work area when restored, or centred when there is
// nothing to restore. Pure rectangle rules; the calls that read and move windows are elsewhere.
#pragma once

#include "app/screen_rect.h"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <optional>

namespace kestrov {

struct window_position {
    std::int32_t x = 0;
    std::int32_t y = 0;

    friend constexpr bool operator==(const window_position&, const window_position&) = default;
};

namespace work_area_detail {
// Sums of two coordinates can pass the 32-bit range, so the rules compute in 64 bits and the
// result is brought back into range.
constexpr std::int32_t narrow(std::int64_t value) {
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(
        value, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()));
}
} // namespace work_area_detail

// The new top-left corner of a window lying partly off the work area, or nothing when it may stay.
// The rules run in order; the last two start again from the window as it is and, when they apply,
// decide the final coordinate, so a window wider than the work area ends at its left edge.
constexpr std::optional<window_position> position_on_work_area(const screen_rect& window,
                                                               const screen_rect& work) {
    using work_area_detail::narrow;
    std::int64_t x = window.left;
    std::int64_t y = window.top;
    bool moved = false;
    if (window.left < work.left) {
        x = work.left;
        moved = true;
    }
    if (std::int64_t{window.left} > std::int64_t{work.right} - 10) {
        x = std::int64_t{work.right} - work.left - 10;
        moved = true;
    }
    if (window.top < work.top) {
        y = work.top;
        moved = true;
    }
    if (std::int64_t{window.top} > std::int64_t{work.bottom} - 10) {
        y = std::int64_t{work.bottom} - work.top - 10;
        moved = true;
    }
    if (window.right > work.right) {
        x = std::max<std::int64_t>(std::int64_t{window.left} - window.right + work.right,
                                   work.left);
        moved = true;
    }
    if (window.bottom > work.bottom) {
        y = std::max<std::int64_t>(std::int64_t{window.top} - window.bottom + work.bottom,
                                   work.top);
        moved = true;
    }
    if (!moved) {
        return std::nullopt;
    }
    return window_position{narrow(x), narrow(y)};
}

// The top-left corner that centres a window of the given size on `area`, then pushed back inside
// `bounds`: first off the right (bottom) edge, then off the left (top) edge, so that a window
// larger than the bounds shows its top-left part.
constexpr window_position centred_position(const screen_rect& area, const screen_rect& bounds,
                                           std::int32_t width, std::int32_t height) {
    using work_area_detail::narrow;
    // Integer division truncates toward zero, as the halves of odd sizes should.
    std::int64_t x = (std::int64_t{area.left} + area.right) / 2 - width / 2;
    std::int64_t y = (std::int64_t{area.top} + area.bottom) / 2 - height / 2;
    if (x + width > bounds.right) {
        x = std::int64_t{bounds.right} - width;
    }
    if (x < bounds.left) {
        x = bounds.left;
    }
    if (y + height > bounds.bottom) {
        y = std::int64_t{bounds.bottom} - height;
    }
    if (y < bounds.top) {
        y = bounds.top;
    }
    return window_position{narrow(x), narrow(y)};
}

} // namespace kestrov
