// The CRC-32 of PNG chunks, which is zlib's: taken from zlib, over the engine's bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace kestrov::imaging {

// CRC of `bytes`, continuing from `crc` (the result of an earlier call, or 0 to start), so a
// chunk's type and data can be fed in two pieces.
std::uint32_t crc32(std::span<const std::byte> bytes, std::uint32_t crc = 0);

} // namespace kestrov::imaging
