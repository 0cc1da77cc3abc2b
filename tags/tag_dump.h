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

} // namespace kestrov::tags
