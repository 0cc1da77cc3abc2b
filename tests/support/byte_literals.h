// Bytes written out in a test: numbers, a signature table, text, and pieces joined in order.
#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <span>
#include <string>
#include <vector>

namespace kestrov::testing {

inline std::vector<std::byte> bytes_of(std::initializer_list<std::uint8_t> values) {
    std::vector<std::byte> out;
    for (const auto v : values) {
        out.push_back(static_cast<std::byte>(v));
    }
    return out;
}

// A signature or any other table of byte values.
inline std::vector<std::byte> bytes_of(std::span<const std::uint8_t> values) {
    std::vector<std::byte> out;
    for (const auto v : values) {
        out.push_back(static_cast<std::byte>(v));
    }
    return out;
}

// The text's bytes, without a terminating zero.
inline std::vector<std::byte> bytes_of(const std::string& text) {
    std::vector<std::byte> out;
    for (const char c : text) {
        out.push_back(static_cast<std::byte>(c));
    }
    return out;
}

inline std::vector<std::byte> concat(std::initializer_list<std::vector<std::byte>> parts) {
    std::vector<std::byte> out;
    for (const auto& part : parts) {
        out.insert(out.end(), part.begin(), part.end());
    }
    return out;
}

} // namespace kestrov::testing
