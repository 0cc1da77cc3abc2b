#include "image/engine/containers/tiff_builder.h"

#include "image/engine/format_facts.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>

namespace kestrov::imaging::testing {

namespace {

std::vector<std::byte> in_order(const field& f, byte_order order) {
    std::vector<std::byte> value = f.value;
    const std::size_t unit = tiff_byte_order_unit(f.type);
    if (order == byte_order::big && unit > 1) {
        for (std::size_t i = 0; i + unit <= value.size(); i += unit) {
            std::reverse(value.begin() + static_cast<std::ptrdiff_t>(i),
                         value.begin() + static_cast<std::ptrdiff_t>(i + unit));
        }
    }
    return value;
}

class writer {
public:
    explicit writer(byte_order order) : order_(order) {}

    std::uint32_t size() const { return static_cast<std::uint32_t>(out_.size()); }
    void u16(std::uint16_t v) {
        std::byte b[2];
        store_u16(b, v, order_);
        out_.insert(out_.end(), b, b + 2);
    }
    void u32(std::uint32_t v) {
        std::byte b[4];
        store_u32(b, v, order_);
        out_.insert(out_.end(), b, b + 4);
    }
    void patch_u32(std::size_t at, std::uint32_t v) { store_u32(out_.data() + at, v, order_); }
    void append(const std::vector<std::byte>& bytes) {
        out_.insert(out_.end(), bytes.begin(), bytes.end());
    }
    std::vector<std::byte>& bytes() { return out_; }

    // Writes a directory at the current end; returns where each tag's value field lies.
    std::map<std::uint16_t, std::size_t> directory(const std::vector<field>& fields,
                                                   std::size_t& next_at) {
        std::vector<field> sorted = fields;
        std::stable_sort(sorted.begin(), sorted.end(),
                         [](const field& a, const field& b) { return a.tag < b.tag; });
        const std::uint32_t start = size();
        const auto entries_end = start + 2 + static_cast<std::uint32_t>(sorted.size()) * 12 + 4;
        std::uint32_t data = entries_end;
        std::map<std::uint16_t, std::size_t> value_fields;
        u16(static_cast<std::uint16_t>(sorted.size()));
        std::vector<std::vector<std::byte>> outside;
        for (const auto& f : sorted) {
            u16(f.tag);
            u16(f.type);
            u32(f.count);
            value_fields[f.tag] = out_.size();
            auto value = in_order(f, order_);
            if (value.size() <= 4) {
                value.resize(4);
                append(value);
            } else {
                u32(data);
                data += static_cast<std::uint32_t>(value.size() + value.size() % 2);
                outside.push_back(std::move(value));
            }
        }
        next_at = out_.size();
        u32(0);
        for (auto& value : outside) {
            if (value.size() % 2 != 0) {
                value.push_back(std::byte{0});
            }
            append(value);
        }
        return value_fields;
    }

private:
    byte_order order_;
    std::vector<std::byte> out_;
};

void append_le(std::vector<std::byte>& out, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) {
        out.push_back(static_cast<std::byte>((value >> (8 * i)) & 0xFF));
    }
}

} // namespace

field ascii(std::uint16_t tag, const std::string& text) {
    auto value = bytes_of(text);
    value.push_back(std::byte{0});
    return {tag, 2, static_cast<std::uint32_t>(value.size()), value};
}

field raw_ascii(std::uint16_t tag, std::initializer_list<std::uint8_t> bytes) {
    return {tag, 2, static_cast<std::uint32_t>(bytes.size()), bytes_of(bytes)};
}

field undefined(std::uint16_t tag, std::initializer_list<std::uint8_t> bytes) {
    return {tag, 7, static_cast<std::uint32_t>(bytes.size()), bytes_of(bytes)};
}

field shorts(std::uint16_t tag, std::initializer_list<std::uint16_t> values) {
    field f{tag, 3, static_cast<std::uint32_t>(values.size()), {}};
    for (const auto v : values) {
        append_le(f.value, v, 2);
    }
    return f;
}

