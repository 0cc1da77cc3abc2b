#include "image/engine/text_bytes.h"

#include "base/text_conversion.h"

#include <cstdint>

namespace kestrov::imaging {

namespace {

std::string_view as_text(std::span<const std::byte> bytes) {
    return {reinterpret_cast<const char*>(bytes.data()), bytes.size()};
}

} // namespace

bool is_valid_utf8(std::span<const std::byte> bytes) {
    return kestrov::is_valid_utf8(as_text(bytes));
}

std::string latin1_to_utf8(std::span<const std::byte> bytes) {
    std::string text;
    text.reserve(bytes.size());
    for (const auto b : bytes) {
        append_utf8(text, std::to_integer<char32_t>(b));
    }
    return text;
}

std::string utf8_or_latin1(std::span<const std::byte> bytes) {
    if (is_valid_utf8(bytes)) {
        return std::string(as_text(bytes));
    }
    return latin1_to_utf8(bytes);
}

} // namespace kestrov::imaging
