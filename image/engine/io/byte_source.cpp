#include "image/engine/io/byte_source.h"

#include "image/engine/io/byte_reader.h"

#include <algorithm>
#include <limits>

namespace kestrov::imaging {

std::optional<std::vector<std::byte>> byte_source::read_bytes(std::uint64_t offset,
                                                              std::uint64_t length) {
    if (!range_fits(size(), offset, length) || length > std::numeric_limits<std::size_t>::max()) {
        return std::nullopt;
    }
    std::vector<std::byte> bytes(static_cast<std::size_t>(length));
    if (!read(offset, bytes)) {
        return std::nullopt;
    }
    return bytes;
}

bool memory_source::read(std::uint64_t offset, std::span<std::byte> out) {
    if (!range_fits(data_.size(), offset, out.size())) {
        return false;
    }
    std::copy_n(data_.begin() + static_cast<std::ptrdiff_t>(offset), out.size(), out.begin());
    return true;
}

window_source::window_source(byte_source& parent, std::uint64_t offset, std::uint64_t length)
    : parent_(parent), offset_(std::min(offset, parent.size())),
      length_(std::min(length, parent.size() - std::min(offset, parent.size()))) {}

bool window_source::read(std::uint64_t offset, std::span<std::byte> out) {
    if (!range_fits(length_, offset, out.size())) {
        return false;
    }
    return parent_.read(offset_ + offset, out);
}

} // namespace kestrov::imaging
