#include "image/engine/io/buffered_reader.h"

#include "image/engine/io/byte_reader.h"

#include <algorithm>

namespace kestrov::imaging {

buffered_reader::buffered_reader(byte_source& source, std::size_t buffer_size)
    : source_(source), buffer_(std::max<std::size_t>(buffer_size, 1)) {}

void buffered_reader::fail() {
    ok_ = false;
    position_ = source_.size();
}

// Makes the `count` bytes at the position available in the buffer, reading a whole buffer's
// worth from the position when they are not there already.
bool buffered_reader::fill(std::size_t count) {
    if (!ok_ || count > buffer_.size() || !range_fits(source_.size(), position_, count)) {
        return false;
    }
    if (position_ >= buffer_start_ && range_fits(buffered_, position_ - buffer_start_, count)) {
        return true;
    }
    const auto length = std::min<std::uint64_t>(buffer_.size(), source_.size() - position_);
    const auto window = std::span(buffer_).first(static_cast<std::size_t>(length));
    buffered_ = 0;
    if (!source_.read(position_, window)) {
        return false;
    }
    buffer_start_ = position_;
    buffered_ = window.size();
    return true;
}

std::uint8_t buffered_reader::u8() {
    const auto raw = bytes(1);
    return raw.empty() ? 0 : std::to_integer<std::uint8_t>(raw[0]);
}

std::span<const std::byte> buffered_reader::bytes(std::size_t count) {
    if (!fill(count)) {
        fail();
        return {};
    }
    const auto at = static_cast<std::size_t>(position_ - buffer_start_);
    position_ += count;
    return std::span<const std::byte>(buffer_).subspan(at, count);
}

void buffered_reader::skip(std::uint64_t count) {
    if (!ok_ || !range_fits(source_.size(), position_, count)) {
        fail();
        return;
    }
    position_ += count;
}

} // namespace kestrov::imaging
