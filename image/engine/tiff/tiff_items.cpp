// Which TIFF entries become items, under which ids, and how their values turn little-endian.
#include "image/engine/tiff/tiff_items.h"
#include "image/engine/tiff/tiff_reader.h"

#include <algorithm>
#include <utility>

namespace kestrov::imaging {

std::optional<std::uint16_t> thumbnail_tag_for_item(std::uint32_t id) {
    const auto* found = std::find_if(std::begin(thumbnail_field_ids), std::end(thumbnail_field_ids),
                                     [id](const auto& pair) { return pair.second == id; });
    if (found == std::end(thumbnail_field_ids)) {
        return std::nullopt;
    }
    return found->first;
}

tiff_directory directory_for_new_item(std::uint32_t id) {
    if (id <= last_gps_item_id) {
        return tiff_directory::gps;
    }
    if (thumbnail_tag_for_item(id) || id == id_thumbnail_data) {
        return tiff_directory::ifd1;
    }
    // The Exif IFD's tag ranges (Exif 2.3 §4.6.5): exposure and camera settings, dates, the
    // maker note and user comment, and the Exif 2.x additions from 0xA000 on.
    const bool exif = id == 0x829A || id == 0x829D || (id >= 0x8822 && id <= 0x8835) ||
                      (id >= 0x9000 && id <= 0x92FF) || (id >= 0x9400 && id <= 0x94FF) ||
                      (id >= 0xA000 && id <= 0xA5FF);
    return exif ? tiff_directory::exif : tiff_directory::ifd0;
}

bool tiff_can_hold_item(std::uint32_t id, bool with_thumbnail_ifd) {
    if (id == tag_exif_ifd || id == tag_gps_ifd || id == tag_interop_ifd ||
        id == id_thumbnail_data) {
        return false;
    }
    if (thumbnail_tag_for_item(id)) {
        return with_thumbnail_ifd;
    }
    return id <= 0xFFFF;
}

std::optional<std::uint32_t> exposed_item_id(tiff_directory kind, std::uint16_t tag) {
    switch (kind) {
    case tiff_directory::ifd0:
        if (tag == tag_exif_ifd || tag == tag_gps_ifd) {
            return std::nullopt;
        }
        return tag;
    case tiff_directory::exif:
        if (tag == tag_interop_ifd) {
            return std::nullopt;
        }
        return tag;
    case tiff_directory::gps:
        // Only these ids are free for GPS tags in the flat id space.
        if (tag > last_gps_item_id) {
            return std::nullopt;
        }
        return tag;
    case tiff_directory::ifd1: {
        const auto* found =
            std::find_if(std::begin(thumbnail_field_ids), std::end(thumbnail_field_ids),
                         [tag](const auto& pair) { return pair.first == tag; });
        if (found == std::end(thumbnail_field_ids)) {
            return std::nullopt;
        }
        return found->second;
    }
    case tiff_directory::interop:
        return std::nullopt;
    }
    return std::nullopt;
}

namespace {

std::optional<std::uint32_t> first_long(const tiff_ifd& ifd, std::uint16_t tag, byte_order order) {
    for (const auto& entry : ifd.entries) {
        if (entry.tag != tag || !entry.value_read || entry.count < 1) {
            continue;
        }
        byte_reader value(entry.value, order);
        if (entry.type == tiff_type::long_ || entry.type == tiff_type::ifd) {
            return value.u32_at(0);
        }
        if (entry.type == tiff_type::short_) {
            return value.u16_at(0);
        }
    }
    return std::nullopt;
}

} // namespace

std::optional<std::pair<std::uint32_t, std::uint32_t>>
thumbnail_location(const tiff_ifd& ifd1, byte_order order, std::uint64_t block_size) {
    const auto offset = first_long(ifd1, tag_jpeg_interchange_format, order);
    const auto length = first_long(ifd1, tag_jpeg_interchange_format_length, order);
    // Data that begins in the TIFF header is not a thumbnail (and a save rewrites those bytes).
    if (!offset || !length || *offset < 8 || *offset > block_size ||
        *length > block_size - *offset) {
        return std::nullopt;
    }
    return std::pair{*offset, *length};
}

bool thumbnail_link_into_nothing(const tiff_ifd& ifd1, byte_order order, std::uint64_t block_size) {
    const auto offset = first_long(ifd1, tag_jpeg_interchange_format, order);
    if (!offset) {
        return false;
    }
    if (*offset < 8 || *offset > block_size) {
        return true;
    }
    // Without a length the link reaches whatever follows; a zero length reaches nothing, not even
    // at the very end of the block, where a save appends its bytes.
    const auto length = first_long(ifd1, tag_jpeg_interchange_format_length, order);
    if (!length) {
        return *offset == block_size;
    }
    return *length > block_size - *offset;
}

namespace {

// The thumbnail's JPEG bytes, which JPEGInterchangeFormat points at (Exif 2.3 §4.6.6).
void expose_thumbnail(const tiff_ifd& ifd1, byte_order order, byte_source& block,
                      property_list& out, std::vector<std::string>& warnings) {
    const auto offset = first_long(ifd1, tag_jpeg_interchange_format, order);
    const auto length = first_long(ifd1, tag_jpeg_interchange_format_length, order);
    if (!offset || !length) {
        return;
    }
    const auto location = thumbnail_location(ifd1, order, block.size());
    if (!location) {
        warnings.emplace_back(*offset < tiff_header_size ? "Náhled v IFD1 zasahuje do hlavičky TIFF"
                                                         : "Náhled v IFD1 leží mimo data TIFF");
        return;
    }
    auto bytes = byte_reader(block).copy_at(location->first, location->second);
    if (!bytes) {
        warnings.emplace_back("Náhled v IFD1 leží mimo data TIFF");
        return;
    }
    out.add_if_new(property{id_thumbnail_data, 1, std::move(*bytes)});
}

} // namespace

void expose_tiff_items(const tiff_structure& structure, byte_source& block, property_list& out,
                       std::vector<std::string>& warnings) {
    for (const auto kind :
         {tiff_directory::ifd0, tiff_directory::exif, tiff_directory::gps, tiff_directory::ifd1}) {
        const tiff_ifd* ifd = structure.find(kind);
        if (ifd == nullptr) {
            continue;
        }
        for (const auto& entry : ifd->entries) {
            const auto id = exposed_item_id(kind, entry.tag);
            if (!id || !entry.value_read) {
                continue;
            }
            // A tag number that occurs again (in the same or another directory) keeps its first
            // value; the later one stays in the file untouched.
            out.add_if_new(property{*id, entry.type,
                                    swap_value_order(entry.value, entry.type, structure.order)});
        }
        // A thumbnail the budget left unread is no item; its bytes stay where they are.
        if (kind == tiff_directory::ifd1 && !structure.thumbnail_skipped) {
            expose_thumbnail(*ifd, structure.order, block, out, warnings);
        }
    }
}

} // namespace kestrov::imaging
