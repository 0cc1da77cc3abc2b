// The small ancillary chunks of PNG that the platform shows as items: tIME, gAMA, cHRM, pHYs.
#pragma once

#include "image/engine/property.h"

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace kestrov::imaging {

// Appends the items of one chunk's data to `items`; false with `problem` when the data is not
// valid for its chunk: a short phrase that follows the chunk's name in a warning ("Blok pHYs" ...
// "má neznámou jednotku").
using png_ancillary_decoder = bool (*)(std::span<const std::byte> data,
                                       std::vector<property>& items, std::string& problem);

struct png_ancillary_chunk {
    std::string_view type;
    std::uint32_t length; // every one of these chunks has a fixed length
    png_ancillary_decoder decode;
};

// The decoder of a chunk type, or null when the type gives no items.
const png_ancillary_chunk* find_png_ancillary_chunk(std::string_view type);

} // namespace kestrov::imaging
