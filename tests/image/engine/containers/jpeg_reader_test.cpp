#include "image/engine/formats/jpeg/jpeg_format.h"
#include "image/engine/formats/jpeg/jpeg_reader.h"

#include "image/engine/containers/tiff_builder.h"

#include <gtest/gtest.h>

namespace kestrov::imaging {
namespace {

using namespace testing;

std::vector<std::byte> segment(std::uint8_t marker, const std::vector<std::byte>& payload) {
    std::vector<std::byte> out = bytes_of({0xFF, marker});
    const auto length = payload.size() + 2;
    out.push_back(static_cast<std::byte>(length >> 8));
    out.push_back(static_cast<std::byte>(length & 0xFF));
    out.insert(out.end(), payload.begin(), payload.end());
    return out;
}

std::vector<std::byte> exif_payload(const tiff_contents& contents) {
    auto payload = bytes_of(exif_header);
    const auto block = build_tiff(contents, byte_order::big);
    payload.insert(payload.end(), block.begin(), block.end());
    return payload;
}

std::vector<std::byte> jpeg(std::initializer_list<std::vector<std::byte>> segments) {
    auto out = bytes_of({0xFF, 0xD8});
    for (const auto& s : segments) {
        out.insert(out.end(), s.begin(), s.end());
    }
    const auto scan = bytes_of({0xFF, 0xDA, 0x00, 0x02, 0x12, 0x34, 0xFF, 0x00, 0xFF, 0xD9});
    out.insert(out.end(), scan.begin(), scan.end());
    return out;
}

tiff_contents small_exif() {
    tiff_contents contents;
    contents.ifd0 = {ascii(0x010F, "Nikon"), ascii(0x013B, "Eva")};
    contents.exif = {rationals(0x920A, {{50, 1}})};
    return contents;
}

status read(const std::vector<std::byte>& file, decoded_metadata& out) {
    memory_source source(file);
    return read_jpeg(source, out);
}

TEST(JpegReader, ReadsTheExifApp1AfterJfifAndXmpSegments) {
    const auto file =
        jpeg({segment(0xE0, bytes_of("JFIF")),
              segment(0xE1, bytes_of("http://ns.adobe.com/xap/1.0/\0<x/>")),
              segment(0xE1, exif_payload(small_exif())), segment(0xDB, bytes_of({0, 1, 2}))});
    decoded_metadata out;
    ASSERT_EQ(read(file, out), status::ok);
    EXPECT_EQ(out.format, image_format::jpeg);
    EXPECT_TRUE(out.warnings.empty());
    ASSERT_NE(out.properties.find(0x013B), nullptr);
    EXPECT_EQ(out.properties.find(0x013B)->value, ascii(0, "Eva").value);
    EXPECT_NE(out.properties.find(0x920A), nullptr);

    const auto& layout = dynamic_cast<const jpeg_layout&>(*out.layout);
    ASSERT_EQ(layout.segments.size(), 4U);
    EXPECT_EQ(layout.exif_segment, 2U);
    ASSERT_TRUE(layout.scan_offset);
    EXPECT_EQ(std::to_integer<int>(file[*layout.scan_offset + 1]), 0xDA);
}

TEST(JpegReader, OnlyTheFirstExifSegmentCounts) {
    auto second = small_exif();
    second.ifd0 = {ascii(0x013B, "Other")};
    const auto file =
        jpeg({segment(0xE1, exif_payload(small_exif())), segment(0xE1, exif_payload(second))});
    decoded_metadata out;
    ASSERT_EQ(read(file, out), status::ok);
    EXPECT_EQ(out.properties.find(0x013B)->value, ascii(0, "Eva").value);
}

TEST(JpegReader, SkipsFillBytesBeforeMarkers) {
    auto file = bytes_of({0xFF, 0xD8, 0xFF, 0xFF, 0xFF});
    const auto app1 = segment(0xE1, exif_payload(small_exif()));
    file.insert(file.end(), app1.begin() + 1, app1.end()); // 0xFF fill, then the marker
    const auto scan = bytes_of({0xFF, 0xDA, 0x00, 0x02});
    file.insert(file.end(), scan.begin(), scan.end());
    decoded_metadata out;
    ASSERT_EQ(read(file, out), status::ok);
    EXPECT_NE(out.properties.find(0x010F), nullptr);
}

TEST(JpegReader, WithoutStartOfImageItIsNoJpeg) {
    decoded_metadata out;
    EXPECT_NE(read(bytes_of({0xFF, 0xD9}), out), status::ok);
    EXPECT_NE(read(bytes_of({}), out), status::ok);
}

TEST(JpegReader, DamagedExifKeepsTheFileReadable) {
    auto payload = exif_payload(small_exif());
    payload[6] = std::byte{'X'}; // no byte-order mark
    decoded_metadata out;
    ASSERT_EQ(read(jpeg({segment(0xE1, payload)}), out), status::ok);
    EXPECT_EQ(out.properties.size(), 0U);
    EXPECT_FALSE(out.warnings.empty());
}

TEST(JpegReader, EveryTruncationStaysInsideTheData) {
    const auto file =
        jpeg({segment(0xE0, bytes_of("JFIF")), segment(0xE1, exif_payload(small_exif()))});
    const std::size_t scan_marker_end = file.size() - 10 + 2;
    for (std::size_t length = 0; length <= file.size(); ++length) {
        const std::vector<std::byte> cut(file.begin(), file.begin() + static_cast<long>(length));
        decoded_metadata out;
        // Cut before the scan's marker, the file is reported as damaged.
        if (read(cut, out) == status::ok && length < scan_marker_end) {
            EXPECT_FALSE(out.warnings.empty()) << length;
        }
    }
}

TEST(JpegReader, ASegmentLengthBelowTwoEndsTheWalkWithAWarning) {
    for (const std::uint8_t length : {std::uint8_t{0}, std::uint8_t{1}}) {
        auto file = bytes_of({0xFF, 0xD8, 0xFF, 0xE1, 0x00, length, 0xFF, 0xDA, 0x00, 0x02});
        decoded_metadata out;
        ASSERT_EQ(read(file, out), status::ok);
        EXPECT_FALSE(out.warnings.empty());
        EXPECT_FALSE(dynamic_cast<const jpeg_layout&>(*out.layout).scan_offset);
    }
}

TEST(JpegReader, GarbageAfterASegmentEndsTheWalkWithAWarning) {
    auto file = bytes_of({0xFF, 0xD8});
    const auto app1 = segment(0xE1, exif_payload(small_exif()));
    file.insert(file.end(), app1.begin(), app1.end());
    const auto garbage = bytes_of({0x00, 0x11, 0x22});
    file.insert(file.end(), garbage.begin(), garbage.end());
    decoded_metadata out;
    ASSERT_EQ(read(file, out), status::ok);
    EXPECT_NE(out.properties.find(0x010F), nullptr);
    EXPECT_FALSE(out.warnings.empty());
}

} // namespace
} // namespace kestrov::imaging
