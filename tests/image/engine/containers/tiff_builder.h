// Builds small TIFF blocks for tests: IFD0 with optional Exif, GPS and IFD1 directories, values
// laid out after each directory, in either byte order.
#pragma once

#include "image/engine/format_facts.h"
#include "image/engine/image.h"
#include "image/engine/io/byte_reader.h"
#include "support/byte_literals.h"

#include <cstdint>
#include <initializer_list>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace kestrov::imaging::testing {

struct field {
    std::uint16_t tag;
    std::uint16_t type;
    std::uint32_t count;
    std::vector<std::byte> value; // little-endian, as the engine exposes it
};

field ascii(std::uint16_t tag, const std::string& text);
// An ASCII field of exactly these bytes: no terminating zero is added, and any byte may be there.
field raw_ascii(std::uint16_t tag, std::initializer_list<std::uint8_t> bytes);
field undefined(std::uint16_t tag, std::initializer_list<std::uint8_t> bytes);
field shorts(std::uint16_t tag, std::initializer_list<std::uint16_t> values);
field longs(std::uint16_t tag, std::initializer_list<std::uint32_t> values);
field rationals(std::uint16_t tag,
                std::initializer_list<std::pair<std::uint32_t, std::uint32_t>> values);

struct tiff_contents {
    std::vector<field> ifd0;
    std::vector<field> exif;
    std::vector<field> gps;
    std::vector<field> ifd1;
    std::vector<std::byte> thumbnail; // pointed at from IFD1 when not empty
};

// The block; pointer tags (Exif, GPS, thumbnail) are added where their directories are given.
std::vector<std::byte> build_tiff(const tiff_contents& contents, byte_order order);

// The engine's image of the big-endian block; a test failure when it does not read cleanly.
std::unique_ptr<image> tiff_image(const tiff_contents& contents);

// The largest TIFF block a JPEG APP1 segment holds after its Exif header (a length of 65535).
inline constexpr std::size_t largest_exif_block = 65535 - 2 - 6;
// The block with its thumbnail (a JPEG SOI and EOI around filler) grown to make it `size` bytes.
std::vector<std::byte> build_tiff_of_size(tiff_contents contents, std::size_t size,
                                          byte_order order);
// A JPEG (SOI, the Exif APP1 segment holding `block`, a scan) of a writer that put no JFIF first.
std::vector<std::byte> jpeg_with_exif(const std::vector<std::byte>& block);

using kestrov::testing::bytes_of;

} // namespace kestrov::imaging::testing
