#include "image/engine/formats/jpeg/jpeg_reader.h"
#include "image/engine/formats/jpeg/jpeg_format.h"

#include "image/engine/format_facts.h"
#include "image/engine/io/byte_reader.h"

#include <algorithm>
#include <cstring>
#include <string>

namespace kestrov::imaging {

namespace {

// A file with more segments than this before its scan is not a photo; stop reading there.
constexpr std::size_t max_segments = 4096;

// A segment's name by its marker (ITU T.81 Table B.1), as warnings give it: APP1, DQT, SOF0 ...;
// the marker code itself for the rarer ones.
std::string segment_name(std::uint8_t marker) {
    if (marker >= 0xE0 && marker <= 0xEF) {
        return "APP" + std::to_string(marker - 0xE0);
    }
    switch (marker) {
    case 0xC4:
        return "DHT";
    case 0xDB:
        return "DQT";
    case 0xDD:
        return "DRI";
    case 0xFE:
        return "COM";
    default:
        break;
    }
    if (marker >= 0xC0 && marker <= 0xCF && marker != 0xC8 && marker != 0xCC) {
        return "SOF" + std::to_string(marker - 0xC0);
    }
    static constexpr char digits[] = "0123456789ABCDEF";
    return std::string("0xFF") + digits[marker >> 4] + digits[marker & 0xF];
}

bool has_no_length(std::uint8_t marker) {
    // TEM and RSTn stand alone (ITU T.81 §B.1.1.3).
    return marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7);
}

class segment_walker {
public:
    segment_walker(byte_source& source, decoded_metadata& out, jpeg_layout& layout)
        : reader_(source, byte_order::big), out_(out), layout_(layout) {}

    void walk();

private:
    void read_exif(const jpeg_segment& segment);
    void read_side_block(const jpeg_segment& segment);
    bool payload_starts_with(const jpeg_segment& segment, std::string_view header);

    byte_reader reader_;
    decoded_metadata& out_;
    jpeg_layout& layout_;
};

void segment_walker::walk() {
    std::uint64_t position = 2; // after SOI
    while (layout_.segments.size() < max_segments) {
        const auto prefix = reader_.bytes_at(position, 2);
        if (prefix.empty()) {
            out_.warnings.emplace_back("Soubor JPEG končí před obrazovými daty");
            return;
        }
        if (std::to_integer<std::uint8_t>(prefix[0]) != 0xFF) {
            out_.warnings.emplace_back("Na pozici " + std::to_string(position) +
                                       " není marker segmentu JPEG");
            return;
        }
        auto marker = std::to_integer<std::uint8_t>(prefix[1]);
        std::uint64_t start = position;
        // Any number of 0xFF fill bytes may precede a marker (ITU T.81 §B.1.1.2).
        while (marker == 0xFF) {
            ++position;
            const auto next = reader_.bytes_at(position + 1, 1);
            if (next.empty()) {
                out_.warnings.emplace_back("Soubor JPEG končí před obrazovými daty");
                return;
            }
            marker = std::to_integer<std::uint8_t>(next[0]);
            start = position;
        }
        if (marker == marker_eoi) {
            out_.warnings.emplace_back("Soubor JPEG nemá obrazová data (chybí segment SOS)");
            return;
        }
        if (marker == marker_sos) {
            layout_.scan_offset = start;
            return;
        }
        if (has_no_length(marker)) {
            layout_.segments.push_back({marker, start, 2});
            position = start + 2;
            continue;
        }
        const auto length_field = reader_.u16_at(start + 2);
        if (!length_field) {
            out_.warnings.emplace_back("Soubor JPEG končí uvnitř hlavičky segmentu " +
                                       segment_name(marker));
            return;
        }
        const std::uint16_t length = *length_field;
        if (length < 2 || !range_fits(reader_.size(), start + 2, length)) {
            out_.warnings.emplace_back("Segment " + segment_name(marker) +
                                       " přesahuje konec souboru");
            return;
        }
        const jpeg_segment segment{marker, start, std::uint64_t{length} + 2};
        layout_.segments.push_back(segment);
        if (marker == marker_app1 && !layout_.exif_segment) {
            read_exif(segment);
        }
        if (marker == marker_app1 || marker == marker_app13) {
            read_side_block(segment);
        }
        position = start + segment.length;
    }
    out_.warnings.emplace_back("Soubor JPEG má před obrazovými daty příliš mnoho segmentů");
}

bool segment_walker::payload_starts_with(const jpeg_segment& segment, std::string_view header) {
    const auto bytes = reader_.bytes_at(segment.offset + 4, header.size());
    return segment.length - 4 >= header.size() && !bytes.empty() &&
           std::equal(bytes.begin(), bytes.end(), header.begin(),
                      [](std::byte b, char c) { return std::to_integer<char>(b) == c; });
}

// The first XMP packet and the first image resources are read; a second APP13 of resources, or
// XMP continued in further segments, leaves the block shown but not written.
void segment_walker::read_side_block(const jpeg_segment& segment) {
    const std::size_t index = layout_.segments.size() - 1;
    const auto payload = [&](std::string_view header) {
        return reader_.copy_at(segment.offset + 4 + header.size(),
                               segment.length - 4 - header.size());
    };
    if (segment.marker == marker_app1 && payload_starts_with(segment, xmp_header)) {
        if (!layout_.xmp_segment) {
            if (auto packet = payload(xmp_header)) {
                layout_.xmp_segment = index;
                out_.blocks.xmp = std::move(*packet);
            }
        }
    } else if (segment.marker == marker_app1 && payload_starts_with(segment, extended_xmp_header)) {
        out_.blocks.xmp_writable = false;
    } else if (segment.marker == marker_app13 && payload_starts_with(segment, photoshop_header)) {
        if (layout_.image_resources_segment) {
            out_.blocks.image_resources_writable = false;
        } else if (auto resources = payload(photoshop_header)) {
            layout_.image_resources_segment = index;
            out_.blocks.image_resources = std::move(*resources);
        }
    }
}

void segment_walker::read_exif(const jpeg_segment& segment) {
    const std::uint64_t payload_length = segment.length - 4;
    if (payload_length < exif_header.size()) {
        return;
    }
    if (!starts_with(reader_.bytes_at(segment.offset + 4, exif_header.size()), exif_header)) {
        return; // XMP or another APP1
    }
    auto block = reader_.copy_at(segment.offset + 4 + exif_header.size(),
                                 payload_length - exif_header.size());
    if (!block) {
        return;
    }
    layout_.exif_segment = layout_.segments.size() - 1;
    layout_.exif_block = std::move(*block);
    memory_source exif(layout_.exif_block);
    if (read_tiff_block(exif, out_, &layout_.exif_structure) != status::ok) {
        out_.warnings.emplace_back("Blok Exif v segmentu APP1 nelze přečíst");
        layout_.exif_structure = {};
    }
}

} // namespace

status read_jpeg(byte_source& source, decoded_metadata& out) {
    if (byte_reader(source, byte_order::big).u16_at(0) != 0xFFD8u) {
        return unreadable_structure();
    }
    auto layout = std::make_unique<jpeg_layout>();
    segment_walker(source, out, *layout).walk();
    out.format = image_format::jpeg;
    out.layout = std::move(layout);
    return status::ok;
}

bool has_jpeg_signature(std::span<const std::byte> head) {
    return starts_with(head, jpeg_signature);
}

} // namespace kestrov::imaging
