// Where TIFF entries and items meet: the id an entry is exposed under, and the directory a new
// item belongs in.
#pragma once

#include "image/engine/format_facts.h"
#include "image/engine/tiff/tiff_reader.h"

#include <cstdint>
#include <optional>
#include <utility>

namespace kestrov::imaging {

// The id under which an entry of a directory is exposed, or nothing for entries kept hidden
// (pointers, the Interoperability directory, GPS tags past 0x001F, unmapped thumbnail fields).
std::optional<std::uint32_t> exposed_item_id(tiff_directory kind, std::uint16_t tag);

// The IFD1 tag of a thumbnail item id (0x5020 gives 0x0100, ImageWidth).
std::optional<std::uint16_t> thumbnail_tag_for_item(std::uint32_t id);

// The directory a new item goes to: GPS ids to the GPS IFD, thumbnail ids to IFD1, Exif tags to
// the Exif IFD, everything else (0x0320 included) to IFD0.
tiff_directory directory_for_new_item(std::uint32_t id);

// Where the thumbnail's bytes lie (offset, length) when IFD1 links to them soundly: both fields,
// past the header, inside the block. Only such a thumbnail is shown as an item.
std::optional<std::pair<std::uint32_t, std::uint32_t>>
thumbnail_location(const tiff_ifd& ifd1, byte_order order, std::uint64_t block_size);

// Whether IFD1's thumbnail link leads into the header or past the end of the block: it holds
// nothing, and a save must not let it reach what it appends. A thumbnail of length zero right at
// the end reaches no byte, and is as sound as any other.
bool thumbnail_link_into_nothing(const tiff_ifd& ifd1, byte_order order, std::uint64_t block_size);

// Whether a TIFF structure can store item `id` as an entry of its own: the id must be a 16-bit tag
// number, or a thumbnail field's id where there is a thumbnail directory (`with_thumbnail_ifd`: an
// Exif block; a TIFF file's next directory is a page). Never the pointers to the sub-directories,
// which the writer keeps itself, nor the thumbnail's bytes, which no item replaces.
bool tiff_can_hold_item(std::uint32_t id, bool with_thumbnail_ifd);

} // namespace kestrov::imaging
