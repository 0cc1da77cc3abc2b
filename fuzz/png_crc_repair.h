// A mutator for both fuzz targets: after libFuzzer's own mutation, a PNG input gets the right CRC
// in every chunk, so mutations reach the chunk readers instead of stopping at the CRC check.
#pragma once

#include <cstddef>
#include <cstdint>

namespace kestrov::fuzzing {

// Rewrites the CRC of each whole chunk of a PNG stream in place; other data stays as it is.
void repair_png_crcs(std::uint8_t* data, std::size_t size);

} // namespace kestrov::fuzzing
