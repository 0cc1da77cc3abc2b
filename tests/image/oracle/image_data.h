// The bytes of a file's image data, read without the engine, to prove a save left them alone.
#pragma once

#include "image/oracle/peer_output.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace kestrov::oracle {

// A JPEG cut into its marker segments (ITU T.81 §B.1.1.4) up to the first start of scan.
struct jpeg_layout {
    struct segment {
        std::uint8_t marker = 0;
        bool exif = false;            // an APP1 segment holding an Exif block ("Exif\0\0")
        std::vector<std::byte> bytes; // the marker, its length and its payload
        bool side_block = false;      // APP1 holding XMP, or APP13 holding Photoshop's resources
    };
    std::vector<segment> segments; // after SOI, before the first SOS
    std::vector<std::byte> scan;   // from the first SOS marker to the end of the file
    std::string problem;           // why the file could not be cut; empty when it could
};

jpeg_layout split_jpeg(std::span<const std::byte> file);

// How `after` differs from `before` in anything but its Exif APP1 segments: the scan data
// (tables of the scans and entropy-coded data), then every other segment in order. Empty when it
// does not.
// With `side_blocks_may_change`, the XMP and Photoshop segments are left out like the Exif one.
std::string jpeg_difference(const jpeg_layout& before, const jpeg_layout& after,
                            bool side_blocks_may_change = false);

// The strips or tiles of a TIFF: per EXIF group that has StripOffsets and StripByteCounts
// (or TileOffsets and TileByteCounts), the bytes they point at, in order. `exiftool_tags` are the
// file's tags as peer_tools reads them.
struct tiff_image_data {
    std::map<std::string, std::vector<std::byte>> by_directory; // "EXIF:IFD0:Strip" -> bytes
    std::string problem;
};

tiff_image_data read_tiff_image_data(const tag_values& exiftool_tags,
                                     std::span<const std::byte> file);

// How the image data of `after` differs from `before`; empty when it does not.
std::string tiff_difference(const tiff_image_data& before, const tiff_image_data& after);

// Where two byte strings first differ, and their sizes, for a message.
std::string bytes_difference(std::span<const std::byte> before, std::span<const std::byte> after);

// Where the value of the Exif IFD's MakerNote entry (0x927C) lies, counted from the TIFF header
// (for a JPEG the one in its first Exif APP1 segment); nothing when there is none or the
// directories cannot be followed.
std::optional<std::uint32_t> maker_note_offset(std::span<const std::byte> file, bool tiff);

} // namespace kestrov::oracle
