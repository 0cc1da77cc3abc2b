#include "image/engine/tiff_writer.h"

#include "image/engine/byte_reader.h"
#include "image/engine/tiff_ids.h"

#include <algorithm>
#include <limits>
#include <map>
#include <optional>
#include <set>

namespace kestrov::imaging {

namespace {

constexpr tiff_directory all_kinds[] = {tiff_directory::ifd0, tiff_directory::exif,
                                        tiff_directory::gps, tiff_directory::interop,
                                        tiff_directory::ifd1};

struct out_entry {
    std::uint16_t tag = 0;
    std::uint16_t type = 0;
    std::uint32_t count = 0;
    // Either the old four-byte field, kept verbatim (an inline value, or the offset of a value
    // that must not move), or a value to write anew.
    std::array<std::byte, 4> field{};
    std::optional<std::vector<std::byte>> value;
    // Pointer entries get the offset of their directory.
    std::optional<tiff_directory> points_to;
    // An old entry of an item's id that did not stand for the item: a later duplicate, or one
    // whose value could not be read.
    std::optional<std::uint32_t> shadows;
    // An old entry whose value lies past the end of the old data.
    bool value_outside = false;
    // An old entry whose value overlaps the header, which every save rewrites.
    bool under_header = false;
};

struct out_directory {
    std::vector<out_entry> entries;
    std::uint32_t old_offset = 0;
    std::uint32_t next = 0;
    bool existed = false;
    bool cut_short = false;
    bool changed = false;
    std::uint32_t offset = 0; // where it ends up
};

std::optional<tiff_directory> pointer_target(tiff_directory kind, std::uint16_t tag) {
    if (kind == tiff_directory::ifd0 && tag == tag_exif_ifd) {
        return tiff_directory::exif;
    }
    if (kind == tiff_directory::ifd0 && tag == tag_gps_ifd) {
        return tiff_directory::gps;
    }
    if (kind == tiff_directory::exif && tag == tag_interop_ifd) {
        return tiff_directory::interop;
    }
    return std::nullopt;
}

class planner {
public:
    planner(const tiff_structure& old, const property_list& items, bool with_thumbnail_ifd,
            bool reuse_dead_tail)
        : old_(old), items_(items), with_thumbnail_ifd_(with_thumbnail_ifd),
          reuse_dead_tail_(reuse_dead_tail) {}

    status plan(std::uint64_t block_size, tiff_rewrite& out);

private:
    void take_old_directories();
    out_entry kept(const tiff_entry& entry, tiff_directory kind) const;
    out_entry replaced(const tiff_entry& old_entry, const property& item) const;
    void take_thumbnail(out_directory& directory);
    void add_new_items();
    void drop_shadows_of_changed_items();
    void write_anew_what_appending_would_disturb();
    void settle_pointers();
    void propagate_moves();
    std::optional<std::uint64_t> live_end() const;
    status lay_out(std::uint64_t base, tiff_rewrite& out);

