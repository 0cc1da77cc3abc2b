#include "image/engine/formats/png/png_crc.h"

#include <zlib.h>

namespace kestrov::imaging {

std::uint32_t crc32(std::span<const std::byte> bytes, std::uint32_t crc) {
    if (bytes.empty()) {
        return crc; // zlib answers a null pointer with the initial value, not the CRC so far
    }
    // zlib's CRC is 32 bits wide, whatever the width of its uLong.
    return static_cast<std::uint32_t>(
        ::crc32_z(crc, reinterpret_cast<const Bytef*>(bytes.data()), bytes.size()));
}

} // namespace kestrov::imaging
