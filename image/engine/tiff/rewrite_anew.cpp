// Step 4 of a rewrite, for an Exif block that must fit a JPEG segment and fits in no other way:
// every directory, value and the thumbnail at a new offset. Only where no offset can point at an
// old place any more.
#include "image/engine/tiff/rewrite_planner.h"

#include "image/engine/format_facts.h"
#include "image/engine/tiff/tiff_items.h"

#include <algorithm>

namespace kestrov::imaging::rewrite {

// Whether the block may be laid out anew, every directory, value and the thumbnail at a new
// offset. Only where every offset into the block is one this writer rewrites, so that nothing can
// still point at an old one: no maker note (its own offsets count from the TIFF header) nor any
// other value left where it is, no link of unknown reach, no strip data, a thumbnail link that is
// sound or cut, and no byte that no parsed structure covers but a lone zero that aligns the next
// structure to a word boundary (TIFF 6.0 §2). An offset this writer does not know of, in a tag of
// its own or a maker's, leads to bytes no parsed structure covers, and so keeps the block as it is.
bool planner::may_lay_out_anew(std::span<const std::byte> block) const {
    if (has_links_of_unknown_reach()) {
        return false;
    }
    std::size_t thumbnail_links = 0;
    for (const auto& [kind, directory] : directories_) {
        if (directory.cut_short) {
            return false;
        }
        for (const out_entry& entry : directory.entries) {
            const std::uint64_t size = std::uint64_t{tiff_type_size(entry.type)} * entry.count;
            const bool strip_data =
                entry.tag == tag_strip_offsets || entry.tag == tag_strip_byte_counts ||
                entry.tag == tag_tile_offsets || entry.tag == tag_tile_byte_counts;
            if (entry.tag == tag_maker_note || strip_data ||
                (!entry.points_to && !entry.value && size > entry_field_size)) {
                return false;
            }
            if (entry.tag == tag_jpeg_interchange_format) {
                if (kind != tiff_directory::ifd1 || entry.type != tiff_type::long_ ||
                    entry.count != 1) {
                    return false;
                }
                ++thumbnail_links;
            }
        }
    }
    std::vector<byte_range> covered;
    for (const tiff_ifd& ifd : old_.ifds) {
        covered.emplace_back(ifd.offset, table_end(ifd, block.size()));
        for (const tiff_entry& entry : ifd.entries) {
            if (const auto value = value_range(entry, false)) {
                covered.push_back(*value);
            }
        }
    }
    const tiff_ifd* ifd1 = old_.find(tiff_directory::ifd1);
    const auto thumbnail =
        ifd1 != nullptr ? thumbnail_location(*ifd1, old_.order, block.size()) : std::nullopt;
    if (thumbnail) {
        covered.emplace_back(thumbnail->first, std::uint64_t{thumbnail->first} + thumbnail->second);
    }
    if (thumbnail_links > 1 || (thumbnail_links == 1 && !thumbnail)) {
        return false;
    }
    std::sort(covered.begin(), covered.end());
    std::uint64_t reached = tiff_header_size;
    const auto nothing_between = [&](std::uint64_t next) {
        return next <= reached || (next - reached == 1 && reached % 2 != 0 &&
                                   reached < block.size() && block[reached] == std::byte{0});
    };
    for (const auto& [from, to] : covered) {
        if (!nothing_between(from)) {
            return false;
        }
        reached = std::max(reached, to);
    }
    return nothing_between(block.size());
}

// Every directory is written anew with its values, and the thumbnail's bytes after its directory.
void planner::lay_out_anew(std::span<const std::byte> block) {
    const tiff_ifd* ifd1 = old_.find(tiff_directory::ifd1);
    const auto thumbnail =
        ifd1 != nullptr ? thumbnail_location(*ifd1, old_.order, block.size()) : std::nullopt;
    for (auto& [kind, directory] : directories_) {
        directory.changed = true;
        for (auto& entry : directory.entries) {
            if (kind == tiff_directory::ifd1 && entry.tag == tag_jpeg_interchange_format &&
                thumbnail) {
                const auto bytes = block.subspan(thumbnail->first, thumbnail->second);
                entry.data.emplace(bytes.begin(), bytes.end());
            }
        }
    }
}

} // namespace kestrov::imaging::rewrite
