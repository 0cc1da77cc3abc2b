// GIF (GIF89a): the header and the block stream, walked without decoding any image data.
#include "image/engine/formats/gif/gif_format.h"

#include "image/engine/format_facts.h"
#include "image/engine/io/byte_reader.h"
#include "image/engine/item_values.h"
#include "image/engine/text_bytes.h"

#include <algorithm>
#include <array>
#include <optional>
#include <string_view>

namespace kestrov::imaging {

namespace {

constexpr std::size_t header_length = 13; // signature, version and logical screen descriptor
// Caps against files that are nothing but tiny frames or one endless comment.
constexpr std::size_t max_frames = 100'000;
constexpr std::size_t max_comment_length = 16 * 1024 * 1024;

// Block introducers and extension labels (§20, §23-§27).
constexpr std::uint8_t extension_introducer = 0x21;
constexpr std::uint8_t image_separator = 0x2C;
constexpr std::uint8_t trailer = 0x3B;
constexpr std::uint8_t graphic_control_label = 0xF9;
constexpr std::uint8_t comment_label = 0xFE;
constexpr std::uint8_t application_label = 0xFF;

// §18, §20: a colour table holds 2^(n+1) entries of three bytes.
std::size_t colour_table_length(std::uint8_t packed) {
    return std::size_t{3} << ((packed & 0x07) + 1);
}

bool has_colour_table(std::uint8_t packed) {
    return (packed & 0x80) != 0;
}

bool equals(std::span<const std::byte> bytes, std::string_view text) {
    return bytes.size() == text.size() &&
           std::equal(bytes.begin(), bytes.end(), text.begin(),
                      [](std::byte b, char c) { return std::to_integer<char>(b) == c; });
}

class gif_walk {
public:
    gif_walk(byte_source& source, decoded_metadata& out) : reader_(source), out_(out) {}

    status run() {
        if (!read_header()) {
            return unreadable_structure();
        }
        walk_blocks();
        // Without a single image descriptor there is no image to show.
        if (delays_.empty()) {
            out_.properties = {};
            return unreadable_structure();
        }
        out_.properties.add_if_new(long_item(frame_delay_id, delays_));
        return status::ok;
    }

private:
    void warn(std::string text) { out_.warnings.push_back(std::move(text)); }

    // §17-§19: signature and version, the logical screen descriptor, the global colour table.
    bool read_header() {
        const auto head = reader_.bytes(header_length);
        if (!starts_with(head, gif87a_signature) && !starts_with(head, gif89a_signature)) {
            return false;
        }
        const auto packed = std::to_integer<std::uint8_t>(head[10]);
        const auto background = head[11];
        if (!has_colour_table(packed)) {
            return true; // the background index means nothing without the table (§18)
        }
        const auto table = reader_.bytes(colour_table_length(packed));
        if (table.empty()) {
            return false;
        }
        out_.properties.add_if_new(byte_item(global_palette_id, table));
        out_.properties.add_if_new(byte_item(background_index_id, std::span(&background, 1)));
        return true;
    }

    void walk_blocks() {
        while (true) {
            const auto offset = reader_.position();
            const auto introducer = reader_.u8();
            if (!reader_.ok()) {
                warn("Soubor GIF končí bez závěrečného bloku (trailer)");
                return;
            }
            if (introducer == trailer) {
                return;
            }
            if (introducer == extension_introducer) {
                if (!read_extension()) {
                    warn("Soubor GIF končí uvnitř bloku rozšíření");
                    return;
                }
            } else if (introducer == image_separator) {
                if (delays_.size() >= max_frames) {
                    warn("Soubor GIF má příliš mnoho snímků, zbytek byl vynechán");
                    return;
                }
                if (!read_image()) {
                    warn("Soubor GIF končí uvnitř snímku");
                    return;
                }
            } else {
                warn("Soubor GIF má na pozici " + std::to_string(offset) +
                     " neznámý blok, zbytek byl vynechán");
                return;
            }
        }
    }

