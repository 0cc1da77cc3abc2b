// A window rectangle in screen coordinates and its stored form: left, top, right and bottom, each a
// signed 32-bit little-endian integer, 16 bytes in all.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <optional>
#include <span>

namespace kestrov {

struct screen_rect {
    std::int32_t left = 0;
    std::int32_t top = 0;
    std::int32_t right = 0;
    std::int32_t bottom = 0;

    friend constexpr bool operator==(const screen_rect&, const screen_rect&) = default;
};

inline constexpr std::size_t stored_rect_size = 16;

constexpr std::array<std::uint8_t, stored_rect_size> stored_rect_bytes(const screen_rect& rect) {
    std::array<std::uint8_t, stored_rect_size> bytes{};
    const std::int32_t fields[] = {rect.left, rect.top, rect.right, rect.bottom};
    for (std::size_t field = 0; field < 4; ++field) {
        const auto value = static_cast<std::uint32_t>(fields[field]);
        for (std::size_t byte = 0; byte < 4; ++byte) {
            bytes[field * 4 + byte] = static_cast<std::uint8_t>(value >> (8 * byte));
        }
    }
    return bytes;
}

// The rectangle a stored value describes, or nothing when the value cannot be a window's
// rectangle: another size than 16 bytes (a shorter one would leave fields undefined), or a width
// or height that is negative or does not fit a window size.
constexpr std::optional<screen_rect> rect_from_stored_bytes(std::span<const std::uint8_t> bytes) {
    if (bytes.size() != stored_rect_size) {
        return std::nullopt;
    }
    std::int32_t fields[4] = {};
    for (std::size_t field = 0; field < 4; ++field) {
        std::uint32_t value = 0;
        for (std::size_t byte = 0; byte < 4; ++byte) {
            value |= std::uint32_t{bytes[field * 4 + byte]} << (8 * byte);
        }
        fields[field] = static_cast<std::int32_t>(value);
    }
    const screen_rect rect{fields[0], fields[1], fields[2], fields[3]};
    const std::int64_t width = std::int64_t{rect.right} - rect.left;
    const std::int64_t height = std::int64_t{rect.bottom} - rect.top;
    constexpr std::int64_t largest = std::numeric_limits<std::int32_t>::max();
    if (width < 0 || height < 0 || width > largest || height > largest) {
        return std::nullopt;
    }
    return rect;
}

} // namespace kestrov