    const tiff_structure& old_;
    const property_list& items_;
    bool with_thumbnail_ifd_;
    bool reuse_dead_tail_;
    std::map<tiff_directory, out_directory> directories_;
    std::set<std::uint32_t> matched_;
    // The ids whose item is removed, replaced or added.
    std::set<std::uint32_t> changed_ids_;
};

out_entry planner::kept(const tiff_entry& entry, tiff_directory kind) const {
    out_entry out;
    out.tag = entry.tag;
    out.type = entry.type;
    out.count = entry.count;
    out.field = entry.field;
    out.value_outside = entry.value_outside;
    // A pointer's field is its directory's offset, whatever its count claims: it has no value.
    out.points_to = pointer_target(kind, entry.tag);
    if (out.points_to) {
        return out;
    }
    const std::uint64_t size = std::uint64_t{tiff_type_size(entry.type)} * entry.count;
    // Where the old data stays whole (a TIFF file), a value outside the entry keeps its offset, so
    // a save adds little more than the new directory. Where the tail is reused, the value is
    // written again with its directory, except a maker note, whose own offsets count from the TIFF
    // header, and a value that could not be read: for those the old offset is all there is.
    if (reuse_dead_tail_ && size > 4 && entry.value_read && entry.tag != tag_maker_note) {
        out.value = entry.value;
    }
    // A value in the header's eight bytes would change with the new IFD0 offset: it moves.
    if (size > 4 && entry.value_read && load_u32(entry.field.data(), old_.order) < 8) {
        out.value = entry.value;
        out.under_header = true;
    }
    return out;
}

out_entry planner::replaced(const tiff_entry& old_entry, const property& item) const {
    const std::uint32_t element = tiff_type_size(item.type);
    out_entry out;
    out.tag = old_entry.tag;
    out.type = item.type;
    out.count = static_cast<std::uint32_t>(item.value.size() / element);
    out.value = swap_value_order(item.value, item.type, old_.order);
    return out;
}

// The thumbnail's bytes stay where they are; removing the item drops the fields that point at
// them. Its bytes are never replaced: nothing in the program edits a thumbnail.
void planner::take_thumbnail(out_directory& directory) {
    matched_.insert(id_thumbnail_data);
    const bool had_thumbnail =
        std::any_of(directory.entries.begin(), directory.entries.end(),
                    [](const out_entry& e) { return e.tag == tag_jpeg_interchange_format; });
    if (had_thumbnail && items_.find(id_thumbnail_data) == nullptr) {
        // The thumbnail was removed: so are the fields that point at it.
        std::erase_if(directory.entries, [](const out_entry& e) {
            return e.tag == tag_jpeg_interchange_format ||
                   e.tag == tag_jpeg_interchange_format_length;
        });
        directory.changed = true;
    }
}

void planner::take_old_directories() {
    std::set<std::uint32_t> exposed_before;
    for (const auto kind : all_kinds) {
        const tiff_ifd* ifd = old_.find(kind);
        if (ifd == nullptr) {
            continue;
        }
        out_directory directory;
        directory.existed = true;
        directory.old_offset = ifd->offset;
        directory.next = ifd->next_offset;
        directory.cut_short = ifd->cut_short;
        for (const auto& entry : ifd->entries) {
            const auto id = exposed_item_id(kind, entry.tag);
            // Only the entry a reader exposed stands for the item: the first of its id.
            const bool stands_for_item =
                id && entry.value_read && exposed_before.insert(*id).second;
            if (!stands_for_item) {
                auto out = kept(entry, kind);
                out.shadows = id;
                directory.entries.push_back(std::move(out));
                continue;
            }
            matched_.insert(*id);
            const property* item = items_.find(*id);
            if (item == nullptr) {
                directory.changed = true; // removed
                changed_ids_.insert(*id);
            } else if (item->type == entry.type &&
                       item->value == swap_value_order(entry.value, entry.type, old_.order)) {
                directory.entries.push_back(kept(entry, kind));
            } else {
                directory.entries.push_back(replaced(entry, *item));
                directory.changed = true;
                changed_ids_.insert(*id);
            }
        }
        if (kind == tiff_directory::ifd1) {
            take_thumbnail(directory);
        }
        directories_[kind] = std::move(directory);
    }
}

void planner::add_new_items() {
    for (const auto& item : items_.items()) {
        if (matched_.count(item.id) != 0) {
            continue;
        }
        const tiff_directory kind = directory_for_new_item(item.id);
        if (kind == tiff_directory::ifd1 && !with_thumbnail_ifd_) {
            continue; // a TIFF file's next IFD is a page, not a thumbnail
        }
        std::uint16_t tag = static_cast<std::uint16_t>(item.id);
        if (kind == tiff_directory::ifd1) {
            const auto thumbnail_tag = thumbnail_tag_for_item(item.id);
            if (!thumbnail_tag) {
                continue; // new thumbnail data without its fields is not written
            }
            tag = *thumbnail_tag;
        }
        out_directory& directory = directories_[kind];
        const tiff_entry placeholder{tag, item.type, 0, {}, {}, false};
        directory.entries.push_back(replaced(placeholder, item));
        directory.changed = true;
        changed_ids_.insert(item.id);
    }
}

// One entry per item. When an item is removed, replaced or added, the other entries of its id go
// too, in whatever directory: otherwise a removed item would come back from a duplicate, and a new
// item would hide behind an old entry that a reader finds first.
void planner::drop_shadows_of_changed_items() {
    for (auto& [kind, directory] : directories_) {
        const auto before = directory.entries.size();
        std::erase_if(directory.entries, [this](const out_entry& e) {
            return e.shadows && changed_ids_.count(*e.shadows) != 0;
        });
        if (directory.entries.size() != before) {
            directory.changed = true;
        }
    }
}

void planner::settle_pointers() {
    // Empty sub-directories go, with the pointers to them.
    for (const auto kind : {tiff_directory::interop, tiff_directory::gps, tiff_directory::exif,
                            tiff_directory::ifd1}) {
        auto found = directories_.find(kind);
        if (found != directories_.end() && found->second.entries.empty()) {
            directories_.erase(found);
            for (auto& [parent_kind, parent] : directories_) {
                const auto before = parent.entries.size();
                std::erase_if(parent.entries,
                              [kind](const out_entry& e) { return e.points_to == kind; });
                parent.changed = parent.changed || parent.entries.size() != before;
            }
        }
    }
    // New sub-directories need a pointer in their parent.
    for (const auto& [kind, parent_kind, tag] :
         {std::tuple{tiff_directory::exif, tiff_directory::ifd0, tag_exif_ifd},
          std::tuple{tiff_directory::gps, tiff_directory::ifd0, tag_gps_ifd}}) {
        const auto found = directories_.find(kind);
        if (found == directories_.end()) {
            continue;
        }
        out_directory& parent = directories_[parent_kind];
        const bool has_pointer =
            std::any_of(parent.entries.begin(), parent.entries.end(),
                        [k = kind](const out_entry& e) { return e.points_to == k; });
        if (!has_pointer) {
            out_entry pointer;
            pointer.tag = tag;
            pointer.type = 4;
            pointer.count = 1;
            pointer.points_to = kind;
            parent.entries.push_back(pointer);
            parent.changed = true;
        }
    }
    directories_[tiff_directory::ifd0]; // IFD0 always exists
}

// A save appends its bytes after the old data, which gives meaning to links into nothing: an entry
// whose value lay past the end would read them as its value, a directory cut short by the end as
// further entries, a pointer to a directory that could not be read (past the end, looping,
// impossible) as a directory. A rewrite drops such entries and pointers (they held nothing), and
// writes their directories anew, with what was read; an unread thumbnail directory loses IFD0's
// link to it. A pointer is never taken for a value, whatever its count claims: readers follow it
// by its field alone. A directory with a value in the header's bytes, which the save rewrites, is
// written anew too, so the value moves out of them.
void planner::write_anew_what_appending_would_disturb() {
    for (auto& [kind, directory] : directories_) {
        const auto before = directory.entries.size();
        std::erase_if(directory.entries, [this](const out_entry& e) {
            return e.points_to ? directories_.count(*e.points_to) == 0 : e.value_outside;
        });
        const bool unread_next = kind == tiff_directory::ifd0 && with_thumbnail_ifd_ &&
                                 directory.next != 0 &&
                                 directories_.count(tiff_directory::ifd1) == 0;
        const bool under_header = std::any_of(directory.entries.begin(), directory.entries.end(),
                                              [](const out_entry& e) { return e.under_header; });
        if (directory.cut_short || unread_next || under_header ||
            directory.entries.size() != before) {
            directory.changed = true;
        }
    }
}

// A directory that moves changes whatever points at it.
void planner::propagate_moves() {
    bool again = true;
    while (again) {
        again = false;
        for (auto& [kind, directory] : directories_) {
            const bool links_moved = std::any_of(
                directory.entries.begin(), directory.entries.end(), [this](const out_entry& e) {
                    if (!e.points_to) {
                        return false;
                    }
                    const auto target = directories_.find(*e.points_to);
                    return target != directories_.end() && target->second.changed;
                });
            const auto ifd1 = directories_.find(tiff_directory::ifd1);
            const bool next_moved =
                kind == tiff_directory::ifd0 && ifd1 != directories_.end() && ifd1->second.changed;
            const bool ifd1_gone = kind == tiff_directory::ifd0 && with_thumbnail_ifd_ &&
                                   ifd1 == directories_.end() && directory.next != 0 &&
                                   old_.find(tiff_directory::ifd1) != nullptr;
            if ((links_moved || next_moved || ifd1_gone) && !directory.changed) {
                directory.changed = true;
                again = true;
            }
        }
    }
}

void append_u16(std::vector<std::byte>& out, std::uint16_t value, byte_order order) {
    std::byte bytes[2];
    store_u16(bytes, value, order);
    out.insert(out.end(), bytes, bytes + 2);
}

void append_u32(std::vector<std::byte>& out, std::uint32_t value, byte_order order) {
    std::byte bytes[4];
    store_u32(bytes, value, order);
    out.insert(out.end(), bytes, bytes + 4);
}

status planner::lay_out(std::uint64_t base, tiff_rewrite& out) {
    const byte_order order = old_.order;
    // TIFF 6.0 §2: directories and values begin on a word boundary.
    out.appendix_offset = base + (base % 2);
    std::uint64_t cursor = out.appendix_offset;
    std::map<tiff_directory, std::uint64_t> value_start;
    for (auto& [kind, directory] : directories_) {
        if (!directory.changed) {
            directory.offset = directory.old_offset;
            continue;
        }
        std::stable_sort(directory.entries.begin(), directory.entries.end(),
                         [](const out_entry& a, const out_entry& b) { return a.tag < b.tag; });
        directory.offset = static_cast<std::uint32_t>(cursor);
        cursor += 2 + 12 * std::uint64_t{directory.entries.size()} + 4;
        value_start[kind] = cursor;
        for (const auto& entry : directory.entries) {
            if (entry.value && entry.value->size() > 4) {
                cursor += entry.value->size() + entry.value->size() % 2;
            }
        }
    }
    if (cursor > std::numeric_limits<std::uint32_t>::max()) {
        return status::value_overflow; // past what 32-bit TIFF offsets reach
    }
    for (auto& [kind, directory] : directories_) {
        if (!directory.changed) {
            continue;
        }
        std::vector<std::byte> values;
        std::uint64_t value_offset = value_start[kind];
        append_u16(out.appendix, static_cast<std::uint16_t>(directory.entries.size()), order);
        for (const auto& entry : directory.entries) {
            append_u16(out.appendix, entry.tag, order);
            append_u16(out.appendix, entry.type, order);
            append_u32(out.appendix, entry.count, order);
            const auto target =
                entry.points_to ? directories_.find(*entry.points_to) : directories_.end();
            if (target != directories_.end()) {
                append_u32(out.appendix, target->second.offset, order);
            } else if (entry.value && entry.value->size() > 4) {
                append_u32(out.appendix, static_cast<std::uint32_t>(value_offset), order);
                values.insert(values.end(), entry.value->begin(), entry.value->end());
                if (entry.value->size() % 2 != 0) {
                    values.push_back(std::byte{0});
                }
                value_offset += entry.value->size() + entry.value->size() % 2;
            } else if (entry.value) {
                std::array<std::byte, 4> field{};
                std::copy(entry.value->begin(), entry.value->end(), field.begin());
                out.appendix.insert(out.appendix.end(), field.begin(), field.end());
            } else {
                out.appendix.insert(out.appendix.end(), entry.field.begin(), entry.field.end());
            }
        }
        std::uint32_t next = directory.next;
        if (kind == tiff_directory::ifd0 && with_thumbnail_ifd_) {
            // IFD0 links to the thumbnail's directory, if there still is one.
            const auto ifd1 = directories_.find(tiff_directory::ifd1);
            next = ifd1 != directories_.end() ? ifd1->second.offset : 0;
        }
        append_u32(out.appendix, next, order);
        out.appendix.insert(out.appendix.end(), values.begin(), values.end());
    }
    out.header[0] = out.header[1] = static_cast<std::byte>(order == byte_order::little ? 'I' : 'M');
    store_u16(out.header.data() + 2, 42, order);
    store_u32(out.header.data() + 4, directories_[tiff_directory::ifd0].offset, order);
    return status::ok;
}

// The end of the last byte that anything kept still refers to: the header, directories that stay,
// values that keep their offset, thumbnail and strip data. Nothing when the block may hold
// references this writer cannot see (sub-IFD arrays, directories it could not read, values of an
// unknown type).
std::optional<std::uint64_t> planner::live_end() const {
    const tiff_ifd* old_ifd0 = old_.find(tiff_directory::ifd0);
    const tiff_ifd* old_ifd1 = old_.find(tiff_directory::ifd1);
    if ((old_ifd1 != nullptr && old_ifd1->next_offset != 0) ||
        (old_ifd1 == nullptr && old_ifd0 != nullptr && old_ifd0->next_offset != 0)) {
        return std::nullopt;
    }
    std::uint64_t end = 8;
    const auto extend = [&end](std::uint64_t offset, std::uint64_t size) {
        end = std::max(end, offset + size);
    };
    for (const auto& [kind, directory] : directories_) {
        for (const auto& entry : directory.entries) {
            const std::uint64_t size = std::uint64_t{tiff_type_size(entry.type)} * entry.count;
            if (entry.tag == 0x014A || tiff_type_size(entry.type) == 0 || entry.type == 13 ||
                (entry.points_to && directories_.count(*entry.points_to) == 0)) {
                return std::nullopt;
            }
            if (!entry.points_to && (!directory.changed || !entry.value) && size > 4) {
                extend(load_u32(entry.field.data(), old_.order), size);
            }
        }
        if (!directory.changed && directory.existed) {
            const tiff_ifd* old_directory = old_.find(kind);
            extend(directory.old_offset, 2 + 12 * std::uint64_t{old_directory->entries.size()} + 4);
        }
    }
    // Data that fields point at: the thumbnail, and strips or tiles.
    constexpr std::pair<std::uint16_t, std::uint16_t> data_fields[] = {
        {tag_jpeg_interchange_format, tag_jpeg_interchange_format_length},
        {0x0111, 0x0117},
        {0x0144, 0x0145}};
    for (const auto& [kind, directory] : directories_) {
        const tiff_ifd* old_directory = old_.find(kind);
        if (old_directory == nullptr) {
            continue;
        }
        for (const auto& [offsets_tag, lengths_tag] : data_fields) {
            const auto numbers = [&](std::uint16_t tag) {
                std::vector<std::uint64_t> values;
                for (const auto& entry : old_directory->entries) {
                    if (entry.tag != tag || !entry.value_read) {
                        continue;
                    }
                    const std::size_t step = entry.type == 3 ? 2 : 4;
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
                extend(offsets[i], lengths[i]);
            }
        }
    }
    return end;
}

status planner::plan(std::uint64_t block_size, tiff_rewrite& out) {
    out = {};
    take_old_directories();
    add_new_items();
    drop_shadows_of_changed_items();
    settle_pointers();
    propagate_moves();
    const bool any_change = std::any_of(directories_.begin(), directories_.end(),
                                        [](const auto& pair) { return pair.second.changed; });
    if (!any_change) {
        return status::ok;
    }
    out.changed = true;
    write_anew_what_appending_would_disturb();
    propagate_moves();
    std::uint64_t base = block_size;
    if (reuse_dead_tail_) {
        if (const auto end = live_end(); end && *end < block_size) {
            base = *end;
        }
    }
    return lay_out(base, out);
}

} // namespace

status plan_tiff_rewrite(const tiff_structure& old, std::uint64_t block_size,
                         const property_list& items, bool with_thumbnail_ifd, tiff_rewrite& out,
                         bool reuse_dead_tail) {
    for (const auto& item : items.items()) {
        const std::uint32_t element = tiff_type_size(item.type);
        if (element == 0 || item.value.size() % element != 0 ||
            item.value.size() / element > std::numeric_limits<std::uint32_t>::max()) {
            return status::invalid_parameter;
        }
    }
    return planner(old, items, with_thumbnail_ifd, reuse_dead_tail).plan(block_size, out);
}

status rewrite_exif_block(std::span<const std::byte> old_block, const tiff_structure& old,
                          const property_list& items, std::vector<std::byte>& out) {
    tiff_structure base = old;
    std::span<const std::byte> bytes = old_block;
    // Without an Exif block there is only a header: little-endian, IFD0 still to come.
    static constexpr std::byte empty_header[8] = {std::byte{'I'}, std::byte{'I'}, std::byte{42},
                                                  std::byte{0},   std::byte{8},   std::byte{0},
                                                  std::byte{0},   std::byte{0}};
    if (old.find(tiff_directory::ifd0) == nullptr) {
        base = {};
        base.order = byte_order::little;
        bytes = empty_header;
    }
    tiff_rewrite rewrite;
    if (const status result = plan_tiff_rewrite(base, bytes.size(), items, true, rewrite, true);
        result != status::ok) {
        return result;
    }
    if (!rewrite.changed) {
        out.assign(old_block.begin(), old_block.end());
        return status::ok;
    }
    out.assign(bytes.begin(), bytes.end());
    std::copy(rewrite.header.begin(), rewrite.header.end(), out.begin());
    out.resize(static_cast<std::size_t>(rewrite.appendix_offset), std::byte{0});
    out.insert(out.end(), rewrite.appendix.begin(), rewrite.appendix.end());
    return status::ok;
}

} // namespace kestrov::imaging
