// What a PNG file's later save needs from reading it: every chunk in file order, so that chunks
// can be copied as they are, the text chunks' keywords, and the eXIf block.
#pragma once

#include "image/engine/container.h"
#include "image/engine/tiff/tiff_reader.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace kestrov::imaging {

enum class png_crc_state { unchecked, good, bad };

struct png_chunk {
    std::array<char, 4> type{};
    std::uint64_t offset = 0; // of the chunk's length field; the data starts 8 bytes later
    std::uint32_t length = 0; // of the data alone, without length, type and CRC
    // Only chunks whose data is read are checked; image data (IDAT) and unknown chunks are not.
    png_crc_state crc = png_crc_state::unchecked;
};

enum class png_text_kind { text, compressed_text, international_text }; // tEXt, zTXt, iTXt

struct png_text_entry {
    std::size_t chunk = 0; // index in png_layout::chunks
    png_text_kind kind = png_text_kind::text;
    std::string keyword;          // as in the file: Latin-1, 1 to 79 bytes
    std::uint32_t exposed_id = 0; // the item this chunk gave, or 0 when it gave none
};

class png_layout final : public container_layout {
public:
    std::vector<png_chunk> chunks;
    std::vector<png_text_entry> texts;
    // The first eXIf chunk (PNG extensions 1.5.0): its index in `chunks`, its data (a TIFF block,
    // as in JPEG's Exif segment) and the block's structure.
    std::optional<std::size_t> exif_chunk;
    std::vector<std::byte> exif_block;
    tiff_structure exif_structure;
    // The iTXt chunk holding the XMP packet (keyword "XML:com.adobe.xmp"): its index in `chunks`.
    std::optional<std::size_t> xmp_chunk;
    // Where the walk stopped: after IEND (bytes from here on are not PNG), or at the chunk that
    // was damaged or cut off.
    std::uint64_t end_offset = 0;
    // True when IEND was reached and every chunk before it is listed: only then can a save copy
    // the file chunk by chunk.
    bool complete = false;
};

} // namespace kestrov::imaging
