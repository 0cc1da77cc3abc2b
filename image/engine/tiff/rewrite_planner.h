// The planner behind tiff_rewrite.h: what a save writes anew in a TIFF structure and where. It
// works in steps, one file each, run in this order by planner::plan (tiff_rewrite.cpp):
//  1. rewrite_entries.cpp: the entries of the new directories, from the old ones and the items;
//  2. rewrite_links.cpp: pointers and links settled, and every directory that must move marked;
//  3. rewrite_free_space.cpp: which old bytes are provably dead and may be written over;
//  4. rewrite_anew.cpp: (only for an Exif block past its room) laying the whole block out anew;
//  5. rewrite_emit.cpp: offsets given and the changed directories' bytes written.
// Internal to the TIFF engine.
#pragma once

#include "image/engine/property.h"
#include "image/engine/status.h"
#include "image/engine/tiff/tiff_reader.h"
#include "image/engine/tiff/tiff_rewrite.h"

#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <span>
#include <utility>
#include <vector>

namespace kestrov::imaging::rewrite {

inline constexpr tiff_directory all_kinds[] = {tiff_directory::ifd0, tiff_directory::exif,
                                               tiff_directory::gps, tiff_directory::interop,
                                               tiff_directory::ifd1};

struct out_entry {
    std::uint16_t tag = 0;
    std::uint16_t type = 0;
    std::uint32_t count = 0;
    // Either the old four-byte field, kept verbatim (an inline value, or the offset of a value
    // that must not move), or a value to write anew.
    std::array<std::byte, 4> field{};
    std::optional<shared_bytes> value;
    // Pointer entries get the offset of their directory.
    std::optional<tiff_directory> points_to;
    // A pointer into nothing (past the end, into the header, to a directory read under another
    // link): it goes when its directory is rewritten.
    bool into_nothing = false;
    // A pointer the reader did not follow: its field stays as it is, and so do the bytes it leads
    // to, whose extent nobody knows.
    bool unfollowed_link = false;
    // An old entry of an item's id that did not stand for the item: a later duplicate, or one
    // whose value could not be read.
    std::optional<std::uint32_t> shadows;
    // An old entry whose value lies past the end of the old data.
    bool value_outside = false;
    // An old entry whose value overlaps the header, which every save rewrites.
    bool under_header = false;
    // Bytes the field points at that move with the entry, the field becoming their new offset:
    // the thumbnail's, when the block is laid out anew.
    std::optional<std::vector<std::byte>> data;
};

struct out_directory {
    std::vector<out_entry> entries;
    std::uint32_t old_offset = 0;
    std::uint32_t next = 0;
    tiff_link next_link = tiff_link::none;
    bool existed = false;
    bool cut_short = false;
    bool changed = false;
    std::uint32_t offset = 0; // where it ends up
};

using byte_range = std::pair<std::uint64_t, std::uint64_t>; // from, to (past the end)

// Where the directories a save writes anew go. After the old data (or over its dead end), so every
// old offset stays valid; also back over the dead bytes of what they replace, where they fit; or,
// for a block whose every byte this writer understands, into a block laid out anew.
enum class placement : std::uint8_t { append, over_dead_bytes, anew };

class planner {
public:
    planner(const tiff_structure& old, const property_list& items, bool with_thumbnail_ifd)
        : old_(old), items_(items), with_thumbnail_ifd_(with_thumbnail_ifd) {}

    // `block` (the old block's bytes) is needed only to lay it out anew.
    status plan(std::uint64_t block_size, tiff_rewrite& out, placement where = placement::append,
                std::span<const std::byte> block = {});

private:
    void take_old_directories();
    out_entry kept(const tiff_entry& entry, tiff_directory kind) const;
    out_entry replaced(const tiff_entry& old_entry, const property& item) const;
    void take_thumbnail(out_directory& directory);
    status add_new_items();
    void drop_shadows_of_changed_items();
    void write_anew_what_appending_would_disturb();
    void settle_pointers();
    void propagate_moves();
    bool has_links_of_unknown_reach() const;
    std::uint64_t table_end(const tiff_ifd& ifd, std::uint64_t block_size) const;
    std::optional<byte_range> value_range(const tiff_entry& entry, bool with_padding = true) const;
    std::vector<byte_range> data_ranges(const tiff_ifd& ifd) const;
    std::vector<byte_range> found_ranges(std::uint64_t block_size) const;
    std::vector<byte_range> dead_ranges(const std::vector<byte_range>& found,
                                        std::uint64_t block_size,
                                        const std::set<tiff_directory>& also_moved,
                                        bool with_padding = true) const;
    std::vector<byte_range> kept_ranges(std::uint64_t block_size,
                                        const std::set<tiff_directory>& also_moved) const;
    std::uint64_t reuse_start(std::uint64_t block_size,
                              const std::set<tiff_directory>& also_moved = {}) const;
    std::vector<byte_range> dead_holes(std::uint64_t block_size, std::uint64_t base) const;
    void move_what_blocks_the_dead_end(std::uint64_t block_size);
    bool may_lay_out_anew(std::span<const std::byte> block) const;
    void lay_out_anew(std::span<const std::byte> block);
    std::vector<std::byte> directory_bytes(tiff_directory kind, const out_directory& directory,
                                           std::uint64_t value_offset) const;
    status lay_out(std::uint64_t base, tiff_rewrite& out);

    const tiff_structure& old_;
    const property_list& items_;
    bool with_thumbnail_ifd_;
    std::map<tiff_directory, out_directory> directories_;
    std::set<std::uint32_t> matched_;
    // The ids whose item is removed, replaced or added.
    std::set<std::uint32_t> changed_ids_;
    // Dead bytes inside the kept part that changed directories may be written back over.
    std::vector<byte_range> holes_;
};

} // namespace kestrov::imaging::rewrite
