// Builders for the items the PNG and GIF readers expose: values little-endian, as every item is.
#pragma once

#include "image/engine/property.h"

#include <cstdint>
#include <span>
#include <string_view>
#include <utility>

namespace kestrov::imaging {

// Type 2: the UTF-8 bytes followed by one zero byte.
property ascii_item(std::uint32_t id, std::string_view utf8);
// Type 1: the bytes as they are.
property byte_item(std::uint32_t id, std::span<const std::byte> bytes);
// Type 3: one 16-bit value.
property short_item(std::uint32_t id, std::uint16_t value);
// Type 4: one 32-bit value each.
property long_item(std::uint32_t id, std::span<const std::uint32_t> values);
// Type 5: numerator and denominator each.
property rational_item(std::uint32_t id,
                       std::span<const std::pair<std::uint32_t, std::uint32_t>> values);

} // namespace kestrov::imaging
