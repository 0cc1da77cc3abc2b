#include "image/engine/container_writer.h"
#include "image/engine/containers/jpeg_reader.h"

#include "image/engine/containers/tiff_builder.h"

#include <gtest/gtest.h>

#include <functional>

namespace kestrov::imaging {
namespace {

using namespace testing;

std::vector<std::byte> concat(std::initializer_list<std::vector<std::byte>> parts) {
    std::vector<std::byte> out;
    for (const auto& part : parts) {
        out.insert(out.end(), part.begin(), part.end());
    }
    return out;
}

std::vector<std::byte> segment(std::uint8_t marker, const std::vector<std::byte>& payload) {
    const auto length = payload.size() + 2;
    return concat({bytes_of({0xFF, marker, static_cast<std::uint8_t>(length >> 8),
                             static_cast<std::uint8_t>(length & 0xFF)}),
                   payload});
}

const auto jfif = segment(0xE0, bytes_of("JFIF"));
const auto quantisation = segment(0xDB, bytes_of({0, 1, 2, 3}));
const auto scan = bytes_of({0xFF, 0xDA, 0x00, 0x02, 0x11, 0xFF, 0x00, 0x22, 0xFF, 0xD9});

std::vector<std::byte> exif_segment(byte_order order) {
    tiff_contents contents;
    contents.ifd0 = {ascii(0x010F, "Nikon"), ascii(0x0131, "v1")};
    return segment(0xE1, concat({bytes_of(exif_header), build_tiff(contents, order)}));
}

// Reads `file`, lets `change` edit its items, and writes it again.
std::vector<std::byte> saved(const std::vector<std::byte>& file,
                             const std::function<void(property_list&)>& change,
                             status expected = status::ok) {
    memory_source source(file);
    decoded_metadata metadata;
    EXPECT_EQ(read_jpeg(source, metadata), status::ok);
    change(metadata.properties);
    memory_sink sink;
    EXPECT_EQ(write_jpeg(source, metadata, sink), expected);
    return sink.bytes();
}

property text_item(std::uint32_t id, const std::string& text) {
    return {id, 2, ascii(0, text).value};
}

// An Exif block that is there but cannot be read (an impossible entry count in IFD0) may still
// hold a maker note: a save with nothing to change keeps it byte for byte, a save with items to
// write is refused, and the block is never replaced by a new one.
TEST(JpegWriter, AnUnreadableExifBlockIsKeptOrTheSaveRefused) {
    tiff_contents contents;
    contents.ifd0 = {ascii(0x010F, "Nikon"), ascii(0x0131, "v1")};
    contents.exif = {undefined(0x927C, {'M', 'A', 'K', 'E', 'R', 'N', 'O', 'T', 'E', '!'})};
    auto block = build_tiff(contents, byte_order::little);
    store_u16(block.data() + 8, 1001, byte_order::little);
    const auto file =
        concat({bytes_of({0xFF, 0xD8}), jfif, segment(0xE1, concat({bytes_of(exif_header), block})),
                quantisation, scan});
    EXPECT_EQ(saved(file, [](property_list&) {}), file);
    saved(
        file, [](property_list& items) { items.set(text_item(0x013B, "Eva")); },
        status::win32_error);
}

TEST(JpegWriter, UnchangedItemsWriteTheSameBytes) {
    const auto file =
        concat({bytes_of({0xFF, 0xD8}), jfif, exif_segment(byte_order::big), quantisation, scan});
    EXPECT_EQ(saved(file, [](property_list&) {}), file);
}

TEST(JpegWriter, ReplacesTheExifSegmentAndCopiesEverythingElse) {
    const auto head = concat({bytes_of({0xFF, 0xD8}), jfif});
    const auto tail = concat({quantisation, scan});
    const auto file = concat({head, exif_segment(byte_order::little), tail});
    const auto out = saved(file, [](property_list& items) { items.set(text_item(0x013B, "Eva")); });
    ASSERT_GT(out.size(), head.size() + tail.size());
    EXPECT_TRUE(std::equal(head.begin(), head.end(), out.begin()));
    EXPECT_TRUE(std::equal(tail.rbegin(), tail.rend(), out.rbegin()));

    memory_source source(out);
    decoded_metadata reread;
    ASSERT_EQ(read_jpeg(source, reread), status::ok);
    EXPECT_EQ(reread.properties.find(0x013B)->value, text_item(0, "Eva").value);
    EXPECT_EQ(reread.properties.find(0x010F)->value, text_item(0, "Nikon").value);
}

TEST(JpegWriter, CreatesTheExifSegmentAfterJfifWhenThereIsNone) {
    const auto file = concat({bytes_of({0xFF, 0xD8}), jfif, quantisation, scan});
    const auto out =
        saved(file, [](property_list& items) { items.set(text_item(0x0320, "Název")); });
    memory_source source(out);
    decoded_metadata reread;
    ASSERT_EQ(read_jpeg(source, reread), status::ok);
    EXPECT_EQ(reread.properties.find(0x0320)->value, text_item(0, "Název").value);
    const auto& layout = dynamic_cast<const jpeg_layout&>(*reread.layout);
    ASSERT_EQ(layout.exif_segment, 1U);
    EXPECT_EQ(layout.segments[0].marker, 0xE0);
}

TEST(JpegWriter, RefusesAnExifBlockPastTheSegmentLimit) {
    const auto file = concat({bytes_of({0xFF, 0xD8}), exif_segment(byte_order::big), scan});
    saved(
        file,
        [](property_list& items) {
            items.set({0x010E, 2, std::vector<std::byte>(70000, std::byte{'a'})});
        },
        status::value_overflow);
}

} // namespace
} // namespace kestrov::imaging
