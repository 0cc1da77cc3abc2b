#include "image/engine/containers/format_test_support.h"

#include "image/engine/io/byte_reader.h"

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

std::vector<std::byte> concat(std::initializer_list<std::vector<std::byte>> parts) {
    std::vector<std::byte> out;
    for (const auto& part : parts) {
        out.insert(out.end(), part.begin(), part.end());
    }
    return out;
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

} // namespace kestrov::imaging::testing
