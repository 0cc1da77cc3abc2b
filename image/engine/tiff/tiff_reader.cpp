#include "image/engine/tiff/tiff_reader.h"

#include "image/engine/tiff/tiff_items.h"

#include <algorithm>
#include <map>
#include <set>
#include <utility>

namespace kestrov::imaging {

namespace {

// A single value larger than this is not metadata this program shows or edits.
constexpr std::uint64_t max_value_size = 64ULL << 20;

using byte_range = std::pair<std::uint64_t, std::uint64_t>; // from, to (past the end)

std::string hex_tag(std::uint16_t tag) {
    static constexpr char digits[] = "0123456789ABCDEF";
    std::string text = "0x";
    for (int shift = 12; shift >= 0; shift -= 4) {
        text.push_back(digits[(tag >> shift) & 0xF]);
    }
    return text;
}

const char* directory_name(tiff_directory kind) {
    switch (kind) {
    case tiff_directory::ifd0:
        return "IFD0";
    case tiff_directory::exif:
        return "Exif IFD";
    case tiff_directory::gps:
        return "GPS IFD";
    case tiff_directory::interop:
        return "Interoperability IFD";
    case tiff_directory::ifd1:
        return "IFD1";
    }
    return "IFD";
}

class structure_reader {
public:
    structure_reader(byte_source& block, tiff_structure& out, std::vector<std::string>& warnings)
        : block_(block, out.order), out_(out), warnings_(warnings) {}

    // Reads the directory at `offset` as `kind` and the directories it links to; says where the
    // link led.
    tiff_link read_directory(std::uint32_t offset, tiff_directory kind);

    // Reads the values that do not fit in their entries, and sizes up the thumbnail, within what
    // the budget and the bytes they cover allow.
    void read_values(bool with_thumbnail_ifd, value_budget& budget);

private:
    void warn(std::string text) { warnings_.push_back(std::move(text)); }
    void read_inline_value(tiff_entry& entry, tiff_directory kind);
    // Where an entry's value lies outside the entry, when it is there to read; warns otherwise.
    std::optional<byte_range> value_range(tiff_entry& entry, tiff_directory kind);
    void entry_outside(tiff_entry& entry, tiff_directory kind);
    void warn_skipped(tiff_directory kind, std::size_t count, std::uint16_t first_tag);
    std::uint32_t pointer_value(const tiff_entry& entry) const;
    // Where a link that no directory is read from leads: nowhere (0), into nothing, or to bytes
    // that stay as they are.
    tiff_link link_without_directory(std::uint32_t offset) const;

