// Step 2 of a rewrite: pointers and links. Empty sub-directories go with their pointers, new ones
// get one, links that a save's appended bytes would give meaning to are dropped, and a directory
// that moves marks whatever points at it as changed too. No offset is given yet.
#include "image/engine/tiff/rewrite_planner.h"

#include "image/engine/format_facts.h"
#include "image/engine/tiff/tiff_items.h"

#include <algorithm>
#include <tuple>

namespace kestrov::imaging::rewrite {

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
            pointer.type = tiff_type::long_;
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

} // namespace kestrov::imaging::rewrite
