// Text colours of the static text styles. Colours are 0x00BBGGRR, as the platform's COLORREF.
#pragma once

#include <cstdint>
#include <optional>

namespace kestrov::winapi {

using colour = std::uint32_t;

constexpr colour rgb(std::uint8_t red, std::uint8_t green, std::uint8_t blue) {
    return colour{red} | (colour{green} << 8) | (colour{blue} << 16);
}

inline constexpr colour heading_red = rgb(160, 0, 0);
inline constexpr colour note_green = rgb(0, 96, 0);

// The style's own colour; none for style 0 (and unknown styles), which use the system's window
// text colour.
constexpr std::optional<colour> style_text_colour(std::uint8_t text_style) {
    switch (text_style) {
    case 1:
    case 2:
        return heading_red;
    case 3:
        return note_green;
    default:
        return std::nullopt;
    }
}

// The colour an owner-drawn static text is drawn in. A window text colour other than black means
// the user chose a scheme (high contrast, for one), which then wins over the style's colour; with
// black, the style's colour is used, and style 0 keeps whatever the device context has.
constexpr std::optional<colour> drawn_text_colour(std::uint8_t text_style,
                                                  colour system_window_text) {
    if (system_window_text != 0) {
        return system_window_text;
    }
    return style_text_colour(text_style);
}

} // namespace kestrov::winapi
