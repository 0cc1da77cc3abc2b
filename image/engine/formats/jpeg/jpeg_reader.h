// JPEG files as a sequence of marker segments (ITU T.81 §B.1.1.4), up to the first scan.
#pragma once

#include "image/engine/container.h"
#include "image/engine/tiff/tiff_reader.h"

#include <cstdint>
#include <optional>
#include <vector>

namespace kestrov::imaging {

struct jpeg_segment {
    std::uint8_t marker = 0;
    std::uint64_t offset = 0; // of the 0xFF that starts the marker
    std::uint64_t length = 0; // of the whole segment, marker included
};

class jpeg_layout final : public container_layout {
public:
    // Segments after SOI, in file order, up to (not including) the first SOS.
    std::vector<jpeg_segment> segments;
    // Where the first scan's SOS marker starts; everything from here on is copied unchanged.
    std::optional<std::uint64_t> scan_offset;
    // Index into `segments` of the APP1 whose Exif block was read.
    std::optional<std::size_t> exif_segment;
    // The APP1 holding the XMP packet and the APP13 holding Photoshop's image resources.
    std::optional<std::size_t> xmp_segment;
    std::optional<std::size_t> image_resources_segment;
    // That Exif block (without its "Exif\0\0" header) and its structure.
    std::vector<std::byte> exif_block;
    tiff_structure exif_structure;
};

} // namespace kestrov::imaging
