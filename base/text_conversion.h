// Conversions between wide texts (UTF-16 on Windows, UTF-32 on Linux) and narrow byte strings.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kestrov {

inline constexpr std::uint32_t code_page_ansi = 0;
inline constexpr std::uint32_t code_page_utf8 = 65001;

// Longest text either conversion accepts, in characters (wide) or bytes (narrow).
inline constexpr std::size_t max_convertible_length = 2147483647;

// Converts `text` into the bytes of `code_page` and returns their count (no terminating zero).
// Lone surrogates become U+FFFD, as the platform's conversion without flags does. Raises
// kestrov_exception: "Vstupní text je příliš dlouhý." for an over-long text, 0x80070459 when a
// character has no translation, or the platform's error.
std::size_t to_multibyte(std::wstring_view text, std::uint32_t code_page, std::string& out);

// Decodes UTF-8 up to the first zero byte (or the end of `bytes`). Invalid UTF-8 (stray or
// missing continuation bytes, overlong forms, surrogates, values past U+10FFFF) raises
// kestrov_exception with 0x80070459; over-long input raises as to_multibyte does.
void utf8_to_wide(std::string_view bytes, std::wstring& out);

// Appends the UTF-8 bytes of one code point (at most U+10FFFF).
void append_utf8(std::string& out, char32_t code_point);

// The code point of the UTF-8 sequence that starts at `bytes[at]`, which must be inside `bytes`,
// and moves `at` past it; nothing for an ill-formed sequence (stray or missing continuation bytes,
// overlong forms, surrogates, values past U+10FFFF), and `at` stays.
std::optional<char32_t> decode_utf8(std::string_view bytes, std::size_t& at);

// Whether all of `bytes` is well-formed UTF-8; zero bytes count as characters.
bool is_valid_utf8(std::string_view bytes);

// The bytes of a code page other than UTF-8; false with the last error set when it cannot.
// Windows asks the system; the portable build's ANSI code page is UTF-8 and it knows no other.
bool encode_in_code_page(std::wstring_view text, std::uint32_t code_page, std::string& out);

} // namespace kestrov
