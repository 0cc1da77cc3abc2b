// An image file opened for reading and kept open while its image exists, so the file cannot be
// swapped underneath the image and a later save reads the same bytes.
#pragma once

#include "image/engine/io/byte_source.h"
#include "image/engine/io/file_system.h"
#include "image/engine/status.h"

#include <cstdint>
#include <memory>
#include <string_view>

namespace kestrov::imaging {

class input_file final : public byte_source {
public:
    // Nothing, with `result` set and the thread's last Win32 error telling why, when the file
    // cannot be opened: file_not_found, access_denied or win32_error.
    static std::unique_ptr<input_file> open(std::wstring_view path, status& result);
    ~input_file() override;

    std::uint64_t size() const override { return size_; }
    bool read(std::uint64_t offset, std::span<std::byte> out) override;

    // The file as it was when opened.
    const file_identity& identity() const { return identity_; }

private:
    input_file(std::intptr_t handle, const file_identity& identity)
        : handle_(handle), size_(identity.size), identity_(identity) {}

    std::intptr_t handle_; // a file descriptor, or a Windows HANDLE
    std::uint64_t size_;
    file_identity identity_;
};

} // namespace kestrov::imaging
