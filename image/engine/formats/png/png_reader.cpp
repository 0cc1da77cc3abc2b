// PNG (ISO/IEC 15948): the chunks are walked by their lengths; image data is never read.
#include "image/engine/formats/png/png_format.h"

#include "image/engine/format_facts.h"
#include "image/engine/formats/png/png_ancillary.h"
#include "image/engine/formats/png/png_crc.h"
#include "image/engine/formats/png/png_layout.h"
#include "image/engine/formats/png/png_text.h"
#include "image/engine/formats/png/zlib_inflate.h"
#include "image/engine/io/byte_reader.h"
#include "image/engine/item_values.h"
#include "image/engine/text_bytes.h"
#include "image/engine/tiff/tiff_reader.h"

#include <algorithm>
#include <array>

namespace kestrov::imaging {

namespace {

constexpr std::uint64_t chunk_overhead = 12; // length, type and CRC around the data (§5.3)
constexpr std::uint32_t header_length = 13;  // IHDR's data (§11.2.2)
// §5.3: a length is at most 2^31 - 1; anything more means the walk has lost its way.
constexpr std::uint32_t max_chunk_length = 0x7FFFFFFF;
// Real files have thousands of chunks at most (IDAT split in small pieces); the cap keeps the
// layout's size bounded for a file made of nothing but empty chunks.
constexpr std::size_t max_chunks = 1'000'000;
// Metadata chunks are read into memory; larger ones are kept in the layout but not read.
constexpr std::uint32_t max_metadata_length = 64 * 1024 * 1024;

struct text_chunk_type {
    std::string_view type;
    png_text_kind kind;
};
constexpr std::array<text_chunk_type, 3> text_chunk_types = {{
    {"tEXt", png_text_kind::text},
    {"zTXt", png_text_kind::compressed_text},
    {"iTXt", png_text_kind::international_text},
}};

bool is_letter(std::uint8_t c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

std::string_view type_of(const png_chunk& chunk) {
    return {chunk.type.data(), chunk.type.size()};
}

class png_walk {
public:
    png_walk(byte_source& source, decoded_metadata& out)
        : reader_(source, byte_order::big), out_(out) {}

    status run() {
        if (!read_header()) {
            return unreadable_structure();
        }
        walk_chunks();
        finish();
        return status::ok;
    }

private:
    void warn(std::string text) { out_.warnings.push_back(std::move(text)); }

    std::string name(std::size_t index) const {
        return "Blok " + std::string(type_of(layout_->chunks[index]));
    }

    // Signature, then IHDR first with its fixed length (§5.2, §5.6): without them nothing else
    // in the file can be trusted.
    bool read_header() {
        const auto head = reader_.bytes_at(0, 16);
        if (!starts_with(head, png_signature)) {
            return false;
        }
        const auto length = byte_reader(head, byte_order::big).u32_at(8);
        const std::array<std::byte, 4> ihdr = {std::byte{'I'}, std::byte{'H'}, std::byte{'D'},
                                               std::byte{'R'}};
        if (length != header_length || !std::equal(ihdr.begin(), ihdr.end(), head.begin() + 12) ||
            !range_fits(reader_.size(), 8, chunk_overhead + header_length)) {
            return false;
        }
        layout_->chunks.push_back(
            {{'I', 'H', 'D', 'R'}, 8, header_length, png_crc_state::unchecked});
        const auto data = read_data(0);
        if (!data) {
            return false;
        }
        if (layout_->chunks[0].crc == png_crc_state::bad) {
            warn("Blok IHDR má chybný CRC");
        }
        // A zero width or height is not an image (§11.2.2).
        byte_reader fields(*data, byte_order::big);
        if (fields.u32() == 0 || fields.u32() == 0) {
            return false;
        }
        return true;
    }

    void walk_chunks() {
        std::uint64_t offset = 8 + chunk_overhead + header_length;
        const auto size = reader_.size();
        while (true) {
            if (layout_->chunks.size() >= max_chunks) {
                warn("Soubor PNG má příliš mnoho bloků, zbytek byl vynechán");
                break;
            }
            if (offset == size) {
                warn("Soubor PNG končí bez bloku IEND");
                break;
            }
            const auto head = reader_.bytes_at(offset, 8);
            if (head.empty()) {
                warn("Soubor PNG končí uvnitř hlavičky bloku");
                break;
            }
            png_chunk chunk;
            chunk.offset = offset;
            chunk.length = byte_reader(head, byte_order::big).u32();
            for (std::size_t i = 0; i < 4; ++i) {
                chunk.type[i] = std::to_integer<char>(head[4 + i]);
            }
            if (chunk.length > max_chunk_length ||
                !std::all_of(head.begin() + 4, head.end(), [](std::byte b) {
                    return is_letter(std::to_integer<std::uint8_t>(b));
                })) {
                warn("Soubor PNG má na pozici " + std::to_string(offset) +
                     " poškozenou hlavičku bloku, zbytek byl vynechán");
                break;
            }
            if (!range_fits(size, offset + 8, std::uint64_t{chunk.length} + 4)) {
                warn("Blok " + std::string(type_of(chunk)) +
                     " je useknutý koncem souboru, zbytek byl vynechán");
                break;
            }
            layout_->chunks.push_back(chunk);
            offset += chunk_overhead + chunk.length;
            if (type_of(chunk) == "IEND") {
                check_critical(layout_->chunks.size() - 1);
                layout_->complete = true;
                break;
            }
            handle(layout_->chunks.size() - 1);
        }
        layout_->end_offset = offset;
    }

    void handle(std::size_t index) {
        const auto type = type_of(layout_->chunks[index]);
        const auto text = std::find_if(text_chunk_types.begin(), text_chunk_types.end(),
                                       [type](const auto& t) { return t.type == type; });
        if (text != text_chunk_types.end()) {
            handle_text(index, text->kind);
        } else if (type == "eXIf") {
            handle_exif(index);
        } else if (const auto* ancillary = find_png_ancillary_chunk(type)) {
            handle_ancillary(index, *ancillary);
        } else if (type == "PLTE") {
            check_critical(index);
        }
        // IDAT and every other chunk: listed in the layout, never read.
    }

    // The data of a chunk the walk has found whole, with its CRC checked (§5.5); nothing when
    // the source fails to read.
    std::optional<std::vector<std::byte>> read_data(std::size_t index) {
        auto& chunk = layout_->chunks[index];
        auto bytes = reader_.copy_at(chunk.offset + 4, std::uint64_t{chunk.length} + 8);
        if (!bytes) {
            warn(name(index) + " nelze přečíst");
            return std::nullopt;
        }
        const auto covered = std::span(*bytes).first(std::size_t{chunk.length} + 4);
        const auto stored = load_u32(bytes->data() + covered.size(), byte_order::big);
        chunk.crc = crc32(covered) == stored ? png_crc_state::good : png_crc_state::bad;
        bytes->erase(bytes->begin(), bytes->begin() + 4);
        bytes->resize(chunk.length);
        return bytes;
    }

    // A small critical chunk is checked only to report damage: a decoder that draws the image
    // makes its own decision, and the metadata does not depend on it, so the load goes on.
    void check_critical(std::size_t index) {
        if (read_data(index) && layout_->chunks[index].crc == png_crc_state::bad) {
            warn(name(index) + " má chybný CRC");
        }
    }

    // The data of a metadata chunk, or nothing (with a warning) when it is too large, unreadable
    // or fails its CRC. A damaged ancillary chunk is skipped, as §13.1 advises decoders: its
    // bytes cannot be told from garbage.
    std::optional<std::vector<std::byte>> metadata_data(std::size_t index,
                                                        const std::string& what) {
        if (layout_->chunks[index].length > max_metadata_length) {
            warn(what + " je příliš velký a byl vynechán");
            return std::nullopt;
        }
        auto data = read_data(index);
        if (data && layout_->chunks[index].crc == png_crc_state::bad) {
            warn(what + " má chybný CRC a byl vynechán");
            return std::nullopt;
        }
        return data;
    }

    // Only the keyword is read first: texts that give no item (XMP among them, often large)
    // are listed with their keyword but never read whole.
    void handle_text(std::size_t index, png_text_kind kind) {
        const auto& chunk = layout_->chunks[index];
        const auto prefix = reader_.copy_at(
            chunk.offset + 8, std::min<std::uint64_t>(chunk.length, png_keyword_field_length));
        const auto keyword = prefix ? png_text_keyword(*prefix) : std::nullopt;
        if (!keyword) {
            warn(name(index) + " nemá platné klíčové slovo a byl vynechán");
            return;
        }
        png_text_entry entry{index, kind, *keyword, 0};
        if (*keyword == png_xmp_keyword && kind == png_text_kind::international_text) {
            read_xmp(index);
        }
        const auto id = png_keyword_item_id(*keyword);
        if (id != 0 && chunk_items_.find(id) == nullptr) {
            const auto what =
                name(index) + " „" + latin1_to_utf8(std::as_bytes(std::span(*keyword))) + "“";
            if (const auto data = metadata_data(index, what)) {
                auto text = decode_png_text(kind, *data, inflate_budget_);
                if (!text.readable) {
                    warn(what + " " + text.note + " a byl vynechán");
                } else {
                    if (!text.note.empty()) {
                        warn(what + " " + text.note);
                    }
                    chunk_items_.add_if_new(ascii_item(id, text.utf8));
                    entry.exposed_id = id;
                }
            }
        }
        layout_->texts.push_back(std::move(entry));
    }

    // The first XMP packet (XMP Part 3 §1.1.5): kept whole, for the descriptive texts it holds.
    void read_xmp(std::size_t index) {
        if (layout_->xmp_chunk) {
            return;
        }
        const auto what = name(index) + " s daty XMP";
        if (const auto data = metadata_data(index, what)) {
            auto text = decode_png_text(png_text_kind::international_text, *data, inflate_budget_);
            if (!text.readable) {
                warn(what + " " + text.note + " a byl vynechán");
                return;
            }
            layout_->xmp_chunk = index;
            const auto bytes = std::as_bytes(std::span(text.utf8));
            out_.blocks.xmp.emplace(bytes.begin(), bytes.end());
        }
    }

    void handle_exif(std::size_t index) {
        if (layout_->exif_chunk) {
            warn("Soubor PNG má více bloků eXIf, načten je jen první");
            return;
        }
        auto data = metadata_data(index, name(index));
        if (!data) {
            return;
        }
        layout_->exif_chunk = index;
        layout_->exif_block = std::move(*data);
        memory_source block(layout_->exif_block);
        // The block's values count against the file's one budget.
        exif_.budget = out_.budget;
        if (read_tiff_block(block, exif_, &layout_->exif_structure) != status::ok) {
            warn("Blok eXIf neobsahuje čitelná data TIFF");
        }
        out_.budget = exif_.budget;
    }

    void handle_ancillary(std::size_t index, const png_ancillary_chunk& decoder) {
        if (layout_->chunks[index].length != decoder.length) {
            warn(name(index) + " má chybnou délku a byl vynechán");
            return;
        }
        const auto data = metadata_data(index, name(index));
        if (!data) {
            return;
        }
        std::vector<property> items;
        std::string problem;
        if (!decoder.decode(*data, items, problem)) {
            warn(name(index) + " " + problem + " a byl vynechán");
            return;
        }
        // The first chunk of a type wins, as for texts; PNG allows only one of each anyway.
        for (auto& item : items) {
            chunk_items_.add_if_new(std::move(item));
        }
    }

    // The eXIf block's items come first and win over the chunks that map to the same ids (a
    // tIME or a Description text): they carry the tags' own types, as a camera wrote them.
    void finish() {
        for (const auto& item : exif_.properties.items()) {
            out_.properties.add_if_new(item);
        }
        out_.warnings.insert(out_.warnings.end(), exif_.warnings.begin(), exif_.warnings.end());
        for (const auto& item : chunk_items_.items()) {
            if (!out_.properties.add_if_new(item)) {
                for (auto& text : layout_->texts) {
                    if (text.exposed_id == item.id) {
                        text.exposed_id = 0;
                    }
                }
            }
        }
        out_.layout = std::move(layout_);
    }

    byte_reader reader_;
    decoded_metadata& out_;
    std::unique_ptr<png_layout> layout_ = std::make_unique<png_layout>();
    property_list chunk_items_; // from text and ancillary chunks, in file order
    decoded_metadata exif_;     // what the eXIf block gave
    // All compressed texts of a file together inflate to at most this much: a file of many
    // decompression bombs costs no more than one.
    std::size_t inflate_budget_ = default_inflate_limit;
};

} // namespace

status read_png(byte_source& source, decoded_metadata& out) {
    out.format = image_format::png;
    return png_walk(source, out).run();
}

bool has_png_signature(std::span<const std::byte> head) {
    return starts_with(head, png_signature);
}

} // namespace kestrov::imaging
