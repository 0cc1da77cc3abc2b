// One metadata item as the engine hands it out: the record of the platform's imaging library.
#pragma once

#include <cstdint>

namespace kestrov::imaging {

// Value types of an item (TIFF 6.0 §2, field types).
namespace property_type {
inline constexpr std::uint16_t byte = 1;
inline constexpr std::uint16_t ascii = 2;
inline constexpr std::uint16_t short_ = 3;
inline constexpr std::uint16_t long_ = 4;
inline constexpr std::uint16_t rational = 5;
inline constexpr std::uint16_t signed_byte = 6;
inline constexpr std::uint16_t undefined = 7;
inline constexpr std::uint16_t signed_short = 8;
inline constexpr std::uint16_t signed_long = 9;
inline constexpr std::uint16_t signed_rational = 10;
inline constexpr std::uint16_t float_ = 11;
inline constexpr std::uint16_t double_ = 12;
inline constexpr std::uint16_t ifd = 13;
} // namespace property_type

// The record handed to callers: `value` points at `length` bytes, little-endian whatever the
// file's byte order. When the engine copies an item out, record and value share one buffer, the
// value right after the record.
struct PropertyItem {
    std::uint32_t id;
    std::uint32_t length;
    std::uint16_t type;
    void* value;
};

} // namespace kestrov::imaging
