#include "image/engine/tiff/tiff_rewrite.h"

#include "base/hresult.h"
#include "base/last_error.h"
#include "image/engine/io/byte_reader.h"
#include "image/engine/tiff/tiff_items.h"

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

out_entry planner::kept(const tiff_entry& entry, tiff_directory kind) const {
    out_entry out;
    out.tag = entry.tag;
    out.type = entry.type;
    out.count = entry.count;
    out.field = entry.field;
    out.value_outside = entry.value_outside;
    // A pointer's field is its directory's offset, whatever its count claims: it has no value.
    switch (entry.link) {
    case tiff_link::followed:
        out.points_to = pointer_kind(kind, entry.tag);
        return out;
    case tiff_link::into_nothing:
        out.into_nothing = true;
        return out;
    case tiff_link::not_followed:
        out.unfollowed_link = true;
        return out;
    case tiff_link::none:
        break;
    }
    const std::uint64_t size = std::uint64_t{tiff_type_size(entry.type)} * entry.count;
    // A value outside the entry is written again with its directory, should the directory be
    // rewritten, so the old bytes are free to reuse once nothing else refers to them. Not so a
    // maker note, whose own offsets count from the TIFF header, nor a value that could not be
    // read: for those the old offset is all there is.
    if (size > 4 && entry.value_read && entry.tag != tag_maker_note) {
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
    // Only a thumbnail the reader showed can have been removed; a link it could not show stays as
    // it is (unless it leads into nothing; see write_anew_what_appending_would_disturb).
    const tiff_ifd* ifd1 = old_.find(tiff_directory::ifd1);
    const bool had_thumbnail = ifd1 != nullptr && !old_.thumbnail_skipped &&
                               thumbnail_location(*ifd1, old_.order, old_.block_size).has_value();
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
        directory.next_link = ifd->next_link;
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

// A new item takes an entry of its own; an id no entry can stand for (wider than a tag, a
// pointer, thumbnail bytes, a thumbnail field of a file without a thumbnail) is refused, never cut
// to 16 bits or left out while the save reports success.
status planner::add_new_items() {
    for (const auto& item : items_.items()) {
        if (matched_.count(item.id) != 0) {
            continue;
        }
        if (!tiff_can_hold_item(item.id, with_thumbnail_ifd_)) {
            return status::property_not_supported;
        }
        const tiff_directory kind = directory_for_new_item(item.id);
        const std::uint16_t tag = kind == tiff_directory::ifd1
                                      ? *thumbnail_tag_for_item(item.id)
                                      : static_cast<std::uint16_t>(item.id);
        out_directory& directory = directories_[kind];
        const tiff_entry placeholder{tag, item.type, 0, {}, {}, false};
        directory.entries.push_back(replaced(placeholder, item));
        directory.changed = true;
        changed_ids_.insert(item.id);
    }
    return status::ok;
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
    // Empty sub-directories go, with the pointers to them; but not while another pointer of the
    // same kind stays unfollowed: without the one it follows now, a reader would follow that one
    // into bytes it never showed.
    const auto unfollowed_pointer_to = [this](tiff_directory kind) {
        return std::any_of(directories_.begin(), directories_.end(), [kind](const auto& parent) {
            return std::any_of(parent.second.entries.begin(), parent.second.entries.end(),
                               [&](const out_entry& e) {
                                   return e.unfollowed_link &&
                                          pointer_kind(parent.first, e.tag) == kind;
                               });
        });
    };
    for (const auto kind : {tiff_directory::interop, tiff_directory::gps, tiff_directory::exif,
                            tiff_directory::ifd1}) {
        auto found = directories_.find(kind);
        if (found != directories_.end() && found->second.entries.empty() &&
            !unfollowed_pointer_to(kind)) {
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
// writes their directories anew, with what was read; a thumbnail link into nothing is cut. A link
// to bytes the reader did not take in as a directory is kept as it is. A pointer is never taken for
// a value, whatever its count claims: readers follow it by its field alone. A directory with a
// value in the header's bytes, which the save rewrites, is written anew too, so the value moves out
// of them.
void planner::write_anew_what_appending_would_disturb() {
    for (auto& [kind, directory] : directories_) {
        const auto before = directory.entries.size();
        std::erase_if(directory.entries, [this](const out_entry& e) {
            return e.points_to ? directories_.count(*e.points_to) == 0
                               : e.into_nothing || e.value_outside;
        });
        // A thumbnail link into the header or past the end would reach what the save appends.
        if (kind == tiff_directory::ifd1) {
            if (const tiff_ifd* ifd1 = old_.find(tiff_directory::ifd1);
                ifd1 != nullptr &&
                thumbnail_link_into_nothing(*ifd1, old_.order, old_.block_size)) {
                std::erase_if(directory.entries, [](const out_entry& e) {
                    return e.tag == tag_jpeg_interchange_format ||
                           e.tag == tag_jpeg_interchange_format_length;
                });
            }
        }
        const bool unread_next = directory.next_link == tiff_link::into_nothing;
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

// The bytes a changed directory takes: its table, then the values that do not fit in their entries
// and the data that moves with them, each on a word boundary (TIFF 6.0 §2).
std::uint64_t directory_size(const out_directory& directory) {
    std::uint64_t size = 2 + 12 * std::uint64_t{directory.entries.size()} + 4;
    for (const auto& entry : directory.entries) {
        if (entry.value && entry.value->size() > 4) {
            size += entry.value->size() + entry.value->size() % 2;
        } else if (entry.data) {
            size += entry.data->size() + entry.data->size() % 2;
        }
    }
    return size;
}

// The byte that pads a directory's last value to a word boundary. Only what follows the directory
// needs it, so a directory written back over dead bytes leaves it out rather than overwrite a byte
// that may not be dead.
std::uint64_t trailing_padding(const out_directory& directory) {
    for (auto entry = directory.entries.rbegin(); entry != directory.entries.rend(); ++entry) {
        if (entry->value && entry->value->size() > 4) {
            return entry->value->size() % 2;
        }
        if (!entry->value && entry->data) {
            return entry->data->size() % 2;
        }
    }
    return 0;
}

// A changed directory as written at its offset, its values from `value_offset` on.
std::vector<std::byte> planner::directory_bytes(tiff_directory kind, const out_directory& directory,
                                                std::uint64_t value_offset) const {
    const byte_order order = old_.order;
    std::vector<std::byte> out;
    std::vector<std::byte> values;
    const auto add_value = [&](std::span<const std::byte> bytes) {
        append_u32(out, static_cast<std::uint32_t>(value_offset), order);
        values.insert(values.end(), bytes.begin(), bytes.end());
        if (bytes.size() % 2 != 0) {
            values.push_back(std::byte{0});
        }
        value_offset += bytes.size() + bytes.size() % 2;
    };
    append_u16(out, static_cast<std::uint16_t>(directory.entries.size()), order);
    for (const auto& entry : directory.entries) {
        append_u16(out, entry.tag, order);
        append_u16(out, entry.type, order);
        append_u32(out, entry.count, order);
        const auto target =
            entry.points_to ? directories_.find(*entry.points_to) : directories_.end();
        if (target != directories_.end()) {
            append_u32(out, target->second.offset, order);
        } else if (entry.value && entry.value->size() > 4) {
            add_value(*entry.value);
        } else if (entry.value) {
            std::array<std::byte, 4> field{};
            std::copy(entry.value->begin(), entry.value->end(), field.begin());
            out.insert(out.end(), field.begin(), field.end());
        } else if (entry.data) {
            add_value(*entry.data);
        } else {
            out.insert(out.end(), entry.field.begin(), entry.field.end());
        }
    }
    // A next link into nothing goes; one that leads to bytes the reader did not take in stays.
    std::uint32_t next = directory.next_link == tiff_link::into_nothing ? 0 : directory.next;
    if (kind == tiff_directory::ifd0 && with_thumbnail_ifd_) {
        // IFD0 links to the thumbnail's directory, if there still is one, or keeps a link it
        // could not follow.
        const auto ifd1 = directories_.find(tiff_directory::ifd1);
        next = ifd1 != directories_.end()                       ? ifd1->second.offset
               : directory.next_link == tiff_link::not_followed ? directory.next
                                                                : 0;
    }
    append_u32(out, next, order);
    out.insert(out.end(), values.begin(), values.end());
    return out;
}

status planner::lay_out(std::uint64_t base, tiff_rewrite& out) {
    // A directory the reader would refuse is never written: a save must read back.
    for (const auto& [kind, directory] : directories_) {
        if (directory.entries.size() > max_entries_per_ifd) {
            set_last_error(win32::error_file_too_large);
            return status::value_overflow;
        }
    }
    // TIFF 6.0 §2: directories and values begin on a word boundary.
    out.kept_size = base;
    out.appendix_offset = base + (base % 2);
    std::uint64_t cursor = out.appendix_offset;
    std::map<tiff_directory, std::uint64_t> over_dead_bytes; // how many bytes each writes there
    std::vector<byte_range> holes = holes_;
    for (auto& [kind, directory] : directories_) {
        if (!directory.changed) {
            directory.offset = directory.old_offset;
            continue;
        }
        // Of pointers with one tag, the one to the directory comes first: readers follow the
        // first they meet.
        std::stable_sort(directory.entries.begin(), directory.entries.end(),
                         [](const out_entry& a, const out_entry& b) {
                             return a.tag != b.tag
                                        ? a.tag < b.tag
                                        : a.points_to.has_value() > b.points_to.has_value();
                         });
        const std::uint64_t size = directory_size(directory);
        const std::uint64_t written = size - trailing_padding(directory);
        const auto hole = std::find_if(holes.begin(), holes.end(), [written](const byte_range& h) {
            const std::uint64_t at = h.first + h.first % 2;
            return at <= h.second && h.second - at >= written;
        });
        if (hole != holes.end()) {
            const std::uint64_t at = hole->first + hole->first % 2;
            directory.offset = static_cast<std::uint32_t>(at); // the hole lies in the old block
            hole->first = at + written;
            over_dead_bytes[kind] = written;
            continue;
        }
        directory.offset = static_cast<std::uint32_t>(cursor);
        cursor += size;
    }
    if (cursor > std::numeric_limits<std::uint32_t>::max()) {
        set_last_error(win32::error_file_too_large);
        return status::value_overflow; // past what 32-bit TIFF offsets reach
    }
    for (auto& [kind, directory] : directories_) {
        if (!directory.changed) {
            continue;
        }
        const std::uint64_t values_at =
            directory.offset + 2 + 12 * std::uint64_t{directory.entries.size()} + 4;
        auto bytes = directory_bytes(kind, directory, values_at);
        if (const auto in_hole = over_dead_bytes.find(kind); in_hole != over_dead_bytes.end()) {
            bytes.resize(static_cast<std::size_t>(in_hole->second));
            out.patches.emplace_back(directory.offset, std::move(bytes));
        } else {
            out.appendix.insert(out.appendix.end(), bytes.begin(), bytes.end());
        }
    }
    if (out.appendix.empty()) {
        out.appendix_offset = out.kept_size; // everything went back over dead bytes
    }
    out.header[0] = out.header[1] =
        static_cast<std::byte>(old_.order == byte_order::little ? 'I' : 'M');
    store_u16(out.header.data() + 2, 42, old_.order);
    store_u32(out.header.data() + 4, directories_[tiff_directory::ifd0].offset, old_.order);
    return status::ok;
}

// Tags whose values hold offsets of data whose extent this writer does not know: sub-IFD arrays,
// free space, the JPEG tables of old-style JPEG TIFFs, makers' private directories.
bool holds_unsized_offsets(std::uint16_t tag) {
    return tag == tag_sub_ifds || tag == 0x0120 || (tag >= 0x0207 && tag <= 0x0209) ||
           tag == 0x8290 || tag == 0x7200;
}

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
    return ifd.cut_short ? block_size : ifd.offset + 2 + 12 * std::uint64_t{ifd.entries.size()} + 4;
}

// Where an entry's value lies outside the entry, with its word padding unless told otherwise.
std::optional<byte_range> planner::value_range(const tiff_entry& entry, bool with_padding) const {
    const std::uint64_t size = std::uint64_t{tiff_type_size(entry.type)} * entry.count;
    if (size <= 4 || !entry.value_read || entry.link != tiff_link::none) {
        return std::nullopt;
    }
    const std::uint64_t at = load_u32(entry.field.data(), old_.order);
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
            if (!entry.points_to && (!moved || !entry.value) && size > 4) {
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
    std::uint64_t live_end = 8;
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
        from = std::max<std::uint64_t>(from, 8);
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
                (!entry.points_to && !entry.value && size > 4)) {
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
    std::uint64_t reached = 8;
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

status planner::plan(std::uint64_t block_size, tiff_rewrite& out, placement where,
                     std::span<const std::byte> block) {
    out = {};
    take_old_directories();
    if (const status result = add_new_items(); result != status::ok) {
        return result;
    }
    drop_shadows_of_changed_items();
    settle_pointers();
    propagate_moves();
    const bool any_change = std::any_of(directories_.begin(), directories_.end(),
                                        [](const auto& pair) { return pair.second.changed; });
    if (!any_change) {
        return status::ok;
    }
    // Kept as they are, the skipped values would come back, or others go, when the saved block is
    // read within its own budget; the user would not find what was saved.
    if (old_.values_skipped) {
        set_last_error(win32::error_invalid_data);
        return status::win32_error;
    }
    out.changed = true;
    write_anew_what_appending_would_disturb();
    propagate_moves();
    move_what_blocks_the_dead_end(block_size);
    switch (where) {
    case placement::append:
        break;
    case placement::over_dead_bytes:
        holes_ = dead_holes(block_size, reuse_start(block_size));
        break;
    case placement::anew:
        if (!may_lay_out_anew(block)) {
            set_last_error(win32::error_file_too_large);
            return status::value_overflow;
        }
        lay_out_anew(block);
        return lay_out(8, out);
    }
    return lay_out(reuse_start(block_size), out);
}

std::uint64_t size_after(const tiff_rewrite& rewrite) {
    return rewrite.appendix_offset + rewrite.appendix.size();
}

} // namespace

status plan_tiff_rewrite(const tiff_structure& old, std::uint64_t block_size,
                         const property_list& items, bool with_thumbnail_ifd, tiff_rewrite& out) {
    for (const auto& item : items.items()) {
        const std::uint32_t element = tiff_type_size(item.type);
        if (element == 0 || item.value.size() % element != 0 ||
            item.value.size() / element > std::numeric_limits<std::uint32_t>::max()) {
            return status::invalid_parameter;
        }
    }
    return planner(old, items, with_thumbnail_ifd).plan(block_size, out);
}

status rewrite_exif_block(std::span<const std::byte> old_block, const tiff_structure& old,
                          const property_list& items, std::vector<std::byte>& out,
                          std::uint64_t size_limit) {
    tiff_structure base = old;
    std::span<const std::byte> bytes = old_block;
    bool new_block = false;
    // Without an Exif block there is only a header: little-endian, IFD0 still to come.
    static constexpr std::byte empty_header[8] = {std::byte{'I'}, std::byte{'I'}, std::byte{42},
                                                  std::byte{0},   std::byte{8},   std::byte{0},
                                                  std::byte{0},   std::byte{0}};
    if (old.find(tiff_directory::ifd0) == nullptr) {
        // A block that is there but cannot be read may hold a maker note and more: it is neither
        // replaced nor dropped. With items to write, the save is refused.
        if (!old_block.empty()) {
            if (items.size() == 0) {
                out.assign(old_block.begin(), old_block.end());
                return status::ok;
            }
            set_last_error(win32::error_invalid_data);
            return status::win32_error;
        }
        base = {};
        base.order = byte_order::little;
        bytes = empty_header;
        new_block = true;
    }
    tiff_rewrite rewrite;
    if (const status result = plan_tiff_rewrite(base, bytes.size(), items, true, rewrite);
        result != status::ok) {
        return result;
    }
    if (!rewrite.changed) {
        out.assign(old_block.begin(), old_block.end());
        return status::ok;
    }
    // Appended, the rewrite keeps every old offset valid. Past the limit, it is tried compactly:
    // over dead bytes first, which moves nothing else, then laid out anew where that is safe.
    if (size_after(rewrite) > size_limit && !new_block) {
        for (const auto where : {placement::over_dead_bytes, placement::anew}) {
            tiff_rewrite compact;
            if (planner(base, items, true).plan(bytes.size(), compact, where, bytes) ==
                    status::ok &&
                size_after(compact) <= size_limit) {
                rewrite = std::move(compact);
                break;
            }
        }
    }
    if (size_after(rewrite) > size_limit) {
        set_last_error(win32::error_file_too_large);
        return status::value_overflow;
    }
    out.assign(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(rewrite.kept_size));
    std::copy(rewrite.header.begin(), rewrite.header.end(), out.begin());
    for (const auto& [at, patch] : rewrite.patches) {
        std::copy(patch.begin(), patch.end(), out.begin() + static_cast<std::ptrdiff_t>(at));
    }
    out.resize(static_cast<std::size_t>(rewrite.appendix_offset), std::byte{0});
    out.insert(out.end(), rewrite.appendix.begin(), rewrite.appendix.end());
    return status::ok;
}

} // namespace kestrov::imaging
