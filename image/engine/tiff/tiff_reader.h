// The TIFF structure: a header and directories of 12-byte entries (TIFF 6.0 §2), as found in TIFF
// files and, as the Exif block, in JPEG APP1 segments and PNG eXIf chunks (Exif 2.3 §4.5).
#pragma once

#include "image/engine/container.h"
#include "image/engine/format_facts.h"
#include "image/engine/io/byte_reader.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace kestrov::imaging {

enum class tiff_directory : std::uint8_t { ifd0, exif, gps, interop, ifd1 };

// Real directories hold a few hundred entries at most; a larger count is a damaged one, and no
// save writes one.
inline constexpr std::uint16_t max_entries_per_ifd = 1000;

// What a link to a directory (a pointer entry, or IFD0's link to the thumbnail's IFD1) led to.
enum class tiff_link : std::uint8_t {
    none,     // no link: not a pointer entry, or a zero next-directory link
    followed, // to the directory read under that kind
    // Into nothing: past the end of the data, into the header's eight bytes, or to a directory
    // already read under another link. It holds nothing of its own.
    into_nothing,
    // To bytes the reader did not take in as a directory (an impossible entry count, a field type
    // no reader follows, a second pointer of a kind already read). A save keeps such a link and
    // the bytes it leads to as they are.
    not_followed,
};

struct tiff_entry {
    std::uint16_t tag = 0;
    std::uint16_t type = 0;
    std::uint32_t count = 0;
    // The entry's last four bytes as stored: the value itself when it fits, else its offset.
    std::array<std::byte, entry_field_size> field{};
    // The value in the file's byte order; empty when it could not be read, or would have taken
    // more than the image's budget (a warning says why). A save keeps such an entry as it is.
    shared_bytes value;
    bool value_read = false;
    // The value's offset and size reach past the end of the data: the entry points at nothing.
    bool value_outside = false;
    // For the Exif, GPS and Interoperability pointers: where the link led.
    tiff_link link = tiff_link::none;

    // The field read as an offset: where a value that does not fit in it lies, or a pointer leads.
    std::uint32_t field_offset(byte_order order) const { return load_u32(field.data(), order); }
};

struct tiff_ifd {
    tiff_directory kind = tiff_directory::ifd0;
    std::uint32_t offset = 0;
    std::vector<tiff_entry> entries;
    std::uint32_t next_offset = 0;
    // Where `next_offset` led: IFD0's link to the thumbnail's directory in an Exif block; in a TIFF
    // file the next page, which is never read (not_followed); for the other directories, which
    // link nowhere, not_followed or into_nothing.
    tiff_link next_link = tiff_link::none;
    // The entries or the next-directory link ran past the end of the data; `entries` holds the
    // whole ones.
    bool cut_short = false;
};

struct tiff_structure {
    byte_order order = byte_order::little;
    std::uint64_t block_size = 0;
    std::uint32_t ifd0_offset = 0;
    // The directories read, IFD0 first; each kind at most once.
    std::vector<tiff_ifd> ifds;
    // IFD1's thumbnail is sound but was not read: it would have passed the budget. It stays in the
    // block as it is.
    bool thumbnail_skipped = false;
    // Some values (or the thumbnail) were left unread for the budget. Which ones depends on the
    // sizes of all the others, so a file saved with changes would not read back with the items it
    // was saved with: a writer refuses to change such a structure.
    bool values_skipped = false;

    const tiff_ifd* find(tiff_directory kind) const;
};

// The layout of a TIFF file: its structure; image data and further pages stay where they are.
class tiff_layout final : public container_layout {
public:
    tiff_structure structure;
};

// The directory a pointer entry of a `kind` directory links to: IFD0's Exif and GPS pointers, the
// Exif directory's Interoperability pointer.
std::optional<tiff_directory> pointer_kind(tiff_directory kind, std::uint16_t tag);

// A value of `type` with every unit's bytes turned around when `order` is big-endian: from the
// file's order to little-endian and back (TIFF 6.0 §2: byte order applies to each 16- or 32-bit
// unit; rationals are two 32-bit units, doubles one 64-bit unit).
// A value that needs no turning is handed back sharing its bytes.
shared_bytes swap_value_order(shared_bytes value, std::uint16_t type, byte_order order);

// Reads the header and the directories of a TIFF block: IFD0 with its Exif, GPS and
// Interoperability directories and, when `with_thumbnail_ifd` is set (an Exif block), IFD1.
// The values outside their entries (and the thumbnail) are read while `budget` allows, and no
// more than max_overlap_factor times the distinct bytes they cover; the rest stay unread, with a
// warning. ok with warnings for damaged directories; unreadable_structure() when the header is not
// there.
status read_tiff_structure(byte_source& block, bool with_thumbnail_ifd, tiff_structure& out,
                           std::vector<std::string>& warnings, value_budget& budget);

// Adds the exposed items of a structure: IFD0 and Exif tags by number, GPS tags 0x0000-0x001F,
// thumbnail fields at 0x5000 and up; pointer tags and the Interoperability directory stay hidden.
// Items share their bytes with the entries wherever the byte order allows.
void expose_tiff_items(const tiff_structure& structure, byte_source& block, property_list& out,
                       std::vector<std::string>& warnings);

// An Exif block: reads its structure (into `structure` when given) and adds its items and warnings
// to `out`.
status read_tiff_block(byte_source& block, decoded_metadata& out,
                       tiff_structure* structure = nullptr);

} // namespace kestrov::imaging
