// The one bounds-checked reader for bytes that come from a file; parsers read through nothing
// else. It reads bytes in memory or, through a buffer, a byte source (the file itself).
// Sequential reads past the end return zero and clear a sticky `ok` flag, so parsing code reads
// straight and checks once. Reads at an offset leave the position and the flag alone, and say by
// their result whether the bytes were there.
#pragma once

#include "image/engine/io/byte_source.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

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
        : data_(data), size_(data.size()), order_(order) {}
    // Sequential reads of a source go through one buffer of `read_ahead` bytes: one source read
    // per buffer, not one per piece, for formats made of many small pieces.
    static constexpr std::size_t default_read_ahead = 64 * 1024;
    explicit byte_reader(byte_source& source, byte_order order = byte_order::little,
                         std::size_t read_ahead = default_read_ahead);

    byte_reader(const byte_reader&) = delete;
    byte_reader& operator=(const byte_reader&) = delete;

    bool ok() const { return ok_; }
    std::uint64_t size() const { return size_; }
    std::uint64_t position() const { return position_; }
    std::uint64_t remaining() const { return size_ - position_; }
    bool at_end() const { return position_ >= size_; }
    byte_order order() const { return order_; }
    void set_order(byte_order order) { order_ = order; }

    // Moving past the end clears `ok` and leaves the position at the end.
    void seek(std::uint64_t offset);
    void skip(std::uint64_t count);

    std::uint8_t u8();
    std::uint16_t u16();
    std::uint32_t u32();
    // The next `count` bytes, valid until the next read; empty (and `ok` cleared) when they are
    // not all there.
    std::span<const std::byte> bytes(std::size_t count);

    // The `count` bytes at `offset`, valid until the next read; empty when they are not all there.
    std::span<const std::byte> bytes_at(std::uint64_t offset, std::size_t count);
    std::optional<std::uint16_t> u16_at(std::uint64_t offset);
    std::optional<std::uint32_t> u32_at(std::uint64_t offset);
    // A copy of `length` bytes at `offset` (a value the caller keeps), or nothing when they are
    // not all there or cannot be read.
    std::optional<std::vector<std::byte>> copy_at(std::uint64_t offset, std::uint64_t length);

private:
    std::span<const std::byte> window(std::uint64_t offset, std::size_t count, bool read_ahead);

    // In memory: the bytes themselves. From a source: what the buffer holds, from buffer_start_.
    std::span<const std::byte> data_;
    byte_source* source_ = nullptr;
    std::vector<std::byte> buffer_;
    std::size_t read_ahead_ = 0;
    std::uint64_t buffer_start_ = 0;
    std::uint64_t size_ = 0;
    byte_order order_;
    std::uint64_t position_ = 0;
    bool ok_ = true;
};

// Decoding and encoding numbers in bytes already in memory and known to be in range: values a
// reader returned, and blocks a writer builds.
std::uint16_t load_u16(const std::byte* p, byte_order order);
std::uint32_t load_u32(const std::byte* p, byte_order order);
void store_u16(std::byte* p, std::uint16_t value, byte_order order);
void store_u32(std::byte* p, std::uint32_t value, byte_order order);

} // namespace kestrov::imaging
