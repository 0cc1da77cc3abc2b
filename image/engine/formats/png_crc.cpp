#include "image/engine/formats/png_crc.h"

#include <array>

namespace kestrov::imaging {

namespace {

constexpr std::array<std::uint32_t, 256> make_table() {
    std::array<std::uint32_t, 256> table{};
    for (std::uint32_t n = 0; n < 256; ++n) {
        std::uint32_t c = n;
        for (int k = 0; k < 8; ++k) {
            c = (c & 1) != 0 ? 0xEDB88320U ^ (c >> 1) : c >> 1;
        }
        table[n] = c;
    }
    return table;
}

constexpr auto crc_table = make_table();

} // namespace

std::uint32_t crc32(std::span<const std::byte> bytes, std::uint32_t crc) {
    std::uint32_t c = crc ^ 0xFFFFFFFFU;
    for (const auto b : bytes) {
        c = crc_table[(c ^ std::to_integer<std::uint32_t>(b)) & 0xFF] ^ (c >> 8);
    }
    return c ^ 0xFFFFFFFFU;
}

} // namespace kestrov::imaging
