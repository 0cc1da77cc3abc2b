#include "image/engine/image_format.h"

#include "image/engine/byte_reader.h"

#include <array>
#include <cstdint>

namespace kestrov::imaging {

namespace {

bool starts_with(std::span<const std::byte> head, std::initializer_list<std::uint8_t> signature) {
    if (head.size() < signature.size()) {
        return false;
    }
    std::size_t i = 0;
    for (const auto expected : signature) {
        if (std::to_integer<std::uint8_t>(head[i++]) != expected) {
            return false;
        }
    }
    return true;
}

// An enhanced metafile starts with its header record: type 1, then " EMF" at offset 40.
bool is_emf(std::span<const std::byte> head) {
    byte_reader reader(head);
    bool in_range = false;
    const auto type = reader.u32_at(0, in_range);
    if (!in_range || type != 1) {
        return false;
    }
    const auto signature = reader.u32_at(40, in_range);
    return in_range && signature == 0x464D4520;
}

// A Windows metafile: the placeable header's key, or a plain header (type 1 in memory or 2 on
// disk, header size 9 words, version 0x0100 or 0x0300).
bool is_wmf(std::span<const std::byte> head) {
    if (starts_with(head, {0xD7, 0xCD, 0xC6, 0x9A})) {
        return true;
    }
    byte_reader reader(head);
    bool a = false;
    bool b = false;
    bool c = false;
    const auto type = reader.u16_at(0, a);
    const auto header_words = reader.u16_at(2, b);
    const auto version = reader.u16_at(4, c);
    return a && b && c && (type == 1 || type == 2) && header_words == 9 &&
           (version == 0x0100 || version == 0x0300);
}

} // namespace

image_format detect_format(std::span<const std::byte> head) {
    if (starts_with(head, {0xFF, 0xD8, 0xFF})) {
        return image_format::jpeg;
    }
    if (starts_with(head, {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A})) {
        return image_format::png;
    }
    if (starts_with(head, {'G', 'I', 'F', '8', '7', 'a'}) ||
        starts_with(head, {'G', 'I', 'F', '8', '9', 'a'})) {
        return image_format::gif;
    }
    if (starts_with(head, {'I', 'I', 0x2A, 0x00}) || starts_with(head, {'M', 'M', 0x00, 0x2A})) {
        return image_format::tiff;
    }
    if (starts_with(head, {'B', 'M'}) && head.size() >= 14) {
        return image_format::bmp;
    }
    if (starts_with(head, {0x00, 0x00, 0x01, 0x00}) && head.size() >= 6) {
        return image_format::ico;
    }
    if (is_emf(head)) {
        return image_format::emf;
    }
    if (is_wmf(head)) {
        return image_format::wmf;
    }
    return image_format::unknown;
}

} // namespace kestrov::imaging
