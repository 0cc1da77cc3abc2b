#include "image/engine/image_format.h"

#include "image/engine/format_facts.h"

#include "image/engine/io/byte_reader.h"

#include <array>
#include <cstdint>

namespace kestrov::imaging {

namespace {

// An enhanced metafile starts with its header record: type 1, then " EMF" at offset 40.
bool is_emf(std::span<const std::byte> head) {
    byte_reader reader(head);
    bool in_range = false;
    const auto type = reader.u32_at(0, in_range);
    if (!in_range || type != 1) {
        return false;
    }
    const auto signature = reader.u32_at(40, in_range);
    return in_range && signature == emf_signature;
}

// A Windows metafile: the placeable header's key, or a plain header (type 1 in memory or 2 on
// disk, header size 9 words, version 0x0100 or 0x0300).
bool is_wmf(std::span<const std::byte> head) {
    if (starts_with(head, wmf_placeable_signature)) {
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
    if (starts_with(head, jpeg_signature)) {
        return image_format::jpeg;
    }
    if (starts_with(head, png_signature)) {
        return image_format::png;
    }
    if (starts_with(head, gif87a_signature) || starts_with(head, gif89a_signature)) {
        return image_format::gif;
    }
    if (starts_with(head, tiff_intel_signature) || starts_with(head, tiff_motorola_signature)) {
        return image_format::tiff;
    }
    if (starts_with(head, bmp_signature) && head.size() >= 14) {
        return image_format::bmp;
    }
    if (starts_with(head, ico_signature) && head.size() >= 6) {
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
