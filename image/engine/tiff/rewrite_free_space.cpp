// Step 3 of a rewrite: which old bytes are dead. Only bytes that provably nothing refers to any
// more are ever written over: the old directories and values this save writes anew, where no other
// structure the reader found claims them. Bytes no parsed structure covers (a maker note's data
// after its directory, anything behind a link of unknown reach) are never dead.
#include "image/engine/tiff/rewrite_planner.h"

#include "image/engine/format_facts.h"
#include "image/engine/io/byte_reader.h"
#include "image/engine/tiff/tiff_items.h"

#include <algorithm>

namespace kestrov::imaging::rewrite {

namespace {

// Tags whose values hold offsets of data whose extent this writer does not know: sub-IFD arrays,
// free space, the JPEG tables of old-style JPEG TIFFs, makers' private directories.
bool holds_unsized_offsets(std::uint16_t tag) {
    return tag == tag_sub_ifds ||
           std::find(std::begin(tags_with_unsized_offsets), std::end(tags_with_unsized_offsets),
                     tag) != std::end(tags_with_unsized_offsets);
}

} // namespace

// Links of unknown reach, kept as they are: sub-IFD arrays, values of an unknown type, links the
// reader did not follow, a next page. What they lead to may lie anywhere in the block.
bool planner::has_links_of_unknown_reach() const {
    for (const auto& [kind, directory] : directories_) {
        for (const out_entry& entry : directory.entries) {
            if (holds_unsized_offsets(entry.tag) || tiff_type_size(entry.type) == 0 ||
                (entry.type == tiff_type::ifd && !entry.points_to) || entry.unfollowed_link) {
                return true;
            }
        }
        const bool next_rewritten = kind == tiff_directory::ifd0 && with_thumbnail_ifd_ &&
                                    directory.next_link != tiff_link::not_followed;
        if (directory.next_link == tiff_link::not_followed && !next_rewritten) {
            return true;
        }
    }
    return false;
}

std::uint64_t planner::table_end(const tiff_ifd& ifd, std::uint64_t block_size) const {
    return ifd.cut_short ? block_size
                         : ifd.offset + ifd_table_size(std::uint64_t{ifd.entries.size()});
}

// Where an entry's value lies outside the entry, with its word padding unless told otherwise.
std::optional<byte_range> planner::value_range(const tiff_entry& entry, bool with_padding) const {
    const std::uint64_t size = std::uint64_t{tiff_type_size(entry.type)} * entry.count;
    if (size <= entry_field_size || !entry.value_read || entry.link != tiff_link::none) {
        return std::nullopt;
    }
    const std::uint64_t at = entry.field_offset(old_.order);
    return byte_range{at, at + size + (with_padding ? (at + size) % 2 : 0)};
}

// The thumbnail and strip data a directory points at.
std::vector<byte_range> planner::data_ranges(const tiff_ifd& ifd) const {
    constexpr std::pair<std::uint16_t, std::uint16_t> data_fields[] = {
        {tag_jpeg_interchange_format, tag_jpeg_interchange_format_length},
        {tag_strip_offsets, tag_strip_byte_counts},
        {tag_tile_offsets, tag_tile_byte_counts}};
    std::vector<byte_range> out;
    for (const auto& [offsets_tag, lengths_tag] : data_fields) {
        const auto numbers = [&](std::uint16_t tag) {
            std::vector<std::uint64_t> values;
            for (const auto& entry : ifd.entries) {
                if (entry.tag != tag || !entry.value_read) {
                    continue;
                }
                const std::size_t step = entry.type == tiff_type::short_ ? 2 : 4;
                for (std::size_t i = 0; i + step <= entry.value.size(); i += step) {
                    values.push_back(step == 2 ? load_u16(entry.value.data() + i, old_.order)
                                               : load_u32(entry.value.data() + i, old_.order));
                }
            }
            return values;
        };
        const auto offsets = numbers(offsets_tag);
        const auto lengths = numbers(lengths_tag);
        for (std::size_t i = 0; i < std::min(offsets.size(), lengths.size()); ++i) {
            out.emplace_back(offsets[i], offsets[i] + lengths[i]);
        }
    }
    return out;
}

// Everything the reader found in the block: directories, values, thumbnail and strip data.
std::vector<byte_range> planner::found_ranges(std::uint64_t block_size) const {
    std::vector<byte_range> found;
    for (const tiff_ifd& ifd : old_.ifds) {
        found.emplace_back(ifd.offset, table_end(ifd, block_size));
        for (const tiff_entry& entry : ifd.entries) {
            if (const auto value = value_range(entry)) {
                found.push_back(*value);
            }
        }
        const auto data = data_ranges(ifd);
        found.insert(found.end(), data.begin(), data.end());
    }
    return found;
}

// The old bytes of what this save writes anew (with `also_moved`, as if those directories were
// written anew too), where no other structure the reader found claims them; sorted.
std::vector<byte_range> planner::dead_ranges(const std::vector<byte_range>& found,
                                             std::uint64_t block_size,
                                             const std::set<tiff_directory>& also_moved,
                                             bool with_padding) const {
    const auto overlaps_another = [&found](const byte_range& candidate) {
        std::size_t overlapping = 0;
        for (const byte_range& other : found) {
            overlapping += other.first < candidate.second && candidate.first < other.second;
        }
        return overlapping > 1; // itself, and another
    };
    std::vector<byte_range> dead;
    for (const tiff_ifd& ifd : old_.ifds) {
        const auto staying = directories_.find(ifd.kind);
        if (staying != directories_.end() && !staying->second.changed &&
            also_moved.count(ifd.kind) == 0) {
            continue;
        }
        const byte_range table{ifd.offset, table_end(ifd, block_size)};
        if (!overlaps_another(table)) {
            dead.push_back(table);
        }
        for (const tiff_entry& entry : ifd.entries) {
            if (const auto value = value_range(entry); value && !overlaps_another(*value)) {
                dead.push_back(with_padding ? *value : *value_range(entry, false));
            }
        }
    }
    std::sort(dead.begin(), dead.end());
    return dead;
}

// What stays where it is: the directories this save keeps, and the values left at their offset.
std::vector<byte_range> planner::kept_ranges(std::uint64_t block_size,
                                             const std::set<tiff_directory>& also_moved) const {
    std::vector<byte_range> kept;
    for (const auto& [kind, directory] : directories_) {
        const bool moved = directory.changed || also_moved.count(kind) != 0;
        if (const tiff_ifd* ifd = old_.find(kind); ifd != nullptr && !moved) {
            kept.emplace_back(ifd->offset, table_end(*ifd, block_size));
        }
        for (const out_entry& entry : directory.entries) {
            const std::uint64_t size = std::uint64_t{tiff_type_size(entry.type)} * entry.count;
            if (!entry.points_to && (!moved || !entry.value) && size > entry_field_size) {
                const std::uint64_t at = load_u32(entry.field.data(), old_.order);
                kept.emplace_back(at, at + size);
            }
        }
    }
    return kept;
}

// Comparing every pair of structures stays cheap for real directories; past that, nothing is
// reused.
constexpr std::size_t max_compared = 4096;

// Where the new directories may start. Only bytes that provably nobody refers to any more are
// reused: those of the old directories and values this save writes anew, where they run to the
// end of the block, overlap no other structure the reader found (a directory, a value, thumbnail
// or strip data) and nothing kept lies after them. Bytes no parsed structure covers, such as a
// maker note's data after the directories, are never among them, so repeated saves reuse their
// own directories and nothing else. Where the block holds links of unknown reach, it reuses
// nothing: what they lead to may reach anywhere.
// With `also_moved`, as if those directories were written anew too.
std::uint64_t planner::reuse_start(std::uint64_t block_size,
                                   const std::set<tiff_directory>& also_moved) const {
    if (has_links_of_unknown_reach()) {
        return block_size;
    }
    const auto found = found_ranges(block_size);
    if (found.size() > max_compared) {
        return block_size;
    }
    std::uint64_t start = block_size;
    std::uint64_t covered_from = 0;
    std::uint64_t covered_to = 0;
    for (const auto& [from, to] : dead_ranges(found, block_size, also_moved)) {
        if (from > covered_to) {
            covered_from = from;
        }
        covered_to = std::max(covered_to, to);
        if (covered_to >= block_size) {
            start = std::min(start, covered_from);
        }
    }
    // Nothing kept may lie in the reused end: the header, thumbnail and strip data, directories
    // that stay, values left at their offset.
    std::uint64_t live_end = tiff_header_size;
    for (const tiff_ifd& ifd : old_.ifds) {
        for (const auto& [from, to] : data_ranges(ifd)) {
            live_end = std::max(live_end, to);
        }
    }
    for (const auto& [from, to] : kept_ranges(block_size, also_moved)) {
        live_end = std::max(live_end, to);
    }
    return std::min(std::max(start, live_end), block_size);
}

// The dead bytes before `base` (where the appended directories begin) that changed directories
// may be written back over: the old bytes of the directories and values this save writes anew, as
// reuse_start finds them, less everything that stays (the header, thumbnail and strip data, kept
// directories and values). A value's word padding counts only between two dead structures: the
// byte after a value that ends on an odd offset may otherwise begin data no parsed structure
// covers. Links of unknown reach leave no holes, and neither do strips or a thumbnail link without
// a sound length, whose data may reach further than their fields tell.
std::vector<byte_range> planner::dead_holes(std::uint64_t block_size, std::uint64_t base) const {
    if (has_links_of_unknown_reach()) {
        return {};
    }
    for (const tiff_ifd& ifd : old_.ifds) {
        for (const tiff_entry& entry : ifd.entries) {
            const bool unsound_thumbnail = entry.tag == tag_jpeg_interchange_format &&
                                           !thumbnail_location(ifd, old_.order, block_size);
            if (unsound_thumbnail || entry.tag == tag_strip_offsets ||
                entry.tag == tag_tile_offsets) {
                return {};
            }
        }
    }
    const auto found = found_ranges(block_size);
    if (found.size() > max_compared) {
        return {};
    }
    std::vector<byte_range> holes;
    for (auto [from, to] : dead_ranges(found, block_size, {}, false)) {
        from = std::max<std::uint64_t>(from, tiff_header_size);
        to = std::min(to, base);
        if (from >= to) {
            continue;
        }
        // The byte that pads a value to the next word boundary is dead with the values around it.
        const bool padding_between =
            !holes.empty() && holes.back().second % 2 != 0 && from == holes.back().second + 1;
        if (!holes.empty() && (from <= holes.back().second || padding_between)) {
            holes.back().second = std::max(holes.back().second, to);
        } else {
            holes.emplace_back(from, to);
        }
    }
    auto staying = kept_ranges(block_size, {});
    for (const tiff_ifd& ifd : old_.ifds) {
        const auto data = data_ranges(ifd);
        staying.insert(staying.end(), data.begin(), data.end());
    }
    for (const auto& [from, to] : staying) {
        std::vector<byte_range> rest;
        for (const auto& hole : holes) {
            if (to <= hole.first || hole.second <= from) {
                rest.push_back(hole);
                continue;
            }
            if (hole.first < from) {
                rest.emplace_back(hole.first, from);
            }
            if (to < hole.second) {
                rest.emplace_back(to, hole.second);
            }
        }
        holes = std::move(rest);
    }
    return holes;
}

// A directory that stays may stand between the dead bytes and the block's end: an earlier save
// appended it after a directory this save replaces. Written anew as well, it frees its old bytes,
// and the dead end reaches back over both; otherwise every such save would leave a hole behind.
void planner::move_what_blocks_the_dead_end(std::uint64_t block_size) {
    std::set<tiff_directory> staying;
    for (const auto& [kind, directory] : directories_) {
        if (directory.existed && !directory.changed) {
            staying.insert(kind);
        }
    }
    const std::uint64_t start = reuse_start(block_size, staying);
    if (staying.empty() || start >= reuse_start(block_size)) {
        return;
    }
    for (const auto kind : staying) {
        if (directories_[kind].old_offset >= start) {
            directories_[kind].changed = true;
        }
    }
    propagate_moves();
}

} // namespace kestrov::imaging::rewrite
