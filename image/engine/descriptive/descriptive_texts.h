// The six descriptive texts (title, description, author, make, model, software) and the other
// places files keep them in besides their own items: Windows' XP tags, the XMP packet and the IPTC
// datasets. Reading takes a text from the first of those places when its item is absent; a save
// that changes a text makes every place that holds it hold the same, so that every program shows
// what was written.
#pragma once

#include "image/engine/container.h"

namespace kestrov::imaging {

// Where a container keeps the other places, as the format registry says.
enum class text_places : std::uint8_t {
    none,
    // JPEG: XP tags in the Exif block, XMP in APP1, IPTC in APP13's image resources.
    segments,
    // TIFF: XP tags, XMP (tag 700), IPTC (tag 33723) and image resources (tag 34377) in IFD0.
    tiff_tags,
    // PNG: XMP in its iTXt chunk; the texts' own items are text chunks.
    png_chunks,
};

// After a container was read: every descriptive text whose item is absent but whose other place
// holds it becomes an item (listed in `metadata.synthesized`); damaged XMP or IPTC is a warning.
void read_descriptive_texts(decoded_metadata& metadata, text_places places);

// Before a save: the items to write and the side blocks' changes that keep every place in
// agreement with the descriptive items as they are now. Items only read from another place are
// left out unless changed. A place that cannot be changed safely (damaged XMP, IPTC in an
// undeclared character set) stays as it is; XMP too large for its place refuses the save.
// `as_read` is what the writer is to take as read: the items as read, without those only read from
// another place.
status agree_descriptive_texts(const decoded_metadata& metadata, text_places places,
                               property_list& items, property_list& as_read,
                               side_block_changes& changes);

} // namespace kestrov::imaging
