// The facts of the file formats the engine reads and writes, written down once: signatures, JPEG
// markers, TIFF field types and tag numbers, and the item ids the engine shows them under.
// Readers, writers and tests all take them from here, so a new format or tag is one table entry.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <utility>

namespace kestrov::imaging {

// --- Signatures: the first bytes of each format (and the Exif block's header in JPEG APP1).
using signature = std::span<const std::uint8_t>;

inline constexpr std::uint8_t jpeg_signature_bytes[] = {0xFF, 0xD8, 0xFF}; // SOI, then a marker
inline constexpr std::uint8_t png_signature_bytes[] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
inline constexpr std::uint8_t gif87a_signature_bytes[] = {'G', 'I', 'F', '8', '7', 'a'};
inline constexpr std::uint8_t gif89a_signature_bytes[] = {'G', 'I', 'F', '8', '9', 'a'};
inline constexpr std::uint8_t tiff_intel_signature_bytes[] = {'I', 'I', 42, 0};
inline constexpr std::uint8_t tiff_motorola_signature_bytes[] = {'M', 'M', 0, 42};
inline constexpr std::uint8_t bmp_signature_bytes[] = {'B', 'M'};
inline constexpr std::uint8_t ico_signature_bytes[] = {0, 0, 1, 0};
// A placeable Windows metafile's key; plain metafiles and EMF are told by their header records.
inline constexpr std::uint8_t wmf_placeable_signature_bytes[] = {0xD7, 0xCD, 0xC6, 0x9A};
// " EMF" at offset 40 of an enhanced metafile's header record, read as a little-endian number.
inline constexpr std::uint32_t emf_signature = 0x464D4520;
// Before the TIFF block in a JPEG APP1 segment (Exif 2.3 §4.5.4).
inline constexpr std::uint8_t exif_header_bytes[] = {'E', 'x', 'i', 'f', 0, 0};

inline constexpr signature jpeg_signature{jpeg_signature_bytes};
inline constexpr signature png_signature{png_signature_bytes};
inline constexpr signature gif87a_signature{gif87a_signature_bytes};
inline constexpr signature gif89a_signature{gif89a_signature_bytes};
inline constexpr signature tiff_intel_signature{tiff_intel_signature_bytes};
inline constexpr signature tiff_motorola_signature{tiff_motorola_signature_bytes};
inline constexpr signature bmp_signature{bmp_signature_bytes};
inline constexpr signature ico_signature{ico_signature_bytes};
inline constexpr signature wmf_placeable_signature{wmf_placeable_signature_bytes};
inline constexpr signature exif_header{exif_header_bytes};
// Before the XMP packet in a JPEG APP1 segment, and before the rest of an XMP packet too large for
// one segment (XMP Part 3 §1.1.3); before Photoshop's image resources in APP13.
inline constexpr std::string_view xmp_header{"http://ns.adobe.com/xap/1.0/\0", 29};
inline constexpr std::string_view extended_xmp_header{"http://ns.adobe.com/xmp/extension/\0", 35};
inline constexpr std::string_view photoshop_header{"Photoshop 3.0\0", 14};

// Whether `bytes` begin with `expected`.
inline bool starts_with(std::span<const std::byte> bytes, signature expected) {
    if (bytes.size() < expected.size()) {
        return false;
    }
    for (std::size_t i = 0; i < expected.size(); ++i) {
        if (std::to_integer<std::uint8_t>(bytes[i]) != expected[i]) {
            return false;
        }
    }
    return true;
}

// --- JPEG markers (ITU T.81 Table B.1).
inline constexpr std::uint8_t marker_soi = 0xD8;
inline constexpr std::uint8_t marker_eoi = 0xD9;
inline constexpr std::uint8_t marker_sos = 0xDA;
inline constexpr std::uint8_t marker_app0 = 0xE0;
inline constexpr std::uint8_t marker_app1 = 0xE1;
inline constexpr std::uint8_t marker_app13 = 0xED;

// --- TIFF field types (TIFF 6.0 §2; 13 is the IFD type of the TIFF supplements).
namespace tiff_type {
inline constexpr std::uint16_t byte = 1;
inline constexpr std::uint16_t ascii = 2;
inline constexpr std::uint16_t short_ = 3;
inline constexpr std::uint16_t long_ = 4;
inline constexpr std::uint16_t rational = 5;
inline constexpr std::uint16_t signed_byte = 6;
inline constexpr std::uint16_t undefined = 7;
inline constexpr std::uint16_t signed_short = 8;
inline constexpr std::uint16_t signed_long = 9;
inline constexpr std::uint16_t signed_rational = 10;
inline constexpr std::uint16_t float_ = 11;
inline constexpr std::uint16_t double_ = 12;
inline constexpr std::uint16_t ifd = 13;
} // namespace tiff_type

// Size in bytes of one element of a field type, 0 for a type nobody defined.
constexpr std::uint32_t tiff_type_size(std::uint16_t type) {
    switch (type) {
    case tiff_type::byte:
    case tiff_type::ascii:
    case tiff_type::signed_byte:
    case tiff_type::undefined:
        return 1;
    case tiff_type::short_:
    case tiff_type::signed_short:
        return 2;
    case tiff_type::long_:
    case tiff_type::signed_long:
    case tiff_type::float_:
    case tiff_type::ifd:
        return 4;
    case tiff_type::rational:
    case tiff_type::signed_rational:
    case tiff_type::double_:
        return 8;
    default:
        return 0;
    }
}

// The unit the byte order turns around: rationals are two 32-bit numbers, doubles one 64-bit
// number, everything else its element.
constexpr std::uint32_t tiff_byte_order_unit(std::uint16_t type) {
    return type == tiff_type::rational || type == tiff_type::signed_rational ? 4
                                                                             : tiff_type_size(type);
}

// Whether a pointer to a sub-directory may be stored with this type: writers use LONG, SLONG and
// IFD.
constexpr bool is_pointer_type(std::uint16_t type) {
    return type == tiff_type::long_ || type == tiff_type::signed_long || type == tiff_type::ifd;
}

// --- TIFF structure (TIFF 6.0 §2): an 8-byte header (byte order, 42, IFD0's offset), and
// directories of a 16-bit count, 12-byte entries and a 32-bit link to the next directory. A value
// of up to four bytes stands in its entry's field; a longer one elsewhere, at the field's offset.
inline constexpr std::uint16_t tiff_magic = 42;
inline constexpr std::uint32_t tiff_header_size = 8;
inline constexpr std::uint32_t ifd_count_size = 2;
inline constexpr std::uint32_t ifd_entry_size = 12;
inline constexpr std::uint32_t ifd_next_link_size = 4;
inline constexpr std::uint32_t entry_field_size = 4;

// The bytes a directory of `entries` entries takes, without the values outside them.
constexpr std::uint64_t ifd_table_size(std::uint64_t entries) {
    return ifd_count_size + ifd_entry_size * entries + ifd_next_link_size;
}

// --- TIFF and Exif tag numbers the engine itself acts on.
inline constexpr std::uint16_t tag_exif_ifd = 0x8769;
inline constexpr std::uint16_t tag_gps_ifd = 0x8825;
inline constexpr std::uint16_t tag_interop_ifd = 0xA005;
inline constexpr std::uint16_t tag_maker_note = 0x927C;
inline constexpr std::uint16_t tag_jpeg_interchange_format = 0x0201;
inline constexpr std::uint16_t tag_jpeg_interchange_format_length = 0x0202;
inline constexpr std::uint16_t tag_strip_offsets = 0x0111;
inline constexpr std::uint16_t tag_strip_byte_counts = 0x0117;
inline constexpr std::uint16_t tag_tile_offsets = 0x0144;
inline constexpr std::uint16_t tag_tile_byte_counts = 0x0145;
inline constexpr std::uint16_t tag_sub_ifds = 0x014A;
// Where a TIFF file keeps its XMP packet, its IPTC datasets and Photoshop's image resources.
inline constexpr std::uint16_t tag_xmp = 0x02BC;
inline constexpr std::uint16_t tag_iptc = 0x83BB;
inline constexpr std::uint16_t tag_image_resources = 0x8649;
// Windows' own texts in IFD0, UTF-16LE in BYTE values.
inline constexpr std::uint16_t tag_xp_title = 0x9C9B;
inline constexpr std::uint16_t tag_xp_author = 0x9C9D;
// Tags whose values are offsets of data whose extent they do not state: free space (FreeOffsets),
// the JPEG tables of old-style JPEG TIFFs (JPEGQTables, JPEGDCTables, JPEGACTables) and two
// makers' private directories.
inline constexpr std::uint16_t tags_with_unsized_offsets[] = {0x0120, 0x0207, 0x0208,
                                                              0x0209, 0x8290, 0x7200};

// --- Item ids, as the platform's imaging library gives them.
// The descriptive texts: the title has an id of its own; the others are IFD0's tags.
inline constexpr std::uint32_t id_image_title = 0x0320;
inline constexpr std::uint32_t id_image_description = 0x010E;
inline constexpr std::uint32_t id_artist = 0x013B;
inline constexpr std::uint32_t id_make = 0x010F;
inline constexpr std::uint32_t id_model = 0x0110;
inline constexpr std::uint32_t id_software = 0x0131;
// GPS tags keep their numbers, 0x0000 to this.
inline constexpr std::uint32_t last_gps_item_id = 0x001F;
// The thumbnail's bytes (IFD1's JPEGInterchangeFormat data).
inline constexpr std::uint32_t id_thumbnail_data = 0x501B;

// What GIF files show (their frames, palette and comment).
inline constexpr std::uint32_t frame_delay_id = 0x5100;
inline constexpr std::uint32_t loop_count_id = 0x5101;
inline constexpr std::uint32_t global_palette_id = 0x5102;
inline constexpr std::uint32_t background_index_id = 0x5103;
inline constexpr std::uint32_t transparent_index_id = 0x5104;
inline constexpr std::uint32_t comment_id = 0x9286;

// What PNG's ancillary chunks show: tIME, gAMA, cHRM (two items) and pHYs (three items).
inline constexpr std::uint32_t date_time_id = 0x0132;
inline constexpr std::uint32_t gamma_id = 0x0301;
inline constexpr std::uint32_t white_point_id = 0x013E;
inline constexpr std::uint32_t primary_chromaticities_id = 0x013F;
inline constexpr std::uint32_t pixel_unit_id = 0x5110;
inline constexpr std::uint32_t pixels_per_unit_x_id = 0x5111;
inline constexpr std::uint32_t pixels_per_unit_y_id = 0x5112;

// Thumbnail (IFD1) fields and the ids they are shown under.
inline constexpr std::pair<std::uint16_t, std::uint32_t> thumbnail_field_ids[] = {
    {0x0100, 0x5020}, {0x0101, 0x5021}, {0x0102, 0x5022}, {0x0103, 0x5023}, {0x0106, 0x5024},
    {0x010E, 0x5025}, {0x010F, 0x5026}, {0x0110, 0x5027}, {0x0111, 0x5028}, {0x0112, 0x5029},
    {0x0115, 0x502A}, {0x0116, 0x502B}, {0x0117, 0x502C}, {0x011A, 0x502D}, {0x011B, 0x502E},
    {0x011C, 0x502F}, {0x0128, 0x5030}, {0x012D, 0x5031}, {0x0131, 0x5032}, {0x0132, 0x5033},
    {0x013B, 0x5034}, {0x013E, 0x5035}, {0x013F, 0x5036}, {0x0211, 0x5037}, {0x0212, 0x5038},
    {0x0213, 0x5039}, {0x0214, 0x503A}, {0x8298, 0x503B},
};

// The registered PNG text keywords (PNG §11.3.4.2) the platform shows, with their items.
inline constexpr std::pair<std::string_view, std::uint32_t> png_keyword_ids[] = {
    {"Title", 0x0320},    {"Author", 0x013B}, {"Description", 0x010E}, {"Copyright", 0x8298},
    {"Software", 0x0131}, {"Source", 0x0110}, {"Comment", 0x9286},
};

} // namespace kestrov::imaging
