// The disabled look of a toolbar image: every pixel becomes a light grey of its own brightness,
// and black, the transparent colour, stays black so the disabled image keeps the same outline.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace kestrov::winapi {

// Luma in integer percent weights, then lifted halfway to white so that every visible pixel lands
// in 128-255. Only a luma of exactly 0 stays 0.
constexpr std::uint8_t grey_level(std::uint8_t red, std::uint8_t green, std::uint8_t blue) {
    unsigned level = (30U * red + 59U * green + 11U * blue) / 100U;
    if (level != 0) {
        level += (255U - level) / 2U;
    }
    return static_cast<std::uint8_t>(level);
}

// Pixels of 4 bytes each in the order blue, green, red, alpha; alpha is left as it is. A trailing
// partial pixel is not touched.
inline void grey_pixels(std::span<std::uint8_t> bgra) {
    for (std::size_t pixel = 0; pixel + 4 <= bgra.size(); pixel += 4) {
        const std::uint8_t level = grey_level(bgra[pixel + 2], bgra[pixel + 1], bgra[pixel]);
        bgra[pixel] = level;
        bgra[pixel + 1] = level;
        bgra[pixel + 2] = level;
    }
}

} // namespace kestrov::winapi
