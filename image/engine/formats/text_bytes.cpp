#include "image/engine/formats/text_bytes.h"

#include <cstdint>

namespace kestrov::imaging {

namespace {

bool is_continuation(std::uint8_t b) {
    return (b & 0xC0) == 0x80;
}

// Length of the sequence that starts at `bytes[at]`, or 0 when it is not well formed.
// The allowed second bytes follow RFC 3629 §4.
std::size_t sequence_length(std::span<const std::byte> bytes, std::size_t at) {
    const auto lead = std::to_integer<std::uint8_t>(bytes[at]);
    if (lead < 0x80) {
        return 1;
    }
    std::size_t length = 0;
    std::uint8_t low = 0x80;
    std::uint8_t high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        low = lead == 0xE0 ? 0xA0 : 0x80;  // overlong
        high = lead == 0xED ? 0x9F : 0xBF; // surrogates
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        low = lead == 0xF0 ? 0x90 : 0x80;  // overlong
        high = lead == 0xF4 ? 0x8F : 0xBF; // past U+10FFFF
    } else {
        return 0;
    }
    if (bytes.size() - at < length) {
        return 0;
    }
    const auto second = std::to_integer<std::uint8_t>(bytes[at + 1]);
    if (second < low || second > high) {
        return 0;
    }
    for (std::size_t i = 2; i < length; ++i) {
        if (!is_continuation(std::to_integer<std::uint8_t>(bytes[at + i]))) {
            return 0;
        }
    }
    return length;
}

} // namespace

bool is_valid_utf8(std::span<const std::byte> bytes) {
    std::size_t at = 0;
    while (at < bytes.size()) {
        const auto length = sequence_length(bytes, at);
        if (length == 0) {
            return false;
        }
        at += length;
    }
    return true;
}

std::string latin1_to_utf8(std::span<const std::byte> bytes) {
    std::string text;
    text.reserve(bytes.size());
    for (const auto b : bytes) {
        const auto code = std::to_integer<std::uint8_t>(b);
        if (code < 0x80) {
            text.push_back(static_cast<char>(code));
        } else {
            text.push_back(static_cast<char>(0xC0 | (code >> 6)));
            text.push_back(static_cast<char>(0x80 | (code & 0x3F)));
        }
    }
    return text;
}

std::string utf8_or_latin1(std::span<const std::byte> bytes) {
    if (is_valid_utf8(bytes)) {
        std::string text;
        text.reserve(bytes.size());
        for (const auto b : bytes) {
            text.push_back(static_cast<char>(b));
        }
        return text;
    }
    return latin1_to_utf8(bytes);
}

} // namespace kestrov::imaging
