#include "image/engine/formats/tiff/tiff_format.h"

#include "image/engine/format_facts.h"
#include "image/engine/tiff/tiff_reader.h"
#include "image/engine/tiff/tiff_rewrite.h"

#include <memory>

namespace kestrov::imaging {

bool has_tiff_signature(std::span<const std::byte> head) {
    return starts_with(head, tiff_intel_signature) || starts_with(head, tiff_motorola_signature);
}

status read_tiff(byte_source& source, decoded_metadata& out) {
    auto layout = std::make_unique<tiff_layout>();
    const status result =
        read_tiff_structure(source, false, layout->structure, out.warnings, out.budget);
    if (result != status::ok) {
        return result;
    }
    out.format = image_format::tiff;
    out.tiff_order = layout->structure.order;
    expose_tiff_items(layout->structure, source, out.properties, out.warnings);
    out.layout = std::move(layout);
    return status::ok;
}

// The file keeps every byte after its header but the dead end an earlier save left; changed
// directories follow, and the header points at the new IFD0. Further pages and all image data
// stay where they are.
status write_tiff(byte_source& source, const decoded_metadata& metadata, byte_sink& sink) {
    const auto* layout = dynamic_cast<const tiff_layout*>(metadata.layout.get());
    if (layout == nullptr) {
        return status::wrong_state;
    }
    tiff_rewrite rewrite;
    if (const status result = plan_tiff_rewrite(layout->structure, source.size(),
                                                metadata.properties, false, rewrite);
        result != status::ok) {
        return result;
    }
    if (!rewrite.changed) {
        return write_unchanged(source, metadata, sink);
    }
    const std::byte padding[1] = {std::byte{0}};
    const bool written = sink.write(rewrite.header) &&
                         copy_range(source, 8, rewrite.kept_size - 8, sink) &&
                         (rewrite.appendix_offset == rewrite.kept_size || sink.write(padding)) &&
                         sink.write(rewrite.appendix);
    return written ? status::ok : write_failed();
}

} // namespace kestrov::imaging
