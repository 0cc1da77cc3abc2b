// Step 5 of a rewrite: every changed directory gets its offset (after the kept bytes, or back over
// dead bytes where it fits) and its bytes; unchanged directories keep theirs. TIFF 6.0 §2:
// directories and values begin on a word boundary.
#include "image/engine/tiff/rewrite_planner.h"

#include "base/hresult.h"
#include "base/last_error.h"
#include "image/engine/format_facts.h"
#include "image/engine/io/byte_reader.h"

#include <algorithm>
#include <limits>

namespace kestrov::imaging::rewrite {

namespace {

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
    std::uint64_t size = ifd_table_size(std::uint64_t{directory.entries.size()});
    for (const auto& entry : directory.entries) {
        if (entry.value && entry.value->size() > entry_field_size) {
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
        if (entry->value && entry->value->size() > entry_field_size) {
            return entry->value->size() % 2;
        }
        if (!entry->value && entry->data) {
            return entry->data->size() % 2;
        }
    }
    return 0;
}

} // namespace

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
        } else if (entry.value && entry.value->size() > entry_field_size) {
            add_value(*entry.value);
        } else if (entry.value) {
            std::array<std::byte, entry_field_size> field{};
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
            directory.offset + ifd_table_size(std::uint64_t{directory.entries.size()});
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
    store_u16(out.header.data() + 2, tiff_magic, old_.order);
    store_u32(out.header.data() + 4, directories_[tiff_directory::ifd0].offset, old_.order);
    return status::ok;
}

} // namespace kestrov::imaging::rewrite
