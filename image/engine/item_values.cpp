#include "image/engine/item_values.h"

#include "image/engine/io/byte_reader.h"
#include "image/engine/property_item.h"

namespace kestrov::imaging {

namespace {

void append_u32(std::vector<std::byte>& value, std::uint32_t number) {
    const auto at = value.size();
    value.resize(at + 4);
    store_u32(value.data() + at, number, byte_order::little);
}

} // namespace

property ascii_item(std::uint32_t id, std::string_view utf8) {
    std::vector<std::byte> value;
    value.reserve(utf8.size() + 1);
    for (const char c : utf8) {
        value.push_back(static_cast<std::byte>(c));
    }
    value.push_back(std::byte{0});
    return property{id, property_type::ascii, std::move(value)};
}

property byte_item(std::uint32_t id, std::span<const std::byte> bytes) {
    return property{id, property_type::byte, {bytes.begin(), bytes.end()}};
}

property short_item(std::uint32_t id, std::uint16_t value) {
    std::vector<std::byte> bytes(2);
    store_u16(bytes.data(), value, byte_order::little);
    return property{id, property_type::short_, std::move(bytes)};
}

property long_item(std::uint32_t id, std::span<const std::uint32_t> values) {
    std::vector<std::byte> value;
    value.reserve(values.size() * 4);
    for (const auto number : values) {
        append_u32(value, number);
    }
    return property{id, property_type::long_, std::move(value)};
}

property rational_item(std::uint32_t id,
                       std::span<const std::pair<std::uint32_t, std::uint32_t>> values) {
    std::vector<std::byte> value;
    value.reserve(values.size() * 8);
    for (const auto& [numerator, denominator] : values) {
        append_u32(value, numerator);
        append_u32(value, denominator);
    }
    return property{id, property_type::rational, std::move(value)};
}

} // namespace kestrov::imaging