field longs(std::uint16_t tag, std::initializer_list<std::uint32_t> values) {
    field f{tag, 4, static_cast<std::uint32_t>(values.size()), {}};
    for (const auto v : values) {
        append_le(f.value, v, 4);
    }
    return f;
}

field rationals(std::uint16_t tag,
                std::initializer_list<std::pair<std::uint32_t, std::uint32_t>> values) {
    field f{tag, 5, static_cast<std::uint32_t>(values.size()), {}};
    for (const auto& [numerator, denominator] : values) {
        append_le(f.value, numerator, 4);
        append_le(f.value, denominator, 4);
    }
    return f;
}

std::vector<std::byte> build_tiff(const tiff_contents& contents, byte_order order) {
    writer w(order);
    w.bytes() = order == byte_order::little ? bytes_of({'I', 'I'}) : bytes_of({'M', 'M'});
    w.u16(42);
    w.u32(8);

    std::vector<field> ifd0 = contents.ifd0;
    if (!contents.exif.empty()) {
        ifd0.push_back(longs(0x8769, {0}));
    }
    if (!contents.gps.empty()) {
        ifd0.push_back(longs(0x8825, {0}));
    }
    std::size_t ifd0_next = 0;
    auto ifd0_fields = w.directory(ifd0, ifd0_next);
    std::size_t ignored = 0;
    if (!contents.exif.empty()) {
        w.patch_u32(ifd0_fields[0x8769], w.size());
        w.directory(contents.exif, ignored);
    }
    if (!contents.gps.empty()) {
        w.patch_u32(ifd0_fields[0x8825], w.size());
        w.directory(contents.gps, ignored);
    }
    if (!contents.ifd1.empty() || !contents.thumbnail.empty()) {
        w.patch_u32(ifd0_next, w.size());
        std::vector<field> ifd1 = contents.ifd1;
        if (!contents.thumbnail.empty()) {
            ifd1.push_back(longs(0x0201, {0}));
            ifd1.push_back(longs(0x0202, {static_cast<std::uint32_t>(contents.thumbnail.size())}));
        }
        auto ifd1_fields = w.directory(ifd1, ignored);
        if (!contents.thumbnail.empty()) {
            w.patch_u32(ifd1_fields[0x0201], w.size());
            w.append(contents.thumbnail);
        }
    }
    return w.bytes();
}

std::vector<std::byte> build_tiff_of_size(tiff_contents contents, std::size_t size,
                                          byte_order order) {
    contents.thumbnail = bytes_of({0xFF, 0xD8, 0xFF, 0xD9});
    const std::size_t smallest = build_tiff(contents, order).size();
    contents.thumbnail.insert(contents.thumbnail.begin() + 2, size - smallest, std::byte{0x55});
    return build_tiff(contents, order);
}

std::unique_ptr<image> tiff_image(const tiff_contents& contents) {
    auto out = image::from_bytes(build_tiff(contents, byte_order::big));
    EXPECT_EQ(out->last_status(), status::ok);
    return out;
}

std::vector<std::byte> jpeg_with_exif(const std::vector<std::byte>& block) {
    const std::size_t length = 2 + std::size(exif_header_bytes) + block.size();
    std::vector<std::byte> out =
        bytes_of({0xFF, 0xD8, 0xFF, 0xE1, static_cast<std::uint8_t>(length >> 8),
                  static_cast<std::uint8_t>(length & 0xFF)});
    const auto header = bytes_of(exif_header);
    out.insert(out.end(), header.begin(), header.end());
    out.insert(out.end(), block.begin(), block.end());
    const auto scan = bytes_of({0xFF, 0xDA, 0x00, 0x02, 0x11, 0xFF, 0x00, 0x22, 0xFF, 0xD9});
    out.insert(out.end(), scan.begin(), scan.end());
    return out;
}

} // namespace kestrov::imaging::testing
