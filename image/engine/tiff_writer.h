// Writing items back into a TIFF structure without moving what the items do not change: the
// directories that change are written anew after the existing data, everything else (image data,
// maker notes, thumbnails, unchanged directories) stays at its offset, so offsets inside maker
// notes stay valid.
#pragma once

#include "image/engine/property.h"
#include "image/engine/status.h"
#include "image/engine/tiff_reader.h"

#include <array>
#include <cstdint>
#include <span>
#include <vector>

namespace kestrov::imaging {

struct tiff_rewrite {
    bool changed = false;
    // The block's first eight bytes with the new IFD0 offset.
    std::array<std::byte, 8> header{};
    // Where the new directories start, and their bytes: the block keeps its bytes up to there.
    std::uint64_t appendix_offset = 0;
    std::vector<std::byte> appendix;
};

// Plans the new block for `items`. `block_size` is the old block's size (a TIFF file's size);
// `with_thumbnail_ifd` tells an Exif block (IFD0 links to the thumbnail's IFD1) from a TIFF file
// (IFD0 links to the next page, which is kept as it is).
// With `reuse_dead_tail`, bytes at the block's end that nothing kept refers to any more (the
// directories an earlier save appended) are dropped, so repeated saves do not grow the block.
// It applies only where every reference in the block is known; a TIFF file's further pages are
// not read, so it never applies there.
status plan_tiff_rewrite(const tiff_structure& old, std::uint64_t block_size,
                         const property_list& items, bool with_thumbnail_ifd, tiff_rewrite& out,
                         bool reuse_dead_tail = false);

// The Exif block holding `items`: the old block with the rewrite applied, or a new block when
// there was none. Returns the old block unchanged when the items are as read.
status rewrite_exif_block(std::span<const std::byte> old_block, const tiff_structure& old,
                          const property_list& items, std::vector<std::byte>& out);

} // namespace kestrov::imaging
