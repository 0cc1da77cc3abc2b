#include "fuzz/png_crc_repair.h"

#include "image/engine/formats/png_crc.h"

#include <algorithm>
#include <array>
#include <span>

extern "C" std::size_t LLVMFuzzerMutate(std::uint8_t* data, std::size_t size, std::size_t max_size);

namespace kestrov::fuzzing {

namespace {

constexpr std::array<std::uint8_t, 8> png_signature = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};

std::uint32_t load_big_endian(const std::uint8_t* p) {
    return (std::uint32_t{p[0]} << 24) | (std::uint32_t{p[1]} << 16) | (std::uint32_t{p[2]} << 8) |
           std::uint32_t{p[3]};
}

} // namespace

void repair_png_crcs(std::uint8_t* data, std::size_t size) {
    if (size < png_signature.size() ||
        !std::equal(png_signature.begin(), png_signature.end(), data)) {
        return;
    }
    std::size_t at = png_signature.size();
    // Each chunk: length, type, data, CRC over type and data.
    while (size - at >= 12) {
        const std::uint32_t length = load_big_endian(data + at);
        if (length > size - at - 12) {
            return;
        }
        const auto covered =
            std::as_bytes(std::span<const std::uint8_t>(data + at + 4, std::size_t{length} + 4));
        const std::uint32_t crc = imaging::crc32(covered);
        std::uint8_t* stored = data + at + 8 + length;
        stored[0] = static_cast<std::uint8_t>(crc >> 24);
        stored[1] = static_cast<std::uint8_t>(crc >> 16);
        stored[2] = static_cast<std::uint8_t>(crc >> 8);
        stored[3] = static_cast<std::uint8_t>(crc);
        at += std::size_t{length} + 12;
    }
}

} // namespace kestrov::fuzzing

extern "C" std::size_t LLVMFuzzerCustomMutator(std::uint8_t* data, std::size_t size,
                                               std::size_t max_size, unsigned int /*seed*/) {
    const std::size_t mutated = LLVMFuzzerMutate(data, size, max_size);
    kestrov::fuzzing::repair_png_crcs(data, mutated);
    return mutated;
}
