// Helpers shared by the container reader and writer tests: a source that records what is read,
// views of item values, and a file opened, changed and written again as the engine does it.
#pragma once

#include "image/engine/container.h"
#include "image/engine/container_writer.h"
#include "image/engine/io/byte_source.h"
#include "image/engine/property.h"
#include "support/byte_literals.h"

#include <cstdint>
#include <functional>
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

using kestrov::testing::bytes_of;
using kestrov::testing::concat;

// An item's value as text, its bytes as they are (the terminating zero included).
std::string value_text(const property& item);
// The index-th 32-bit little-endian value of an item.
std::uint32_t value_u32(const property& item, std::size_t index);

// An ASCII item: the text and its terminating zero.
property text_item(std::uint32_t id, const std::string& text);

struct opened_file {
    status result = status::ok;
    decoded_metadata metadata;
};
// `file` read by `reader` as the engine opens a file: what was read is also kept as read, for a
// writer to compare with. The caller checks the status.
opened_file opened(container_reader reader, const std::vector<std::byte>& file);

struct saved_file {
    status result = status::ok; // the writer's
    std::vector<std::byte> bytes;
};
// `file` opened with `reader` (which must read it), its items changed by `change`, and written by
// `writer`.
saved_file saved_with(container_reader reader, container_writer writer,
                      const std::vector<std::byte>& file,
                      const std::function<void(property_list&)>& change);

} // namespace kestrov::imaging::testing
