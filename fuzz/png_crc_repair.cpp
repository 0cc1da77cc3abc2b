#include "fuzz/png_crc_repair.h"

#include "image/engine/byte_reader.h"
#include "image/engine/formats/png_crc.h"

#include <algorithm>
#include <array>
#include <span>

extern "C" std::size_t LLVMFuzzerMutate(std::uint8_t* data, std::size_t size, std::size_t max_size);

namespace kestrov::fuzzing {

namespace {

constexpr std::array<std::uint8_t, 8> png_signature = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};

} // namespace

void repair_png_crcs(std::uint8_t* data, std::size_t size) {
    if (size < png_signature.size() ||
        !std::equal(png_signature.begin(), png_signature.end(), data)) {
        return;
    }
    std::byte* bytes = reinterpret_cast<std::byte*>(data);
    std::size_t at = png_signature.size();
    // Each chunk: length, type, data, CRC over type and data.
    while (size - at >= 12) {
        const std::uint32_t length = imaging::load_u32(bytes + at, imaging::byte_order::big);
        if (length > size - at - 12) {
            return;
        }
        const std::uint32_t crc =
            imaging::crc32(std::span<const std::byte>(bytes + at + 4, std::size_t{length} + 4));
        imaging::store_u32(bytes + at + 8 + length, crc, imaging::byte_order::big);
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