    byte_reader block_;
    tiff_structure& out_;
    std::vector<std::string>& warnings_;
    std::set<std::uint32_t> visited_;
};

tiff_link structure_reader::link_without_directory(std::uint32_t offset) const {
    if (offset == 0) {
        return tiff_link::none;
    }
    return offset < tiff_header_size || offset >= block_.size() ? tiff_link::into_nothing
                                                                : tiff_link::not_followed;
}

std::uint32_t structure_reader::pointer_value(const tiff_entry& entry) const {
    return entry.field_offset(out_.order);
}

void structure_reader::read_inline_value(tiff_entry& entry, tiff_directory kind) {
    if (tiff_type_size(entry.type) == 0) {
        warn("Značka " + hex_tag(entry.tag) + " v " + directory_name(kind) + " má neznámý typ");
        return;
    }
    const std::uint64_t size = std::uint64_t{tiff_type_size(entry.type)} * entry.count;
    if (size <= entry_field_size) {
        std::vector<std::byte> value(static_cast<std::size_t>(size));
        std::copy_n(entry.field.begin(), value.size(), value.begin());
        entry.value = std::move(value);
        entry.value_read = true;
    }
}

std::optional<byte_range> structure_reader::value_range(tiff_entry& entry, tiff_directory kind) {
    const std::uint64_t size = std::uint64_t{tiff_type_size(entry.type)} * entry.count;
    if (entry.value_read || size <= entry_field_size) {
        return std::nullopt;
    }
    if (size > max_value_size) {
        warn("Hodnota značky " + hex_tag(entry.tag) + " v " + directory_name(kind) +
             " je příliš velká, nebyla načtena");
        return std::nullopt;
    }
    const std::uint64_t offset = entry.field_offset(out_.order);
    if (!range_fits(block_.size(), offset, size)) {
        entry_outside(entry, kind);
        return std::nullopt;
    }
    return byte_range{offset, offset + size};
}

void structure_reader::entry_outside(tiff_entry& entry, tiff_directory kind) {
    entry.value_outside = true;
    warn("Hodnota značky " + hex_tag(entry.tag) + " v " + directory_name(kind) +
         " leží mimo data TIFF");
}

tiff_link structure_reader::read_directory(std::uint32_t offset, tiff_directory kind) {
    if (const tiff_ifd* existing = out_.find(kind)) {
        return existing->offset == offset ? tiff_link::followed : tiff_link::not_followed;
    }
    // A directory linked into the header's eight bytes is none; a save rewrites those bytes. (IFD0
    // there is rewritten elsewhere by any save, from what was read.)
    if (kind != tiff_directory::ifd0 && offset < tiff_header_size) {
        warn("Adresář " + std::string(directory_name(kind)) + " leží v hlavičce TIFF");
        return tiff_link::into_nothing;
    }
    if (!visited_.insert(offset).second) {
        warn("Adresář " + std::string(directory_name(kind)) +
             " ukazuje na adresář, který už byl načten");
        return tiff_link::into_nothing;
    }
    const auto count_field = block_.u16_at(offset);
    if (!count_field) {
        warn("Adresář " + std::string(directory_name(kind)) + " leží mimo data TIFF");
        return tiff_link::into_nothing;
    }
    const std::uint16_t count = *count_field;
    if (count > max_entries_per_ifd) {
        warn("Adresář " + std::string(directory_name(kind)) + " udává nemožný počet položek");
        return tiff_link::not_followed;
    }
    tiff_ifd ifd;
    ifd.kind = kind;
    ifd.offset = offset;
    // Entries cut off by the end of the data are dropped; the ones before them still count.
    const std::uint64_t entries_at = std::uint64_t{offset} + ifd_count_size;
    auto entries = block_.copy_at(entries_at, ifd_table_size(count) - ifd_count_size);
    std::uint16_t readable = count;
    if (!entries) {
        const std::uint64_t available = block_.size() > entries_at ? block_.size() - entries_at : 0;
        readable =
            static_cast<std::uint16_t>(std::min<std::uint64_t>(count, available / ifd_entry_size));
        entries = block_.copy_at(entries_at, std::uint64_t{readable} * ifd_entry_size);
        warn("Adresář " + std::string(directory_name(kind)) + " je zkrácený");
        ifd.cut_short = true;
        if (!entries) {
            return tiff_link::into_nothing;
        }
    }
    byte_reader reader(*entries, out_.order);
    for (std::uint16_t i = 0; i < readable; ++i) {
        tiff_entry entry;
        entry.tag = reader.u16();
        entry.type = reader.u16();
        entry.count = reader.u32();
        const auto field = reader.bytes(entry_field_size);
        std::copy(field.begin(), field.end(), entry.field.begin());
        read_inline_value(entry, kind);
        ifd.entries.push_back(std::move(entry));
    }
    ifd.next_offset = readable == count ? reader.u32() : 0;
    // Only IFD0's next link leads anywhere the reader goes (the thumbnail's IFD1, in an Exif
    // block); the others are kept as they are unless they lead into nothing.
    ifd.next_link = link_without_directory(ifd.next_offset);
    const std::size_t index = out_.ifds.size();
    out_.ifds.push_back(std::move(ifd));

    // Follow the pointers after the directory is stored, so a loop back to it is caught above.
    // Writers store them as LONG, SLONG or IFD; a pointer of another type is kept, not followed.
    std::vector<std::pair<std::size_t, tiff_directory>> children;
    for (std::size_t i = 0; i < out_.ifds[index].entries.size(); ++i) {
        if (const auto child = pointer_kind(kind, out_.ifds[index].entries[i].tag)) {
            children.emplace_back(i, *child);
        }
    }
    for (const auto& [entry_index, child_kind] : children) {
        const tiff_entry& entry = out_.ifds[index].entries[entry_index];
        const bool followable = is_pointer_type(entry.type) && entry.count >= 1;
        const tiff_link link = followable ? read_directory(pointer_value(entry), child_kind)
                                          : link_without_directory(pointer_value(entry));
        out_.ifds[index].entries[entry_index].link = link;
    }
    return tiff_link::followed;
}

// The distinct bytes that a set of ranges covers.
std::uint64_t covered_bytes(std::vector<byte_range> ranges) {
    std::sort(ranges.begin(), ranges.end());
    std::uint64_t covered = 0;
    std::uint64_t reached = 0;
    for (const auto& [from, to] : ranges) {
        const std::uint64_t start = std::max(from, reached);
        if (to > start) {
            covered += to - start;
            reached = to;
        }
    }
    return covered;
}

void structure_reader::warn_skipped(tiff_directory kind, std::size_t count,
                                    std::uint16_t first_tag) {
    const std::string reason = ": zabraly by víc paměti, než kolik metadat soubor má";
    if (count == 1) {
        warn("Hodnota značky " + hex_tag(first_tag) + " v " + directory_name(kind) +
             " nebyla načtena" + reason);
    } else {
        warn("Hodnoty " + std::to_string(count) + " značek v " + directory_name(kind) + " (první " +
             hex_tag(first_tag) + ") nebyly načteny" + reason);
    }
}

void structure_reader::read_values(bool with_thumbnail_ifd, value_budget& budget) {
    struct pending {
        tiff_ifd* ifd;
        tiff_entry* entry;
        byte_range range;
    };
    std::vector<pending> values;
    std::vector<byte_range> ranges;
    for (tiff_ifd& ifd : out_.ifds) {
        for (tiff_entry& entry : ifd.entries) {
            if (tiff_type_size(entry.type) == 0) {
                continue;
            }
            if (const auto range = value_range(entry, ifd.kind)) {
                values.push_back({&ifd, &entry, *range});
                ranges.push_back(*range);
            }
        }
    }
    const tiff_ifd* ifd1 = with_thumbnail_ifd ? out_.find(tiff_directory::ifd1) : nullptr;
    const auto thumbnail_now = [&] {
        return ifd1 != nullptr ? thumbnail_location(*ifd1, out_.order, block_.size())
                               : std::nullopt;
    };
    // Its link is known now when its fields fit in their entries, as they always do in real files.
    if (const auto thumbnail = thumbnail_now()) {
        ranges.emplace_back(thumbnail->first, std::uint64_t{thumbnail->first} + thumbnail->second);
    }
    // Values beyond the covered bytes' worth are skipped in the order they come, so a real
    // directory read first keeps its values whatever a later crafted one piles up.
    const std::uint64_t covered = covered_bytes(std::move(ranges));
    value_budget block_budget(std::min(budget.left(), covered * max_overlap_factor));
    const auto take = [&](std::uint64_t bytes) {
        return block_budget.take(bytes) && budget.take(bytes);
    };
    std::map<tiff_directory, std::pair<std::size_t, std::uint16_t>> skipped; // count, first tag
    for (const auto& [ifd, entry, range] : values) {
        const std::uint64_t size = range.second - range.first;
        // A big-endian value of 16-bit or wider units is held twice: as read, and turned
        // little-endian for its item. The turned copy counts against the image's budget only:
        // the block's allowance is for the bytes the values cover, shared as real files share
        // them.
        const bool turned = out_.order == byte_order::big && tiff_byte_order_unit(entry->type) > 1;
        const std::uint64_t held = turned ? 2 * size : size;
        if (size > block_budget.left() || held > budget.left()) {
            auto& [count, first_tag] = skipped[ifd->kind];
            if (count++ == 0) {
                first_tag = entry->tag;
            }
            continue;
        }
        block_budget.take(size);
        budget.take(held);
        auto bytes = block_.copy_at(range.first, size);
        if (!bytes) {
            entry_outside(*entry, ifd->kind);
            continue;
        }
        entry->value = std::move(*bytes);
        entry->value_read = true;
    }
    for (const auto& [kind, what] : skipped) {
        warn_skipped(kind, what.first, what.second);
        out_.values_skipped = true;
    }
    if (const auto thumbnail = thumbnail_now(); thumbnail && !take(thumbnail->second)) {
        out_.thumbnail_skipped = true;
        out_.values_skipped = true;
        warn("Náhled v IFD1 nebyl načten: zabral by víc paměti, než kolik metadat soubor má");
    }
}

} // namespace

std::optional<tiff_directory> pointer_kind(tiff_directory kind, std::uint16_t tag) {
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

const tiff_ifd* tiff_structure::find(tiff_directory kind) const {
    const auto found = std::find_if(ifds.begin(), ifds.end(),
                                    [kind](const tiff_ifd& ifd) { return ifd.kind == kind; });
    return found == ifds.end() ? nullptr : &*found;
}

shared_bytes swap_value_order(shared_bytes value, std::uint16_t type, byte_order order) {
    const std::size_t unit = tiff_byte_order_unit(type);
    if (order == byte_order::little || unit <= 1) {
        return value;
    }
    std::vector<std::byte> turned(value.begin(), value.end());
    for (std::size_t i = 0; i + unit <= turned.size(); i += unit) {
        std::reverse(turned.begin() + static_cast<std::ptrdiff_t>(i),
                     turned.begin() + static_cast<std::ptrdiff_t>(i + unit));
    }
    return turned;
}

status read_tiff_structure(byte_source& block, bool with_thumbnail_ifd, tiff_structure& out,
                           std::vector<std::string>& warnings, value_budget& budget) {
    byte_reader header_reader(block);
    const auto header = header_reader.bytes_at(0, tiff_header_size);
    if (header.empty()) {
        return unreadable_structure();
    }
    const auto b0 = std::to_integer<char>(header[0]);
    const auto b1 = std::to_integer<char>(header[1]);
    if (b0 == 'I' && b1 == 'I') {
        out.order = byte_order::little;
    } else if (b0 == 'M' && b1 == 'M') {
        out.order = byte_order::big;
    } else {
        return unreadable_structure();
    }
    header_reader.set_order(out.order);
    if (header_reader.u16_at(2) != tiff_magic) {
        return unreadable_structure();
    }
    out.block_size = block.size();
    out.ifd0_offset = *header_reader.u32_at(4);
    out.ifds.clear();
    out.thumbnail_skipped = false;
    out.values_skipped = false;

    structure_reader reader(block, out, warnings);
    reader.read_directory(out.ifd0_offset, tiff_directory::ifd0);
    if (out.find(tiff_directory::ifd0) == nullptr) {
        return unreadable_structure();
    }
    // IFD0 is the first directory read; in a TIFF file its next link is the next page.
    const std::uint32_t next = out.ifds.front().next_offset;
    if (with_thumbnail_ifd && next != 0) {
        const tiff_link next_link = reader.read_directory(next, tiff_directory::ifd1);
        out.ifds.front().next_link = next_link;
    }
    reader.read_values(with_thumbnail_ifd, budget);
    return status::ok;
}

status read_tiff_block(byte_source& block, decoded_metadata& out, tiff_structure* structure) {
    tiff_structure local;
    tiff_structure& target = structure != nullptr ? *structure : local;
    const status result = read_tiff_structure(block, true, target, out.warnings, out.budget);
    if (result != status::ok) {
        return result;
    }
    out.tiff_order = target.order;
    expose_tiff_items(target, block, out.properties, out.warnings);
    return status::ok;
}

} // namespace kestrov::imaging
