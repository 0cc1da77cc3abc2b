// Sequential reading of a byte source through one large buffer, for formats made of many small
// pieces (a GIF's sub-blocks are at most 255 bytes each): one source read per buffer, not one
// per piece. Like byte_reader, reads past the end return nothing and clear a sticky `ok` flag.
#pragma once

#include "image/engine/io/byte_source.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace kestrov::imaging {

class buffered_reader {
public:
    static constexpr std::size_t default_buffer_size = 64 * 1024;

    explicit buffered_reader(byte_source& source, std::size_t buffer_size = default_buffer_size);

    bool ok() const { return ok_; }
    std::uint64_t position() const { return position_; }
    // True when the position is at the end of the source.
    bool at_end() const { return position_ >= source_.size(); }

    std::uint8_t u8();
    // The next `count` bytes (at most the buffer's size), valid until the next call; empty (and
    // `ok` cleared) when they are not all there.
    std::span<const std::byte> bytes(std::size_t count);
    // Moves on without reading; past the end clears `ok` and stops at the end.
    void skip(std::uint64_t count);

private:
    bool fill(std::size_t count);
    void fail();

    byte_source& source_;
    std::vector<std::byte> buffer_;
    std::uint64_t buffer_start_ = 0; // source offset of buffer_[0]
    std::size_t buffered_ = 0;       // valid bytes in buffer_
    std::uint64_t position_ = 0;
    bool ok_ = true;
};

} // namespace kestrov::imaging
