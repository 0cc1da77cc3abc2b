// The raw view of one item: its length, type number and bytes in hexadecimal.
#pragma once

#include "image/engine/image.h"

#include <cstdint>
#include <optional>
#include <string>

namespace kestrov::tags {

struct tag_dump {
    std::uint32_t length = 0;
    std::uint16_t type = 0;
    // "43 61 6E 6F 6E 00": two upper-case digits a byte, one space between.
    std::string hex;
};

// Nothing when the image holds no item `id` or it cannot be read; the image's last status then
// says why. Raises E_OUTOFMEMORY when the item does not fit in memory.
std::optional<tag_dump> read_dump(imaging::image& image, std::uint32_t id);

// The bytes a line when the dump is shown.
inline constexpr std::size_t dump_bytes_per_line = 16;

// `hex` for a field of many lines: the space after every dump_bytes_per_line-th byte becomes a
// line break (CR LF). Edit controls wrap a line of tens of kilobytes without breaks of its own
// slowly (under Wine they measure the whole of it again for every row: a minute and more for a
// maker note); lines of a fixed length cost nothing, and read as a hex dump does.
std::string dump_in_lines(const std::string& hex);

} // namespace kestrov::tags
