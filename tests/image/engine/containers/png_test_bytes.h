// Builders of PNG files for tests: chunks with correct CRCs around the caller's data.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

namespace kestrov::imaging::testing {

std::vector<std::byte> big_endian(std::uint32_t value);
// Length, type, data and the CRC of type and data (PNG §5.3).
std::vector<std::byte> make_chunk(std::string_view type, const std::vector<std::byte>& data);
// A 1×1 greyscale header.
std::vector<std::byte> png_header_chunk();
// Signature and header, `chunks`, one image data chunk, the end chunk.
std::vector<std::byte> png_file(std::initializer_list<std::vector<std::byte>> chunks);

// The text chunks (§11.3.4.3-5); the texts are bytes as stored.
std::vector<std::byte> text_chunk(const std::string& keyword, const std::string& text);
std::vector<std::byte> compressed_text_chunk(const std::string& keyword,
                                             const std::vector<std::byte>& zlib_stream);
std::vector<std::byte> international_text_chunk(const std::string& keyword,
                                                const std::string& utf8);
std::vector<std::byte> compressed_international_text_chunk(const std::string& keyword,
                                                           const std::vector<std::byte>& stream);

// A zlib stream of one stored block: `text` as it is, with its Adler-32.
std::vector<std::byte> zlib_stored(const std::string& text);

} // namespace kestrov::imaging::testing
