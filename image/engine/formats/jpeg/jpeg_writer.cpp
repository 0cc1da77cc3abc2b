#include "image/engine/formats/jpeg/jpeg_format.h"

#include "image/engine/format_facts.h"

#include "base/hresult.h"
#include "base/last_error.h"
#include "image/engine/formats/jpeg/jpeg_reader.h"
#include "image/engine/tiff/tiff_rewrite.h"

namespace kestrov::imaging {

namespace {

// A segment's length field counts itself and the payload: 65535 at most, so the Exif block
// after its six-byte header may take 65527 bytes (ITU T.81 §B.1.1.4).
constexpr std::size_t max_exif_block = 65535 - 2 - exif_header.size();

std::vector<std::byte> exif_segment(const std::vector<std::byte>& block) {
    const std::size_t length = block.size() + 2 + exif_header.size();
    std::vector<std::byte> segment = {std::byte{0xFF}, std::byte{marker_app1},
                                      static_cast<std::byte>(length >> 8),
                                      static_cast<std::byte>(length & 0xFF)};
    for (const auto b : exif_header) {
        segment.push_back(std::byte{b});
    }
    segment.insert(segment.end(), block.begin(), block.end());
    return segment;
}

// A new Exif segment goes after SOI and the JFIF/JFXX segments that must come first.
std::uint64_t insertion_offset(const jpeg_layout& layout) {
    std::uint64_t offset = 2;
    for (const auto& segment : layout.segments) {
        if (segment.marker != marker_app0 || segment.offset != offset) {
            break;
        }
        offset = segment.offset + segment.length;
    }
    return offset;
}

} // namespace

status write_jpeg(byte_source& source, const decoded_metadata& metadata, byte_sink& sink) {
    const auto* layout = dynamic_cast<const jpeg_layout*>(metadata.layout.get());
    if (layout == nullptr) {
        return status::wrong_state;
    }
    if (!layout->exif_segment && metadata.properties.size() == 0) {
        return write_unchanged(source, metadata, sink);
    }
    std::vector<std::byte> block;
    if (const status result = rewrite_exif_block(layout->exif_block, layout->exif_structure,
                                                 metadata.properties, block, max_exif_block);
        result != status::ok) {
        return result;
    }
    if (layout->exif_segment && block == layout->exif_block) {
        return write_unchanged(source, metadata, sink);
    }
    if (block.size() > max_exif_block) {
        set_last_error(win32::error_file_too_large);
        return status::value_overflow;
    }
    std::uint64_t cut_from = insertion_offset(*layout);
    std::uint64_t cut_to = cut_from;
    if (layout->exif_segment) {
        const jpeg_segment& old = layout->segments[*layout->exif_segment];
        cut_from = old.offset;
        cut_to = old.offset + old.length;
    }
    const auto segment = exif_segment(block);
    if (!copy_range(source, 0, cut_from, sink) || !sink.write(segment) ||
        !copy_range(source, cut_to, source.size() - cut_to, sink)) {
        return write_failed();
    }
    return status::ok;
}

} // namespace kestrov::imaging
