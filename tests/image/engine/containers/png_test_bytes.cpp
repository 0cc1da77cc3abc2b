#include "image/engine/containers/png_test_bytes.h"

#include "image/engine/containers/format_test_support.h"
#include "image/engine/containers/tiff_builder.h"
#include "image/engine/formats/png/png_crc.h"

#include <zlib.h>

namespace kestrov::imaging::testing {

std::vector<std::byte> big_endian(std::uint32_t value) {
    return bytes_of({static_cast<std::uint8_t>(value >> 24), static_cast<std::uint8_t>(value >> 16),
                     static_cast<std::uint8_t>(value >> 8), static_cast<std::uint8_t>(value)});
}

std::vector<std::byte> make_chunk(std::string_view type, const std::vector<std::byte>& data) {
    auto typed = bytes_of(std::string(type));
    typed.insert(typed.end(), data.begin(), data.end());
    return concat(
        {big_endian(static_cast<std::uint32_t>(data.size())), typed, big_endian(crc32(typed))});
}

std::vector<std::byte> png_header_chunk() {
    return make_chunk("IHDR", concat({big_endian(1), big_endian(1), bytes_of({8, 0, 0, 0, 0})}));
}

std::vector<std::byte> png_file(std::initializer_list<std::vector<std::byte>> chunks) {
    auto file = concat({bytes_of(png_signature), png_header_chunk()});
    for (const auto& chunk : chunks) {
        file.insert(file.end(), chunk.begin(), chunk.end());
    }
    return concat(
        {file, make_chunk("IDAT", zlib_stored(std::string(2, '\0'))), make_chunk("IEND", {})});
}

namespace {
std::vector<std::byte> keyword_field(const std::string& keyword) {
    return bytes_of(keyword + std::string(1, '\0'));
}
} // namespace

std::vector<std::byte> text_chunk(const std::string& keyword, const std::string& text) {
    return make_chunk("tEXt", concat({keyword_field(keyword), bytes_of(text)}));
}

std::vector<std::byte> compressed_text_chunk(const std::string& keyword,
                                             const std::vector<std::byte>& zlib_stream) {
    return make_chunk("zTXt", concat({keyword_field(keyword), bytes_of({0}), zlib_stream}));
}

std::vector<std::byte> international_text_chunk(const std::string& keyword,
                                                const std::string& utf8) {
    // Uncompressed, language "cs", translated keyword "Název".
    return make_chunk("iTXt", concat({keyword_field(keyword), bytes_of({0, 0, 'c', 's', 0}),
                                      bytes_of("N\xC3\xA1zev"), bytes_of({0}), bytes_of(utf8)}));
}

std::vector<std::byte> compressed_international_text_chunk(const std::string& keyword,
                                                           const std::vector<std::byte>& stream) {
    return make_chunk("iTXt", concat({keyword_field(keyword), bytes_of({1, 0, 0, 0}), stream}));
}

std::vector<std::byte> zlib_stored(const std::string& text) {
    const auto data = bytes_of(text);
    const auto length = static_cast<std::uint16_t>(data.size());
    const auto complement = static_cast<std::uint16_t>(~length);
    return concat({bytes_of({0x78, 0x01, 0x01, static_cast<std::uint8_t>(length & 0xFF),
                             static_cast<std::uint8_t>(length >> 8),
                             static_cast<std::uint8_t>(complement & 0xFF),
                             static_cast<std::uint8_t>(complement >> 8)}),
                   data,
                   big_endian(static_cast<std::uint32_t>(
                       ::adler32(1, reinterpret_cast<const Bytef*>(data.data()), length)))});
}

} // namespace kestrov::imaging::testing
