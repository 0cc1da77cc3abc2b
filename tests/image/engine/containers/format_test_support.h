// Helpers shared by the container reader tests: a source that records what is read, and views
// of item values.
#pragma once

#include "image/engine/io/byte_source.h"
#include "image/engine/property.h"

#include <cstdint>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

namespace kestrov::imaging::testing {

// Bytes in memory; every read is recorded so a test can prove what a reader never touched.
class recording_source final : public byte_source {
public:
    explicit recording_source(std::span<const std::byte> data) : data_(data) {}
    std::uint64_t size() const override { return data_.size(); }
    bool read(std::uint64_t offset, std::span<std::byte> out) override;

    // True when any read overlapped [begin, end).
    bool touched(std::uint64_t begin, std::uint64_t end) const;
    std::size_t read_count() const { return reads_.size(); }

private:
    memory_source data_;
    std::vector<std::pair<std::uint64_t, std::uint64_t>> reads_; // offset, length
};

std::vector<std::byte> concat(std::initializer_list<std::vector<std::byte>> parts);

// An item's value as text, its bytes as they are (the terminating zero included).
std::string value_text(const property& item);
// The index-th 32-bit little-endian value of an item.
std::uint32_t value_u32(const property& item, std::size_t index);

} // namespace kestrov::imaging::testing
