#include "image/engine/descriptive/descriptive_texts.h"

#include "base/hresult.h"
#include "base/last_error.h"
#include "base/text_conversion.h"
#include "image/engine/descriptive/text_sources.h"
#include "image/engine/format_facts.h"
#include "image/engine/item_values.h"

#include <algorithm>

namespace kestrov::imaging {

namespace {

// One descriptive text and its other places. Reading takes them in the order written here: XP
// tag, XMP, IPTC (Windows' order for title and author, then the order the Metadata Working
// Group's guidelines give for the rest).
struct text_row {
    std::uint32_t item;
    // Windows' XP tag, 0 for none; with `xp_where_absent`, added where the file has none.
    std::uint16_t xp_tag;
    bool xp_where_absent;
    std::array<std::optional<xmp::property>, 2> xmp;
    bool xmp_where_absent;
    std::optional<iptc::text_field> iptc;
};

constexpr std::array<text_row, 6> text_rows{{
    {id_image_title,
     tag_xp_title,
     true,
     {xmp::property::dc_title, std::nullopt},
     true,
     iptc::text_field::object_name},
    {id_image_description,
     0,
     false,
     {xmp::property::dc_description, std::nullopt},
     true,
     iptc::text_field::caption},
    {id_artist,
     tag_xp_author,
     false,
     {xmp::property::dc_creator, std::nullopt},
     true,
     iptc::text_field::by_line},
    {id_make, 0, false, {xmp::property::tiff_make, std::nullopt}, false, std::nullopt},
    {id_model, 0, false, {xmp::property::tiff_model, std::nullopt}, false, std::nullopt},
    {id_software,
     0,
     false,
     {xmp::property::tiff_software, xmp::property::xmp_creator_tool},
     false,
     std::nullopt},
}};

// An item's text: its bytes up to the first zero, when they are UTF-8.
std::optional<std::string> text_of(const property& item) {
    const auto end = std::find(item.value.begin(), item.value.end(), std::byte{0});
    std::string text(reinterpret_cast<const char*>(item.value.data()),
                     static_cast<std::size_t>(end - item.value.begin()));
    return is_valid_utf8(text) ? std::optional(std::move(text)) : std::nullopt;
}

// An XP tag's text: UTF-16LE up to the first zero unit; nothing for a broken surrogate pair.
std::optional<std::string> from_utf16le(std::span<const std::byte> bytes) {
    std::string out;
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
        char32_t unit =
            std::to_integer<char32_t>(bytes[i]) | (std::to_integer<char32_t>(bytes[i + 1]) << 8);
        if (unit == 0) {
            break;
        }
        if (unit >= 0xDC00 && unit <= 0xDFFF) {
            return std::nullopt;
        }
        if (unit >= 0xD800 && unit <= 0xDBFF) {
            if (i + 3 >= bytes.size()) {
                return std::nullopt;
            }
            const char32_t low = std::to_integer<char32_t>(bytes[i + 2]) |
                                 (std::to_integer<char32_t>(bytes[i + 3]) << 8);
            if (low < 0xDC00 || low > 0xDFFF) {
                return std::nullopt;
            }
            unit = 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00);
            i += 2;
        }
        append_utf8(out, unit);
    }
    return out;
}

// UTF-8 text as an XP tag holds it: UTF-16LE ending in a zero unit.
std::vector<std::byte> to_utf16le(std::string_view utf8) {
    std::vector<std::byte> out;
    const auto unit = [&out](char32_t u) {
        out.push_back(static_cast<std::byte>(u & 0xFF));
        out.push_back(static_cast<std::byte>((u >> 8) & 0xFF));
    };
    std::size_t at = 0;
    while (at < utf8.size()) {
        const auto code_point = decode_utf8(utf8, at);
        if (!code_point) {
            break;
        }
        if (*code_point >= 0x10000) {
            unit(0xD800 + ((*code_point - 0x10000) >> 10));
            unit(0xDC00 + ((*code_point - 0x10000) & 0x3FF));
        } else {
            unit(*code_point);
        }
    }
    unit(0);
    return out;
}

bool holds_xp_tags(text_places places) {
    return places == text_places::segments || places == text_places::tiff_tags;
}

} // namespace

void read_descriptive_texts(decoded_metadata& metadata, text_places places) {
    if (places == text_places::none) {
        return;
    }
    const text_sources sources(metadata, places);
    for (const text_row& row : text_rows) {
        if (metadata.properties.find(row.item) != nullptr) {
            continue;
        }
        std::optional<std::string> text;
        if (const property* xp = metadata.properties.find(row.xp_tag);
            row.xp_tag != 0 && xp != nullptr && holds_xp_tags(places)) {
            text = from_utf16le(std::span(xp->value.data(), xp->value.size()));
        }
        for (const auto& which : row.xmp) {
            if (!text && which) {
                text = sources.xmp_text(*which);
            }
        }
        if (!text && row.iptc) {
            text = sources.iptc_text(*row.iptc);
        }
        if (text) {
            metadata.properties.add_if_new(ascii_item(row.item, *text));
            metadata.synthesized.push_back(row.item);
        }
    }
    sources.add_reading_warnings(metadata.warnings);
}

status agree_descriptive_texts(const decoded_metadata& metadata, text_places places,
                               property_list& items, property_list& as_read,
                               side_block_changes& changes) {
    items = metadata.properties;
    as_read = metadata.as_read;
    changes = {};
    for (const std::uint32_t id : metadata.synthesized) {
        as_read.remove(id);
        const property* now = items.find(id);
        const property* before = metadata.as_read.find(id);
        if (now != nullptr && before != nullptr && *now == *before) {
            items.remove(id);
        }
    }
    if (places == text_places::none) {
        return status::ok;
    }
    std::vector<xmp::edit> xmp_edits;
    std::vector<iptc::iim_edit> iptc_edits;
    for (const text_row& row : text_rows) {
        const property* now = metadata.properties.find(row.item);
        const property* before = metadata.as_read.find(row.item);
        if ((now == nullptr && before == nullptr) ||
            (now != nullptr && before != nullptr && *now == *before)) {
            continue;
        }
        std::optional<std::string> text;
        if (now != nullptr) {
            text = text_of(*now);
            if (!text) {
                continue; // not UTF-8: nothing to agree with
            }
        }
        if (row.xp_tag != 0 && holds_xp_tags(places)) {
            if (!text) {
                items.remove(row.xp_tag);
            } else if (items.find(row.xp_tag) != nullptr || row.xp_where_absent) {
                items.set(byte_item(row.xp_tag, to_utf16le(*text)));
            }
        }
        for (const auto& which : row.xmp) {
            if (which) {
                xmp_edits.push_back({*which, text, row.xmp_where_absent && text.has_value()});
            }
        }
        if (row.iptc) {
            iptc_edits.push_back({*row.iptc, text});
        }
    }
    text_sources sources(metadata, places);
    if (const status result = sources.write_xmp(xmp_edits, items, changes); result != status::ok) {
        return result;
    }
    sources.write_iptc(iptc_edits, items, changes);
    return status::ok;
}

} // namespace kestrov::imaging
