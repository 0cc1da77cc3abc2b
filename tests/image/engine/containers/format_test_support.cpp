#include "image/engine/containers/format_test_support.h"

#include "image/engine/io/byte_reader.h"

#include <gtest/gtest.h>

namespace kestrov::imaging::testing {

bool recording_source::read(std::uint64_t offset, std::span<std::byte> out) {
    reads_.emplace_back(offset, out.size());
    return data_.read(offset, out);
}

bool recording_source::touched(std::uint64_t begin, std::uint64_t end) const {
    for (const auto& [offset, length] : reads_) {
        if (offset < end && begin < offset + length) {
            return true;
        }
    }
    return false;
}

std::string value_text(const property& item) {
    std::string text;
    for (const auto b : item.value) {
        text.push_back(static_cast<char>(b));
    }
    return text;
}

std::uint32_t value_u32(const property& item, std::size_t index) {
    byte_reader reader(item.value);
    reader.seek(index * 4);
    return reader.u32();
}

property text_item(std::uint32_t id, const std::string& text) {
    auto value = bytes_of(text);
    value.push_back(std::byte{0});
    return {id, 2, value};
}

opened_file opened(container_reader reader, const std::vector<std::byte>& file) {
    memory_source source(file);
    opened_file out;
    out.result = reader(source, out.metadata);
    out.metadata.as_read = out.metadata.properties;
    return out;
}

saved_file saved_with(container_reader reader, container_writer writer,
                      const std::vector<std::byte>& file,
                      const std::function<void(property_list&)>& change) {
    auto read = opened(reader, file);
    EXPECT_EQ(read.result, status::ok);
    change(read.metadata.properties);
    memory_source source(file);
    memory_sink sink;
    saved_file out;
    out.result = writer(source, read.metadata, sink);
    out.bytes = sink.bytes();
    return out;
}

} // namespace kestrov::imaging::testing
