// The text chunks of PNG (§11.3.4): tEXt (Latin-1), zTXt (compressed Latin-1) and iTXt (UTF-8,
// compressed or not), and the keywords shown as items.
#pragma once

#include "image/engine/formats/png/png_layout.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace kestrov::imaging {

// The keyword of the iTXt chunk that holds an XMP packet (XMP Part 3 §1.1.5).
inline constexpr std::string_view png_xmp_keyword = "XML:com.adobe.xmp";

// Longest keyword plus its zero separator (§11.3.4.2): reading this much of a chunk is enough to
// know its keyword.
inline constexpr std::size_t png_keyword_field_length = 80;

// The keyword before the first zero byte: 1 to 79 Latin-1 bytes; nothing when there is none.
std::optional<std::string> png_text_keyword(std::span<const std::byte> data);

// The item a keyword is shown as (Title 0x0320, Author 0x013B, ...), or 0 for one that is kept
// but not shown. Letter case is ignored: PNG keywords are case-sensitive, but common writers
// use lower case ("comment"), and showing their text does more good than harm.
std::uint32_t png_keyword_item_id(std::string_view keyword);
// The registered keyword of an item shown from text chunks ("Title" for 0x0320); nothing for
// other items.
std::optional<std::string_view> png_item_keyword(std::uint32_t id);

struct png_text_result {
    bool readable = false;
    std::string utf8; // the text without its keyword
    std::string note; // why it is unreadable, or how it was repaired; empty when all was well
};

// Decodes the text of one chunk's whole data (keyword included) to UTF-8. Compressed text may
// inflate to at most `inflate_budget` bytes, and the budget shrinks by what inflating produced:
// one budget for a whole file bounds the work that a file of many compressed chunks can cause.
png_text_result decode_png_text(png_text_kind kind, std::span<const std::byte> data,
                                std::size_t& inflate_budget);

} // namespace kestrov::imaging
