// Writing an image's items back into its own container. Every byte the items do not concern is
// copied from the source unchanged.
#pragma once

#include "image/engine/container.h"
#include "image/engine/io/byte_source.h"
#include "image/engine/io/file_system.h"

namespace kestrov::imaging {

// Every writer: the file read into `metadata` from `source`, with `metadata.properties` as they
// are now, onto `sink`.
using container_writer = status (*)(byte_source& source, const decoded_metadata& metadata,
                                    byte_sink& sink);

status write_unchanged(byte_source& source, const decoded_metadata& metadata, byte_sink& sink);

// Copies [offset, offset + length) of `source` to `sink` in pieces; false with the last error set
// when reading or writing fails.
bool copy_range(byte_source& source, std::uint64_t offset, std::uint64_t length, byte_sink& sink);

// A sink that keeps the bytes (tests, and blocks assembled before they are written).
class memory_sink final : public byte_sink {
public:
    bool write(std::span<const std::byte> bytes) override {
        bytes_.insert(bytes_.end(), bytes.begin(), bytes.end());
        return true;
    }
    const std::vector<std::byte>& bytes() const { return bytes_; }

private:
    std::vector<std::byte> bytes_;
};

// What a failed write of the file reports: the thread's last error is already set.
status write_failed();

} // namespace kestrov::imaging
