#include "image/engine/containers/tiff_reader.h"

#include "image/engine/containers/tiff_items.h"

#include <algorithm>
#include <set>

namespace kestrov::imaging {

namespace {

// A single value larger than this is not metadata this program shows or edits.
constexpr std::uint64_t max_value_size = 64ULL << 20;

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
        : block_(block), out_(out), warnings_(warnings) {}

    // Reads the directory at `offset` as `kind` and the directories it links to; says where the
    // link led.
    tiff_link read_directory(std::uint32_t offset, tiff_directory kind);

private:
    void warn(std::string text) { warnings_.push_back(std::move(text)); }
    void read_value(tiff_entry& entry, tiff_directory kind);
    std::uint32_t pointer_value(const tiff_entry& entry) const;
    // Where a link that no directory is read from leads: nowhere (0), into nothing, or to bytes
    // that stay as they are.
    tiff_link link_without_directory(std::uint32_t offset) const;

    byte_source& block_;
    tiff_structure& out_;
    std::vector<std::string>& warnings_;
    std::set<std::uint32_t> visited_;
};

tiff_link structure_reader::link_without_directory(std::uint32_t offset) const {
    if (offset == 0) {
        return tiff_link::none;
    }
    return offset < 8 || offset >= block_.size() ? tiff_link::into_nothing
                                                 : tiff_link::not_followed;
}

std::uint32_t structure_reader::pointer_value(const tiff_entry& entry) const {
    return load_u32(entry.field.data(), out_.order);
}

void structure_reader::read_value(tiff_entry& entry, tiff_directory kind) {
    const std::uint64_t size = std::uint64_t{tiff_type_size(entry.type)} * entry.count;
    if (tiff_type_size(entry.type) == 0) {
        warn("Značka " + hex_tag(entry.tag) + " v " + directory_name(kind) + " má neznámý typ");
        return;
    }
    if (size <= 4) {
        entry.value.assign(entry.field.begin(), entry.field.begin() + static_cast<long>(size));
        entry.value_read = true;
        return;
    }
    const std::uint32_t offset = load_u32(entry.field.data(), out_.order);
    if (size > max_value_size) {
        warn("Hodnota značky " + hex_tag(entry.tag) + " v " + directory_name(kind) +
             " je příliš velká, nebyla načtena");
        return;
    }
    auto bytes = block_.read_bytes(offset, size);
    if (!bytes) {
        entry.value_outside = true;
        warn("Hodnota značky " + hex_tag(entry.tag) + " v " + directory_name(kind) +
             " leží mimo data TIFF");
        return;
    }
    entry.value = std::move(*bytes);
    entry.value_read = true;
}

tiff_link structure_reader::read_directory(std::uint32_t offset, tiff_directory kind) {
    if (const tiff_ifd* existing = out_.find(kind)) {
        return existing->offset == offset ? tiff_link::followed : tiff_link::not_followed;
    }
    // A directory linked into the header's eight bytes is none; a save rewrites those bytes. (IFD0
    // there is rewritten elsewhere by any save, from what was read.)
    if (kind != tiff_directory::ifd0 && offset < 8) {
        warn("Adresář " + std::string(directory_name(kind)) + " leží v hlavičce TIFF");
        return tiff_link::into_nothing;
    }
    if (!visited_.insert(offset).second) {
        warn("Adresář " + std::string(directory_name(kind)) +
             " ukazuje na adresář, který už byl načten");
        return tiff_link::into_nothing;
    }
    std::byte count_bytes[2];
    if (!block_.read(offset, count_bytes)) {
        warn("Adresář " + std::string(directory_name(kind)) + " leží mimo data TIFF");
        return tiff_link::into_nothing;
    }
    const std::uint16_t count = load_u16(count_bytes, out_.order);
    if (count > max_entries_per_ifd) {
        warn("Adresář " + std::string(directory_name(kind)) + " udává nemožný počet položek");
        return tiff_link::not_followed;
    }
    tiff_ifd ifd;
    ifd.kind = kind;
    ifd.offset = offset;
    // Entries cut off by the end of the data are dropped; the ones before them still count.
    auto entries = block_.read_bytes(std::uint64_t{offset} + 2, std::uint64_t{count} * 12 + 4);
    std::uint16_t readable = count;
    if (!entries) {
        const std::uint64_t available =
            block_.size() > std::uint64_t{offset} + 2 ? block_.size() - offset - 2 : 0;
        readable = static_cast<std::uint16_t>(std::min<std::uint64_t>(count, available / 12));
        entries = block_.read_bytes(std::uint64_t{offset} + 2, std::uint64_t{readable} * 12);
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
        const auto field = reader.bytes(4);
        std::copy(field.begin(), field.end(), entry.field.begin());
        read_value(entry, kind);
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

std::vector<std::byte> swap_value_order(std::vector<std::byte> value, std::uint16_t type,
                                        byte_order order) {
    if (order == byte_order::little) {
        return value;
    }
    const std::size_t unit = tiff_byte_order_unit(type);
    if (unit > 1) {
        for (std::size_t i = 0; i + unit <= value.size(); i += unit) {
            std::reverse(value.begin() + static_cast<std::ptrdiff_t>(i),
                         value.begin() + static_cast<std::ptrdiff_t>(i + unit));
        }
    }
    return value;
}

status read_tiff_structure(byte_source& block, bool with_thumbnail_ifd, tiff_structure& out,
                           std::vector<std::string>& warnings) {
    std::byte header[8];
    if (!block.read(0, header)) {
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
    if (load_u16(header + 2, out.order) != 42) {
        return unreadable_structure();
    }
    out.block_size = block.size();
    out.ifd0_offset = load_u32(header + 4, out.order);
    out.ifds.clear();

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
    return status::ok;
}

status read_tiff_block(byte_source& block, decoded_metadata& out, tiff_structure* structure) {
    tiff_structure local;
    tiff_structure& target = structure != nullptr ? *structure : local;
    const status result = read_tiff_structure(block, true, target, out.warnings);
    if (result != status::ok) {
        return result;
    }
    expose_tiff_items(target, block, out.properties, out.warnings);
    return status::ok;
}

status read_tiff(byte_source& source, decoded_metadata& out) {
    auto layout = std::make_unique<tiff_layout>();
    const status result = read_tiff_structure(source, false, layout->structure, out.warnings);
    if (result != status::ok) {
        return result;
    }
    out.format = image_format::tiff;
    expose_tiff_items(layout->structure, source, out.properties, out.warnings);
    out.layout = std::move(layout);
    return status::ok;
}

} // namespace kestrov::imaging
