// Bytes written out in a test: numbers, a signature table, text, and pieces joined in order.
// Defined out of line: GCC 12 at -O2, seeing a vector's exact size through them, warns of a
// copy past its end that cannot happen (-Wstringop-overread).
#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <span>
#include <string>
#include <vector>

namespace kestrov::testing {

std::vector<std::byte> bytes_of(std::initializer_list<std::uint8_t> values);
// A signature or any other table of byte values.
std::vector<std::byte> bytes_of(std::span<const std::uint8_t> values);
// The text's bytes, without a terminating zero.
std::vector<std::byte> bytes_of(const std::string& text);
std::vector<std::byte> concat(std::initializer_list<std::vector<std::byte>> parts);

} // namespace kestrov::testing
