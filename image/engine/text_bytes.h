// Text bytes from files in the two encodings the PNG and GIF readers meet: UTF-8 and Latin-1.
#pragma once

#include <cstddef>
#include <span>
#include <string>

namespace kestrov::imaging {

// Well-formed UTF-8 (RFC 3629): no stray or missing continuation bytes, no overlong forms, no
// surrogates, nothing past U+10FFFF. Zero bytes count as valid characters.
bool is_valid_utf8(std::span<const std::byte> bytes);

// ISO 8859-1 to UTF-8: every byte is the code point of the same number.
std::string latin1_to_utf8(std::span<const std::byte> bytes);

// The bytes as they are when they are valid UTF-8, else read as Latin-1.
std::string utf8_or_latin1(std::span<const std::byte> bytes);

} // namespace kestrov::imaging
