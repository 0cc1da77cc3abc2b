// Writing items back into a TIFF structure without moving what the items do not change: the
// directories that change are written anew after the existing data, everything else (image data,
// maker notes, thumbnails, unchanged directories) stays at its offset, so offsets inside maker
// notes stay valid. Only an Exif block that would outgrow its container is written more compactly,
// and only where that is safe (see rewrite_exif_block).
#pragma once

#include "image/engine/property.h"
#include "image/engine/status.h"
#include "image/engine/tiff/tiff_reader.h"

#include <array>
#include <cstdint>
#include <limits>
#include <span>
#include <utility>
#include <vector>

namespace kestrov::imaging {

struct tiff_rewrite {
    bool changed = false;
    // The block's first eight bytes with the new IFD0 offset.
    std::array<std::byte, 8> header{};
    // How much of the old block stays (with the new header); then, from `appendix_offset` (the
    // same or one byte on, zero, for word alignment), the new directories and values.
    std::uint64_t kept_size = 0;
    std::uint64_t appendix_offset = 0;
    std::vector<std::byte> appendix;
    // Directories written back over dead bytes of the kept part, each at its offset. Only an Exif
    // block that must stay within a size limit is written so (see rewrite_exif_block).
    std::vector<std::pair<std::uint64_t, std::vector<std::byte>>> patches;
};

// Plans the new block for `items`. `block_size` is the old block's size (a TIFF file's size);
// `with_thumbnail_ifd` tells an Exif block (IFD0 links to the thumbnail's IFD1) from a TIFF file
// (IFD0 links to the next page, which is kept as it is).
// The directories and values the save writes anew leave their old bytes dead; where those run to
// the end of the block, the new ones take their place, so repeated saves do not grow the block.
// Every other byte of the block stays where it is.
status plan_tiff_rewrite(const tiff_structure& old, std::uint64_t block_size,
                         const property_list& items, bool with_thumbnail_ifd, tiff_rewrite& out);

// The Exif block holding `items`: the old block with the rewrite applied, or a new block when
// there was none. Returns the old block unchanged when the items are as read.
// A block the rewrite would take past `size_limit` bytes (a JPEG segment's room) is written more
// compactly where that keeps every offset anything may use: changed directories go back over the
// dead bytes of those they replace, or, where every byte of the block belongs to a structure this
// writer rewrites (no maker note, nothing the reader did not parse), the whole block is laid out
// anew. Otherwise the save is refused: value_overflow, with ERROR_FILE_TOO_LARGE.
status rewrite_exif_block(std::span<const std::byte> old_block, const tiff_structure& old,
                          const property_list& items, std::vector<std::byte>& out,
                          std::uint64_t size_limit = std::numeric_limits<std::uint64_t>::max());

} // namespace kestrov::imaging
