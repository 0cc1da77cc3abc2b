// Writing a PNG's items back: text chunks are replaced where they stand, new texts and the eXIf
// block go before the image data, and every other chunk is copied as it is (PNG §5.6 orders
// nothing else around them).
#include "image/engine/formats/png/png_format.h"

#include "base/hresult.h"
#include "base/last_error.h"
#include "image/engine/formats/png/png_crc.h"
#include "image/engine/formats/png/png_layout.h"
#include "image/engine/formats/png/png_text.h"
#include "image/engine/text_bytes.h"
#include "image/engine/tiff/tiff_rewrite.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <set>

namespace kestrov::imaging {

namespace {

// Items that come from ancillary chunks, and the chunk each comes from.
constexpr std::pair<std::uint32_t, const char*> chunk_items[] = {
    {0x0132, "tIME"}, {0x0301, "gAMA"}, {0x013E, "cHRM"}, {0x013F, "cHRM"},
    {0x5110, "pHYs"}, {0x5111, "pHYs"}, {0x5112, "pHYs"}};

std::vector<std::byte> chunk(const char* type, std::span<const std::byte> data) {
    std::vector<std::byte> out;
    const auto length = static_cast<std::uint32_t>(data.size());
    std::byte field[4];
    store_u32(field, length, byte_order::big);
    out.insert(out.end(), field, field + 4);
    const std::size_t type_at = out.size();
    for (int i = 0; i < 4; ++i) {
        out.push_back(static_cast<std::byte>(type[i]));
    }
    out.insert(out.end(), data.begin(), data.end());
    const std::uint32_t crc = crc32(std::span(out).subspan(type_at));
    store_u32(field, crc, byte_order::big);
    out.insert(out.end(), field, field + 4);
    return out;
}

// A text chunk holding an item's text: tEXt for plain ASCII, iTXt (uncompressed, no language)
// for UTF-8, and tEXt with the bytes as they are for anything else, so no byte is lost.
std::vector<std::byte> text_chunk(const std::string& keyword, const property& item) {
    std::span<const std::byte> text(item.value);
    const auto zero = std::find(text.begin(), text.end(), std::byte{0});
    text = text.first(static_cast<std::size_t>(zero - text.begin()));
    const bool ascii = std::all_of(text.begin(), text.end(),
                                   [](std::byte b) { return std::to_integer<unsigned>(b) < 0x80; });
    std::vector<std::byte> data;
    for (const char c : keyword) {
        data.push_back(static_cast<std::byte>(c));
    }
    data.push_back(std::byte{0});
    if (ascii || !is_valid_utf8(text)) {
        data.insert(data.end(), text.begin(), text.end());
        return chunk("tEXt", data);
    }
    // Compression flag, method, empty language tag, empty translated keyword (PNG §11.3.4.5).
    const std::byte fields[] = {std::byte{0}, std::byte{0}, std::byte{0}, std::byte{0}};
    data.insert(data.end(), std::begin(fields), std::end(fields));
    data.insert(data.end(), text.begin(), text.end());
    return chunk("iTXt", data);
}

// The XMP packet's iTXt chunk: uncompressed, without language or translated keyword, as the XMP
// specification asks (XMP Part 3 §1.1.5).
std::vector<std::byte> xmp_chunk(std::span<const std::byte> packet) {
    std::vector<std::byte> data;
    for (const char c : png_xmp_keyword) {
        data.push_back(static_cast<std::byte>(c));
    }
    const std::byte fields[] = {std::byte{0}, std::byte{0}, std::byte{0}, std::byte{0},
                                std::byte{0}};
    data.insert(data.end(), std::begin(fields), std::end(fields));
    data.insert(data.end(), packet.begin(), packet.end());
    return chunk("iTXt", data);
}

bool type_is(const png_chunk& c, const char* type) {
    return std::memcmp(c.type.data(), type, 4) == 0;
}

} // namespace

status write_png(byte_source& source, const decoded_metadata& metadata, byte_sink& sink) {
    const auto* layout = dynamic_cast<const png_layout*>(metadata.layout.get());
    if (layout == nullptr) {
        return status::wrong_state;
    }
    const side_block_change& xmp = metadata.block_changes.xmp;
    if (metadata.properties == metadata.as_read && !xmp.changed) {
        return write_unchanged(source, metadata, sink);
    }
    // A file whose chunks could not all be read cannot be copied chunk by chunk.
    if (!layout->complete) {
        set_last_error(win32::error_invalid_data);
        return status::generic_error;
    }

    // Where each item came from.
    std::map<std::uint32_t, std::size_t> text_chunk_of; // item id -> index in texts
    for (std::size_t i = 0; i < layout->texts.size(); ++i) {
        if (layout->texts[i].exposed_id != 0) {
            text_chunk_of[layout->texts[i].exposed_id] = i;
        }
    }
    property_list exif_read;
    std::vector<std::string> ignored;
    if (layout->exif_chunk) {
        memory_source block(layout->exif_block);
        expose_tiff_items(layout->exif_structure, block, exif_read, ignored);
    }

    // What each part of the new file holds.
    property_list exif_items = exif_read;
    std::map<std::size_t, std::optional<property>> text_changes; // text index -> new or removed
    std::vector<property> new_texts;
    std::set<std::string> dropped_chunks;
    std::set<std::uint32_t> changed_ids; // removed, replaced or added
    for (const auto& old : metadata.as_read.items()) {
        if (metadata.properties.find(old.id) != nullptr) {
            continue;
        }
        changed_ids.insert(old.id);
        if (const auto text = text_chunk_of.find(old.id); text != text_chunk_of.end()) {
            text_changes[text->second] = std::nullopt;
            continue;
        }
        exif_items.remove(old.id);
        // The chunk of the item goes too, also one the eXIf block hid: it would bring the item
        // back. A chunk of several items (cHRM, pHYs) goes whole.
        for (const auto& [id, type] : chunk_items) {
            if (id == old.id) {
                dropped_chunks.insert(type);
            }
        }
    }
    for (const auto& item : metadata.properties.items()) {
        const property* old = metadata.as_read.find(item.id);
        if (old != nullptr && *old == item) {
            continue;
        }
        changed_ids.insert(item.id);
        if (const auto text = text_chunk_of.find(item.id); text != text_chunk_of.end()) {
            text_changes[text->second] = item;
        } else if (exif_read.find(item.id) == nullptr && png_item_keyword(item.id)) {
            new_texts.push_back(item);
        } else {
            // Everything else lives in the eXIf block, which readers prefer to other chunks.
            exif_items.set(item);
        }
    }

    // One text per item: when an item changes or goes, the other texts of its keyword go too (a
    // later duplicate, one that could not be decoded, one the eXIf block hid), or a removed item
    // would come back from one of them.
    for (std::size_t i = 0; i < layout->texts.size(); ++i) {
        const auto id = png_keyword_item_id(layout->texts[i].keyword);
        const auto standing = text_chunk_of.find(id);
        if (id != 0 && changed_ids.count(id) != 0 && // 0: a keyword without an item
            (standing == text_chunk_of.end() || standing->second != i)) {
            text_changes[i] = std::nullopt;
        }
    }

    std::vector<std::byte> exif_block = layout->exif_block;
    if (exif_items != exif_read) {
        if (const status result = rewrite_exif_block(layout->exif_block, layout->exif_structure,
                                                     exif_items, exif_block);
            result != status::ok) {
            return result;
        }
    }
    const bool exif_changed = exif_items != exif_read;

    // Copy the chunks in order, replacing, dropping and inserting as planned.
    std::map<std::size_t, std::size_t> text_of_chunk;
    for (std::size_t i = 0; i < layout->texts.size(); ++i) {
        text_of_chunk[layout->texts[i].chunk] = i;
    }
    if (!copy_range(source, 0, 8, sink)) { // the signature
        return write_failed();
    }
    bool inserted = false;
    auto insert_new = [&]() {
        if (inserted) {
            return true;
        }
        inserted = true;
        if (exif_changed && !layout->exif_chunk && !sink.write(chunk("eXIf", exif_block))) {
            return false;
        }
        if (xmp.changed && xmp.bytes && !layout->xmp_chunk && !sink.write(xmp_chunk(*xmp.bytes))) {
            return false;
        }
        for (const auto& item : new_texts) {
            if (!sink.write(text_chunk(std::string(*png_item_keyword(item.id)), item))) {
                return false;
            }
        }
        return true;
    };
    for (std::size_t i = 0; i < layout->chunks.size(); ++i) {
        const png_chunk& c = layout->chunks[i];
        const std::uint64_t whole = std::uint64_t{c.length} + 12;
        if (type_is(c, "IDAT") || type_is(c, "IEND")) {
            if (!insert_new()) {
                return write_failed();
            }
        }
        const auto text = text_of_chunk.find(i);
        if (text != text_of_chunk.end() && text_changes.count(text->second) != 0) {
            const auto& change = text_changes[text->second];
            if (change && !sink.write(text_chunk(layout->texts[text->second].keyword, *change))) {
                return write_failed();
            }
            continue;
        }
        if (layout->xmp_chunk == i && xmp.changed) {
            if (xmp.bytes && !sink.write(xmp_chunk(*xmp.bytes))) {
                return write_failed();
            }
            continue;
        }
        if (layout->exif_chunk == i && exif_changed) {
            if (!sink.write(chunk("eXIf", exif_block))) {
                return write_failed();
            }
            continue;
        }
        const std::string type(c.type.begin(), c.type.end());
        if (dropped_chunks.count(type) != 0) {
            continue;
        }
        if (!copy_range(source, c.offset, whole, sink)) {
            return write_failed();
        }
    }
    // Bytes after IEND are not part of the image, but they are the user's: they stay.
    if (!copy_range(source, layout->end_offset, source.size() - layout->end_offset, sink)) {
        return write_failed();
    }
    return status::ok;
}

} // namespace kestrov::imaging
