// Decompression of zlib streams (RFC 1950) holding deflate data (RFC 1951), for the compressed
// text chunks of PNG. Bounds-checked: it never reads past its input, every loop consumes input or
// stops, and the output is capped against decompression bombs.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace kestrov::imaging {

enum class inflate_status {
    ok,
    truncated,    // the input ends before the stream does
    malformed,    // not a valid zlib or deflate stream
    too_large,    // the output would pass the cap
    bad_checksum, // the Adler-32 does not match the output
};

inline constexpr std::size_t default_inflate_limit = 16 * 1024 * 1024;

// Decompresses the zlib stream at the start of `input` into `out` (replacing its contents); bytes
// after the stream's checksum are ignored. On any status but ok `out` holds what was decoded so
// far and must not be used.
inflate_status zlib_inflate(std::span<const std::byte> input, std::vector<std::byte>& out,
                            std::size_t max_output = default_inflate_limit);

// The Adler-32 checksum of RFC 1950 §8.2.
std::uint32_t adler32(std::span<const std::byte> bytes);

// A short English description for warnings ("truncated", "malformed", ...).
const char* describe(inflate_status status);

} // namespace kestrov::imaging
