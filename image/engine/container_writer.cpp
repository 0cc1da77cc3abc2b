#include "image/engine/container_writer.h"

#include "base/hresult.h"
#include "base/last_error.h"
#include "image/engine/io/byte_reader.h"

#include <algorithm>
#include <vector>

namespace kestrov::imaging {

bool copy_range(byte_source& source, std::uint64_t offset, std::uint64_t length, byte_sink& sink) {
    if (!range_fits(source.size(), offset, length)) {
        set_last_error(win32::error_handle_eof);
        return false;
    }
    constexpr std::uint64_t piece = 1U << 20;
    std::vector<std::byte> buffer(static_cast<std::size_t>(std::min(length, piece)));
    while (length > 0) {
        const auto count = static_cast<std::size_t>(std::min(length, piece));
        const std::span<std::byte> chunk(buffer.data(), count);
        if (!source.read(offset, chunk) || !sink.write(chunk)) {
            return false;
        }
        offset += count;
        length -= count;
    }
    return true;
}

status write_failed() {
    return status::win32_error;
}

status write_unchanged(byte_source& source, const decoded_metadata&, byte_sink& sink) {
    return copy_range(source, 0, source.size(), sink) ? status::ok : write_failed();
}

} // namespace kestrov::imaging
