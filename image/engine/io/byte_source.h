// Random access to the bytes of an image: a file kept open, or bytes in memory. Containers read
// only the ranges their structure and metadata need.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace kestrov::imaging {

class byte_source {
public:
    byte_source() = default;
    byte_source(const byte_source&) = delete;
    byte_source& operator=(const byte_source&) = delete;
    virtual ~byte_source() = default;

    virtual std::uint64_t size() const = 0;
    // Fills `out` from `offset`; false when the range is not all there or the read fails.
    virtual bool read(std::uint64_t offset, std::span<std::byte> out) = 0;

    // `length` bytes from `offset`, or nothing when they are not all there.
    std::optional<std::vector<std::byte>> read_bytes(std::uint64_t offset, std::uint64_t length);
};

class memory_source final : public byte_source {
public:
    explicit memory_source(std::span<const std::byte> data) : data_(data) {}
    std::uint64_t size() const override { return data_.size(); }
    bool read(std::uint64_t offset, std::span<std::byte> out) override;

private:
    std::span<const std::byte> data_;
};

// A part of another source, addressed from its own start (a TIFF block inside a file).
class window_source final : public byte_source {
public:
    // The window is clipped to the parent's end.
    window_source(byte_source& parent, std::uint64_t offset, std::uint64_t length);
    std::uint64_t size() const override { return length_; }
    bool read(std::uint64_t offset, std::span<std::byte> out) override;

private:
    byte_source& parent_;
    std::uint64_t offset_;
    std::uint64_t length_;
};

} // namespace kestrov::imaging