    // §15: the next data sub-block, empty for the block terminator; nothing when the file ends.
    std::optional<std::span<const std::byte>> next_sub_block() {
        const auto size = reader_.u8();
        if (!reader_.ok()) {
            return std::nullopt;
        }
        if (size == 0) {
            return std::span<const std::byte>{};
        }
        const auto block = reader_.bytes(size);
        if (block.empty()) {
            return std::nullopt;
        }
        return block;
    }

    // Moves past sub-blocks up to and including the terminator, reading only their sizes.
    bool skip_sub_blocks() {
        while (true) {
            const auto size = reader_.u8();
            if (!reader_.ok()) {
                return false;
            }
            if (size == 0) {
                return true;
            }
            reader_.skip(size);
        }
    }

    // §20-§22: descriptor, local colour table and image data, all skipped; the frame takes the
    // delay of the graphic control extension before it, or none.
    bool read_image() {
        const auto descriptor = reader_.bytes(9);
        if (descriptor.empty()) {
            return false;
        }
        delays_.push_back(pending_delay_.value_or(0));
        pending_delay_.reset();
        const auto packed = std::to_integer<std::uint8_t>(descriptor[8]);
        if (has_colour_table(packed)) {
            reader_.skip(colour_table_length(packed));
        }
        reader_.skip(1); // LZW minimum code size
        return reader_.ok() && skip_sub_blocks();
    }

    bool read_extension() {
        const auto label = reader_.u8();
        const auto first = next_sub_block();
        if (!first) {
            return false;
        }
        if (first->empty()) {
            return true; // an extension without data
        }
        switch (label) {
        case graphic_control_label:
            graphic_control(*first);
            break;
        case application_label:
            return application(*first);
        case comment_label:
            return comment(*first);
        default:
            break;
        }
        return skip_sub_blocks();
    }

    // §23: packed fields, delay time in 1/100 s, transparent colour index.
    void graphic_control(std::span<const std::byte> block) {
        if (block.size() < 4) {
            warn("Rozšíření Graphic Control v souboru GIF je příliš krátké a bylo vynecháno");
            return;
        }
        byte_reader fields(block);
        const auto packed = fields.u8();
        pending_delay_ = fields.u16();
        if ((packed & 0x01) != 0) {
            out_.properties.add_if_new(byte_item(transparent_index_id, block.subspan(3, 1)));
        }
    }

    // §26: the identifier block; the looping extension's data block is 1, then the count.
    bool application(std::span<const std::byte> identifier) {
        if (!equals(identifier, "NETSCAPE2.0") && !equals(identifier, "ANIMEXTS1.0")) {
            return skip_sub_blocks();
        }
        const auto data = next_sub_block();
        if (!data) {
            return false;
        }
        if (data->empty()) {
            return true;
        }
        if (data->size() >= 3 && std::to_integer<std::uint8_t>((*data)[0]) == 1) {
            out_.properties.add_if_new(short_item(loop_count_id, *byte_reader(*data).u16_at(1)));
        }
        return skip_sub_blocks();
    }

    // §24: the comment is the concatenation of its sub-blocks. The first comment is shown.
    bool comment(std::span<const std::byte> first) {
        std::vector<std::byte> text(first.begin(), first.end());
        bool too_long = false;
        while (true) {
            const auto block = next_sub_block();
            if (!block) {
                return false;
            }
            if (block->empty()) {
                break;
            }
            if (!too_long && max_comment_length - text.size() < block->size()) {
                too_long = true;
                text = {};
            }
            if (!too_long) {
                text.insert(text.end(), block->begin(), block->end());
            }
        }
        if (too_long) {
            warn("Komentář v souboru GIF je příliš dlouhý a byl vynechán");
        } else {
            out_.properties.add_if_new(ascii_item(comment_id, utf8_or_latin1(text)));
        }
        return true;
    }

    byte_reader reader_;
    decoded_metadata& out_;
    std::vector<std::uint32_t> delays_; // one per frame, in 1/100 s
    std::optional<std::uint16_t> pending_delay_;
};

} // namespace

status read_gif(byte_source& source, decoded_metadata& out) {
    out.format = image_format::gif;
    return gif_walk(source, out).run();
}

bool has_gif_signature(std::span<const std::byte> head) {
    return starts_with(head, gif87a_signature) || starts_with(head, gif89a_signature);
}

} // namespace kestrov::imaging
