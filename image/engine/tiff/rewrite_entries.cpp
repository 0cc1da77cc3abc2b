// Step 1 of a rewrite: the entries of the new directories. An entry whose item is unchanged is
// kept with its old field, so a value that must not move (a maker note, one that could not be
// read) keeps its offset; a changed item's entry gets its new value; a removed item's entry goes,
// with every other entry of its id; a new item gets an entry in the directory its id belongs to.
// A directory that loses, gains or changes an entry is marked changed: it is written anew.
#include "image/engine/tiff/rewrite_planner.h"

#include "image/engine/format_facts.h"
#include "image/engine/io/byte_reader.h"
#include "image/engine/tiff/tiff_items.h"

#include <algorithm>

namespace kestrov::imaging::rewrite {

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
    if (size > 4 && entry.value_read && entry.field_offset(old_.order) < tiff_header_size) {
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

} // namespace kestrov::imaging::rewrite
