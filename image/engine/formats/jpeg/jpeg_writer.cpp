#include "image/engine/formats/jpeg/jpeg_format.h"

#include "image/engine/format_facts.h"

#include "base/hresult.h"
#include "base/last_error.h"
#include "image/engine/formats/jpeg/jpeg_reader.h"
#include "image/engine/tiff/tiff_rewrite.h"

namespace kestrov::imaging {

namespace {

// A segment's length field counts itself and the payload: 65535 at most (ITU T.81 §B.1.1.4), so
// the Exif block after its six-byte header may take 65527 bytes.
constexpr std::size_t max_segment_payload = 65535 - 2;
constexpr std::size_t max_exif_block = max_segment_payload - exif_header.size();

template <typename Header>
std::vector<std::byte> segment_with(std::uint8_t marker, const Header& header,
                                    std::span<const std::byte> payload) {
    const std::size_t length = payload.size() + 2 + header.size();
    std::vector<std::byte> segment = {std::byte{0xFF}, std::byte{marker},
                                      static_cast<std::byte>(length >> 8),
                                      static_cast<std::byte>(length & 0xFF)};
    for (const auto c : header) {
        segment.push_back(static_cast<std::byte>(c));
    }
    segment.insert(segment.end(), payload.begin(), payload.end());
    return segment;
}

// One change to the file: the bytes [from, to) give way to `bytes` (an insertion where from == to,
// a removal where `bytes` is empty).
struct segment_edit {
    std::uint64_t from = 0;
    std::uint64_t to = 0;
    std::vector<std::byte> bytes;
};

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

namespace {

// The new Exif segment, when the items change it: in place of the old one, or a new one.
status exif_edit(const jpeg_layout& layout, const decoded_metadata& metadata,
                 std::vector<segment_edit>& edits) {
    if (!layout.exif_segment && metadata.properties.size() == 0) {
        return status::ok;
    }
    std::vector<std::byte> block;
    if (const status result = rewrite_exif_block(layout.exif_block, layout.exif_structure,
                                                 metadata.properties, block, max_exif_block);
        result != status::ok) {
        return result;
    }
    if (layout.exif_segment && block == layout.exif_block) {
        return status::ok;
    }
    if (block.size() > max_exif_block) {
        set_last_error(win32::error_file_too_large);
        return status::value_overflow;
    }
    segment_edit edit{insertion_offset(layout), insertion_offset(layout),
                      segment_with(marker_app1, exif_header, block)};
    if (layout.exif_segment) {
        const jpeg_segment& old = layout.segments[*layout.exif_segment];
        edit.from = old.offset;
        edit.to = old.offset + old.length;
    }
    edits.push_back(std::move(edit));
    return status::ok;
}

// A side block the save changes: its segment replaced or removed, or a new one after the Exif
// segment (or where that goes). A block that does not fit one segment is refused: readers do not
// put a packet together from several.
status side_block_edit(const jpeg_layout& layout, const side_block_change& change,
                       std::optional<std::size_t> segment, std::uint8_t marker,
                       std::string_view header, std::vector<segment_edit>& edits) {
    if (!change.changed) {
        return status::ok;
    }
    if (change.bytes && change.bytes->size() > max_segment_payload - header.size()) {
        set_last_error(win32::error_file_too_large);
        return status::value_overflow;
    }
    std::uint64_t at = insertion_offset(layout);
    if (layout.exif_segment) {
        const jpeg_segment& exif = layout.segments[*layout.exif_segment];
        at = exif.offset + exif.length;
    }
    segment_edit edit{at, at, {}};
    if (segment) {
        const jpeg_segment& old = layout.segments[*segment];
        edit.from = old.offset;
        edit.to = old.offset + old.length;
    }
    if (change.bytes) {
        edit.bytes = segment_with(marker, header, *change.bytes);
    }
    if (edit.from != edit.to || !edit.bytes.empty()) {
        edits.push_back(std::move(edit));
    }
    return status::ok;
}

} // namespace

status write_jpeg(byte_source& source, const decoded_metadata& metadata, byte_sink& sink) {
    const auto* layout = dynamic_cast<const jpeg_layout*>(metadata.layout.get());
    if (layout == nullptr) {
        return status::wrong_state;
    }
    std::vector<segment_edit> edits;
    status result = exif_edit(*layout, metadata, edits);
    if (result == status::ok) {
        result = side_block_edit(*layout, metadata.block_changes.xmp, layout->xmp_segment,
                                 marker_app1, xmp_header, edits);
    }
    if (result == status::ok) {
        result =
            side_block_edit(*layout, metadata.block_changes.image_resources,
                            layout->image_resources_segment, marker_app13, photoshop_header, edits);
    }
    if (result != status::ok) {
        return result;
    }
    if (edits.empty()) {
        return write_unchanged(source, metadata, sink);
    }
    // In file order; edits at one offset keep their order (a new Exif segment before new XMP).
    std::stable_sort(edits.begin(), edits.end(),
                     [](const segment_edit& a, const segment_edit& b) { return a.from < b.from; });
    std::uint64_t copied_to = 0;
    for (const auto& edit : edits) {
        if (!copy_range(source, copied_to, edit.from - copied_to, sink) ||
            !sink.write(edit.bytes)) {
            return write_failed();
        }
        copied_to = edit.to;
    }
    if (!copy_range(source, copied_to, source.size() - copied_to, sink)) {
        return write_failed();
    }
    return status::ok;
}

} // namespace kestrov::imaging
