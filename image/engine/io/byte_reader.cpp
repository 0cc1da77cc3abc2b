#include "image/engine/io/byte_reader.h"

#include <algorithm>

namespace kestrov::imaging {

byte_reader::byte_reader(byte_source& source, byte_order order, std::size_t read_ahead)
    : source_(&source), read_ahead_(std::max<std::size_t>(read_ahead, 1)), size_(source.size()),
      order_(order) {}

// The `count` bytes at `offset`, from memory or through the buffer. From a source, bytes not in
// the buffer are read into it: with `read_ahead`, a whole buffer's worth from `offset` on (for
// sequential reading); otherwise exactly those bytes, so that jumping over large parts of a file
// reads no more than it needs.
std::span<const std::byte> byte_reader::window(std::uint64_t offset, std::size_t count,
                                               bool read_ahead) {
    if (!range_fits(size_, offset, count)) {
        return {};
    }
    if (source_ == nullptr) {
        return data_.subspan(static_cast<std::size_t>(offset), count);
    }
    if (offset >= buffer_start_ && range_fits(data_.size(), offset - buffer_start_, count)) {
        return data_.subspan(static_cast<std::size_t>(offset - buffer_start_), count);
    }
    const std::uint64_t length =
        read_ahead
            ? std::max<std::uint64_t>(count, std::min<std::uint64_t>(read_ahead_, size_ - offset))
            : count;
    data_ = {};
    buffer_.resize(static_cast<std::size_t>(length));
    if (!source_->read(offset, buffer_)) {
        return {};
    }
    buffer_start_ = offset;
    data_ = buffer_;
    return data_.first(count);
}

void byte_reader::seek(std::uint64_t offset) {
    if (offset > size_) {
        ok_ = false;
        position_ = size_;
        return;
    }
    position_ = offset;
}

void byte_reader::skip(std::uint64_t count) {
    if (!range_fits(size_, position_, count)) {
        ok_ = false;
        position_ = size_;
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
    const auto result = window(position_, count, true);
    if (result.size() != count) {
        ok_ = false;
        position_ = size_;
        return {};
    }
    position_ += count;
    return result;
}

std::span<const std::byte> byte_reader::bytes_at(std::uint64_t offset, std::size_t count) {
    return window(offset, count, false);
}

std::optional<std::uint16_t> byte_reader::u16_at(std::uint64_t offset) {
    const auto raw = bytes_at(offset, 2);
    return raw.empty() ? std::nullopt : std::optional(load_u16(raw.data(), order_));
}

std::optional<std::uint32_t> byte_reader::u32_at(std::uint64_t offset) {
    const auto raw = bytes_at(offset, 4);
    return raw.empty() ? std::nullopt : std::optional(load_u32(raw.data(), order_));
}

std::optional<std::vector<std::byte>> byte_reader::copy_at(std::uint64_t offset,
                                                           std::uint64_t length) {
    if (!range_fits(size_, offset, length)) {
        return std::nullopt;
    }
    if (source_ != nullptr) {
        return source_->read_bytes(offset, length);
    }
    const auto bytes =
        data_.subspan(static_cast<std::size_t>(offset), static_cast<std::size_t>(length));
    return std::vector<std::byte>(bytes.begin(), bytes.end());
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
