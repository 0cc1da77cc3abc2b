#include "fuzz/png_crc_repair.h"

#include "image/engine/format_facts.h"

#include "image/engine/formats/png/png_crc.h"
#include "image/engine/io/byte_reader.h"

#include <algorithm>
#include <array>
#include <span>

extern "C" std::size_t LLVMFuzzerMutate(std::uint8_t* data, std::size_t size, std::size_t max_size);

namespace kestrov::fuzzing {

void repair_png_crcs(std::uint8_t* data, std::size_t size) {
    std::byte* bytes = reinterpret_cast<std::byte*>(data);
    if (!imaging::starts_with(std::span(bytes, size), imaging::png_signature)) {
        return;
    }
    std::size_t at = imaging::png_signature.size();
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
