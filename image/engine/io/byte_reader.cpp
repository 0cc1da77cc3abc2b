#include "image/engine/io/byte_reader.h"

namespace kestrov::imaging {

void byte_reader::seek(std::size_t offset) {
    if (offset > data_.size()) {
        ok_ = false;
        position_ = data_.size();
        return;
    }
    position_ = offset;
}

void byte_reader::skip(std::size_t count) {
    if (!range_fits(data_.size(), position_, count)) {
        ok_ = false;
        position_ = data_.size();
        return;
    }
    position_ += count;
}

std::uint8_t byte_reader::u8() {
    const auto raw = bytes(1);
    return raw.empty() ? 0 : std::to_integer<std::uint8_t>(raw[0]);
}

std::uint16_t byte_reader::u16() {
    const auto raw = bytes(2);
    return raw.empty() ? 0 : load_u16(raw.data(), order_);
}

std::uint32_t byte_reader::u32() {
    const auto raw = bytes(4);
    return raw.empty() ? 0 : load_u32(raw.data(), order_);
}

std::span<const std::byte> byte_reader::bytes(std::size_t count) {
    if (!range_fits(data_.size(), position_, count)) {
        ok_ = false;
        position_ = data_.size();
        return {};
    }
    const auto result = data_.subspan(position_, count);
    position_ += count;
    return result;
}

std::span<const std::byte> byte_reader::bytes_at(std::size_t offset, std::size_t count) const {
    if (!range_fits(data_.size(), offset, count)) {
        return {};
    }
    return data_.subspan(offset, count);
}

std::uint16_t byte_reader::u16_at(std::size_t offset, bool& in_range) const {
    const auto raw = bytes_at(offset, 2);
    in_range = !raw.empty();
    return in_range ? load_u16(raw.data(), order_) : 0;
}

std::uint32_t byte_reader::u32_at(std::size_t offset, bool& in_range) const {
    const auto raw = bytes_at(offset, 4);
    in_range = !raw.empty();
    return in_range ? load_u32(raw.data(), order_) : 0;
}

std::uint16_t load_u16(const std::byte* p, byte_order order) {
    const auto b0 = std::to_integer<std::uint16_t>(p[0]);
    const auto b1 = std::to_integer<std::uint16_t>(p[1]);
    return order == byte_order::little ? static_cast<std::uint16_t>(b0 | (b1 << 8))
                                       : static_cast<std::uint16_t>((b0 << 8) | b1);
}

std::uint32_t load_u32(const std::byte* p, byte_order order) {
    std::uint32_t value = 0;
    for (int i = 0; i < 4; ++i) {
        const auto b = std::to_integer<std::uint32_t>(p[order == byte_order::little ? 3 - i : i]);
        value = (value << 8) | b;
    }
    return value;
}

void store_u16(std::byte* p, std::uint16_t value, byte_order order) {
    const auto low = static_cast<std::byte>(value & 0xFF);
    const auto high = static_cast<std::byte>(value >> 8);
    p[0] = order == byte_order::little ? low : high;
    p[1] = order == byte_order::little ? high : low;
}

void store_u32(std::byte* p, std::uint32_t value, byte_order order) {
    for (int i = 0; i < 4; ++i) {
        const auto b = static_cast<std::byte>((value >> (8 * i)) & 0xFF);
        p[order == byte_order::little ? i : 3 - i] = b;
    }
}

} // namespace kestrov::imaging
