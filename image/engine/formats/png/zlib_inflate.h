// Decompression of zlib streams, for the compressed text chunks of PNG, over the zlib library.
// The output is capped against decompression bombs, and every way a stream can be unusable is a
// failure with its reason, never a crash or an endless loop.
#pragma once

#include <cstddef>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace kestrov::imaging {

enum class inflate_status {
    ok,
    truncated,        // the input ends before the stream does
    trailing_data,    // bytes follow the end of the stream
    needs_dictionary, // the stream was made with a preset dictionary, which PNG never uses
    damaged,          // not a valid zlib stream, or its checksum does not match
    too_large,        // the output would pass the cap
};

struct inflate_result {
    inflate_status status = inflate_status::ok;
    std::string_view detail; // zlib's own (static) words for a damaged stream; empty otherwise
};

inline constexpr std::size_t default_inflate_limit = 16 * 1024 * 1024;

// Decompresses `input`, which must be exactly one zlib stream, into `out` (replacing its
// contents). At most `max_output` bytes are ever kept: on any status but ok `out` holds what was
// decoded so far, never more than the cap, and must not be used as the text.
inflate_result zlib_inflate(std::span<const std::byte> input, std::vector<std::byte>& out,
                            std::size_t max_output = default_inflate_limit);

// Why a stream failed, in words that follow "komprimovaný text, který ": "je zkrácený", "je
// poškozený (incorrect data check)", "potřebuje přednastavený slovník", ...
std::string describe(const inflate_result& result);

} // namespace kestrov::imaging
