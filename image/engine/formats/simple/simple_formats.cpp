// BMP, ICO, EMF and WMF hold none of the program's tags: each is only checked for a header that
// can be read and agrees with itself, so that a damaged file fails to load as the platform's
// decoders would fail it.
#include "image/engine/formats/simple/simple_formats.h"

#include "image/engine/format_facts.h"
#include "image/engine/io/byte_reader.h"

#include <algorithm>
#include <array>
#include <vector>

namespace kestrov::imaging {

namespace {

// The first `length` bytes of the source, or fewer when it is shorter.
std::vector<std::byte> read_head(byte_source& source, std::size_t length) {
    const auto available = static_cast<std::size_t>(std::min<std::uint64_t>(source.size(), length));
    auto bytes = byte_reader(source).copy_at(0, available);
    return bytes ? std::move(*bytes) : std::vector<std::byte>{};
}

constexpr std::size_t bmp_file_header_length = 14;
// BITMAPCOREHEADER, OS/2 2.x (short and full), BITMAPINFOHEADER, its V2 and V3 extensions,
// BITMAPV4HEADER and BITMAPV5HEADER.
constexpr std::array<std::uint32_t, 8> bmp_info_header_lengths = {12, 16, 40, 52, 56, 64, 108, 124};
// 0 means the pixels are a JPEG or PNG stream.
constexpr std::array<std::uint16_t, 8> bmp_bit_counts = {0, 1, 2, 4, 8, 16, 24, 32};

template <typename T, std::size_t N>
bool one_of(const std::array<T, N>& values, T value) {
    return std::find(values.begin(), values.end(), value) != values.end();
}

bool bmp_header_is_sound(byte_source& source) {
    const auto head = read_head(source, bmp_file_header_length + 16);
    byte_reader reader(head);
    const auto magic = reader.u16();
    reader.skip(8); // file size (often wrong, so not checked) and two reserved words
    const auto pixel_offset = reader.u32();
    const auto info_length = reader.u32();
    if (!reader.ok() || magic != 0x4D42 || !one_of(bmp_info_header_lengths, info_length) ||
        !range_fits(source.size(), bmp_file_header_length, info_length)) {
        return false;
    }
    std::int64_t width = 0;
    std::int64_t height = 0;
    if (info_length == 12) { // the core header has 16-bit sizes
        width = reader.u16();
        height = reader.u16();
    } else {
        width = static_cast<std::int32_t>(reader.u32());
        height = static_cast<std::int32_t>(reader.u32());
    }
    const auto planes = reader.u16();
    const auto bit_count = reader.u16();
    // The pixels start after the headers and inside the file; a negative height is top-down.
    return reader.ok() && width > 0 && height != 0 && planes == 1 &&
           one_of(bmp_bit_counts, bit_count) &&
           pixel_offset >= bmp_file_header_length + info_length && pixel_offset < source.size();
}

constexpr std::size_t icon_directory_entry_length = 16;

// The icon directory: reserved 0, type 1, the image count, then one entry per image giving its
// data's length and offset.
bool ico_header_is_sound(byte_source& source, std::vector<std::string>& warnings) {
    const auto head = read_head(source, 6);
    byte_reader reader(head);
    const auto reserved = reader.u16();
    const auto type = reader.u16();
    const auto count = reader.u16();
    if (!reader.ok() || reserved != 0 || type != 1 || count == 0) {
        return false;
    }
    const auto directory_length = std::size_t{count} * icon_directory_entry_length;
    const auto directory = byte_reader(source).copy_at(6, directory_length);
    if (!directory) {
        return false;
    }
    byte_reader entries(*directory);
    std::size_t usable = 0;
    for (std::size_t i = 0; i < count; ++i) {
        entries.seek(i * icon_directory_entry_length + 8);
        const auto length = entries.u32();
        const auto offset = entries.u32();
        if (length > 0 && offset >= 6 + directory_length &&
            range_fits(source.size(), offset, length)) {
            ++usable;
        } else {
            warnings.push_back("Obrázek " + std::to_string(i + 1) +
                               " souboru ICO leží mimo soubor");
        }
    }
    return usable > 0;
}

constexpr std::uint32_t emf_header_length = 88; // EMR_HEADER without its optional extensions

// The EMR_HEADER record: type 1, its own size, the signature, and the size of the whole
// metafile, which must hold the header and lie inside the file.
bool emf_header_is_sound(byte_source& source) {
    const auto head = read_head(source, emf_header_length);
    byte_reader reader(head);
    const auto type = reader.u32();
    const auto header_size = reader.u32();
    reader.skip(32); // bounds and frame rectangles
    const auto header_signature = reader.u32();
    reader.skip(4); // version
    const auto total_size = reader.u32();
    return reader.ok() && type == 1 && header_signature == emf_signature &&
           header_size >= emf_header_length && header_size % 4 == 0 && total_size >= header_size &&
           total_size <= source.size();
}

constexpr std::size_t wmf_placeable_length = 22;
constexpr std::size_t wmf_header_length = 18;

// The META_HEADER record, after the optional placeable header: type 1 (memory) or 2 (disk), a
// header of 9 words, version 1.0 or 3.0, and a total size that holds at least the header.
bool wmf_header_is_sound(byte_source& source) {
    const auto head = read_head(source, wmf_placeable_length + wmf_header_length);
    byte_reader reader(head);
    const bool placeable = starts_with(head, wmf_placeable_signature);
    reader.seek(placeable ? wmf_placeable_length : 0);
    const auto type = reader.u16();
    const auto header_words = reader.u16();
    const auto version = reader.u16();
    const auto total_words = reader.u32();
    reader.skip(8); // object count, largest record, unused: the header must be whole
    return reader.ok() && (type == 1 || type == 2) && header_words == 9 &&
           (version == 0x0100 || version == 0x0300) && total_words >= header_words;
}

} // namespace

bool has_bmp_signature(std::span<const std::byte> head) {
    return starts_with(head, bmp_signature) && head.size() >= 14;
}

bool has_ico_signature(std::span<const std::byte> head) {
    return starts_with(head, ico_signature) && head.size() >= 6;
}

// An enhanced metafile starts with its header record: type 1, then " EMF" at offset 40.
bool has_emf_signature(std::span<const std::byte> head) {
    byte_reader reader(head);
    return reader.u32_at(0) == 1u && reader.u32_at(40) == emf_signature;
}

// A Windows metafile: the placeable header's key, or a plain header (type 1 in memory or 2 on
// disk, header size 9 words, version 0x0100 or 0x0300).
bool has_wmf_signature(std::span<const std::byte> head) {
    if (starts_with(head, wmf_placeable_signature)) {
        return true;
    }
    byte_reader reader(head);
    const auto type = reader.u16_at(0);
    const auto header_words = reader.u16_at(2);
    const auto version = reader.u16_at(4);
    return (type == 1u || type == 2u) && header_words == 9u &&
           (version == 0x0100u || version == 0x0300u);
}

status read_bmp(byte_source& source, decoded_metadata& out) {
    out.format = image_format::bmp;
    return bmp_header_is_sound(source) ? status::ok : unreadable_structure();
}

status read_ico(byte_source& source, decoded_metadata& out) {
    out.format = image_format::ico;
    return ico_header_is_sound(source, out.warnings) ? status::ok : unreadable_structure();
}

status read_emf(byte_source& source, decoded_metadata& out) {
    out.format = image_format::emf;
    return emf_header_is_sound(source) ? status::ok : unreadable_structure();
}

status read_wmf(byte_source& source, decoded_metadata& out) {
    out.format = image_format::wmf;
    return wmf_header_is_sound(source) ? status::ok : unreadable_structure();
}

} // namespace kestrov::imaging
