#include "tags/tag_dump.h"

#include "base/kestrov_exception.h"

#include <new>
#include <vector>

namespace kestrov::tags {

std::optional<tag_dump> read_dump(imaging::image& image, std::uint32_t id) {
    std::uint32_t size = 0;
    if (image.property_item_size(id, size) != imaging::status::ok || size == 0) {
        return std::nullopt;
    }
    std::vector<imaging::PropertyItem> buffer;
    try {
        buffer.resize(size / sizeof(imaging::PropertyItem) + 1);
    } catch (const std::bad_alloc&) {
        raise_last_error(e_outofmemory);
    }
    if (image.property_item(id, size, buffer.data()) != imaging::status::ok) {
        return std::nullopt;
    }
    const imaging::PropertyItem& item = buffer.front();
    tag_dump dump{item.length, item.type, {}};
    static constexpr char digits[] = "0123456789ABCDEF";
    const auto* bytes = static_cast<const unsigned char*>(item.value);
    dump.hex.reserve(std::size_t{item.length} * 3);
    for (std::uint32_t i = 0; i < item.length; ++i) {
        if (i != 0) {
            dump.hex.push_back(' ');
        }
        dump.hex.push_back(digits[bytes[i] >> 4]);
        dump.hex.push_back(digits[bytes[i] & 0x0F]);
    }
    return dump;
}

std::string dump_in_lines(const std::string& hex) {
    std::string out;
    out.reserve(hex.size() + hex.size() / (3 * dump_bytes_per_line) + 1);
    std::size_t bytes = 0;
    for (const char c : hex) {
        if (c == ' ' && ++bytes % dump_bytes_per_line == 0) {
            out += "\r\n";
        } else {
            out += c;
        }
    }
    return out;
}

} // namespace kestrov::tags
