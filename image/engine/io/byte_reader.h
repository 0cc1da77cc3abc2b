// The one bounds-checked reader for bytes that come from a file. Reads past the end return zero
// and clear a sticky `ok` flag, so parsing code reads straight and checks once.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace kestrov::imaging {

enum class byte_order { little, big };

// True when [offset, offset + length) lies inside `size` bytes; written with subtraction so that
// no sum can overflow.
constexpr bool range_fits(std::uint64_t size, std::uint64_t offset, std::uint64_t length) {
    return offset <= size && size - offset >= length;
}

class byte_reader {
public:
    explicit byte_reader(std::span<const std::byte> data, byte_order order = byte_order::little)
        : data_(data), order_(order) {}

    bool ok() const { return ok_; }
    std::size_t size() const { return data_.size(); }
    std::size_t position() const { return position_; }
    std::size_t remaining() const { return data_.size() - position_; }
    byte_order order() const { return order_; }
    void set_order(byte_order order) { order_ = order; }

    // Moving past the end clears `ok` and leaves the position at the end.
    void seek(std::size_t offset);
    void skip(std::size_t count);

    std::uint8_t u8();
    std::uint16_t u16();
    std::uint32_t u32();
    // The next `count` bytes; empty (and `ok` cleared) when they are not all there.
    std::span<const std::byte> bytes(std::size_t count);

    // Random access that leaves the position alone; an empty span when out of range.
    std::span<const std::byte> bytes_at(std::size_t offset, std::size_t count) const;
    std::uint16_t u16_at(std::size_t offset, bool& in_range) const;
    std::uint32_t u32_at(std::size_t offset, bool& in_range) const;

private:
    std::uint32_t decode(std::span<const std::byte> raw) const;

    std::span<const std::byte> data_;
    byte_order order_;
    std::size_t position_ = 0;
    bool ok_ = true;
};

// Decoding helpers for values already known to be in range.
std::uint16_t load_u16(const std::byte* p, byte_order order);
std::uint32_t load_u32(const std::byte* p, byte_order order);
void store_u16(std::byte* p, std::uint16_t value, byte_order order);
void store_u32(std::byte* p, std::uint32_t value, byte_order order);

} // namespace kestrov::imaging
