#include "image/engine/container_writer.h"
#include "image/engine/formats/jpeg/jpeg_format.h"
#include "image/engine/formats/jpeg/jpeg_reader.h"

#include "base/hresult.h"
#include "base/last_error.h"
#include "image/engine/containers/format_test_support.h"
#include "image/engine/containers/tiff_builder.h"

#include <gtest/gtest.h>

#include <functional>

namespace kestrov::imaging {
namespace {

using namespace testing;

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
    const auto out = saved_with(read_jpeg, write_jpeg, file, change);
    EXPECT_EQ(out.result, expected);
    return out.bytes;
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

    const auto reread = opened(read_jpeg, out);
    ASSERT_EQ(reread.result, status::ok);
    EXPECT_EQ(reread.metadata.properties.find(0x013B)->value, text_item(0, "Eva").value);
    EXPECT_EQ(reread.metadata.properties.find(0x010F)->value, text_item(0, "Nikon").value);
}

TEST(JpegWriter, CreatesTheExifSegmentAfterJfifWhenThereIsNone) {
    const auto file = concat({bytes_of({0xFF, 0xD8}), jfif, quantisation, scan});
    const auto out =
        saved(file, [](property_list& items) { items.set(text_item(0x0320, "Název")); });
    const auto reread = opened(read_jpeg, out);
    ASSERT_EQ(reread.result, status::ok);
    EXPECT_EQ(reread.metadata.properties.find(0x0320)->value, text_item(0, "Název").value);
    const auto& layout = dynamic_cast<const jpeg_layout&>(*reread.metadata.layout);
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

// A camera's block without a maker note: every byte belongs to a directory, a value or the
// thumbnail.
tiff_contents plain_camera() {
    tiff_contents contents;
    contents.ifd0 = {ascii(0x010F, "Canon"), ascii(0x013B, "Jan Novák"),
                     ascii(0x0131, "firmware 1.0")};
    contents.exif = {rationals(0x829A, {{1, 160}}), ascii(0x9003, "2024:05:01 10:00:00")};
    contents.ifd1 = {shorts(0x0103, {6})};
    return contents;
}

// A block a few bytes short of the segment limit has no room for rewritten directories after it.
// Holding nothing a reader did not parse, it is laid out anew, and every item but the edited one
// reads as before.
TEST(JpegWriter, ABlockNearTheSegmentLimitIsLaidOutAnewToTakeAnEdit) {
    for (const auto order : {byte_order::little, byte_order::big}) {
        const auto file =
            jpeg_with_exif(build_tiff_of_size(plain_camera(), largest_exif_block - 6, order));
        const auto artist = text_item(0x013B, "Jan Nováková"); // four bytes longer
        const auto out = saved(file, [&](property_list& items) { items.set(artist); });
        auto before = opened(read_jpeg, file);
        const auto after = opened(read_jpeg, out);
        ASSERT_EQ(before.result, status::ok);
        ASSERT_EQ(after.result, status::ok);
        EXPECT_TRUE(after.metadata.warnings.empty());
        before.metadata.properties.set(artist);
        EXPECT_EQ(after.metadata.properties, before.metadata.properties);
    }
}

// A maker note's offsets may lead anywhere in the block, here to private data after the
// thumbnail: near the limit, an edit that fits in the bytes of the directory it replaces is
// written back there, and one that does not is refused with its own error, never written over
// bytes the note may use.
TEST(JpegWriter, NearTheSegmentLimitAMakerNoteBlockIsRewrittenInPlaceOrRefused) {
    auto contents = plain_camera();
    contents.exif.push_back(undefined(0x927C, {'N', 'O', 'T', 'E', 0xF0, 0xFF, 0, 0}));
    const std::vector<std::byte> private_data(32, std::byte{0x77});
    auto block = build_tiff_of_size(contents, largest_exif_block - 6 - private_data.size(),
                                    byte_order::little);
    block.insert(block.end(), private_data.begin(), private_data.end());
    const auto file = jpeg_with_exif(block);

    const auto out =
        saved(file, [](property_list& items) { items.set(text_item(0x013B, "Eva Novák")); });
    const auto after = opened(read_jpeg, out);
    ASSERT_EQ(after.result, status::ok);
    EXPECT_EQ(after.metadata.properties.find(0x013B)->value, text_item(0, "Eva Novák").value);
    // From the Exif directory on (maker note, thumbnail, private data), nothing moved.
    const auto& layout = dynamic_cast<const jpeg_layout&>(*after.metadata.layout);
    const std::size_t exif_at =
        2 + 4 + 6 + layout.exif_structure.find(tiff_directory::exif)->offset;
    ASSERT_EQ(out.size(), file.size());
    EXPECT_TRUE(std::equal(file.begin() + static_cast<long>(exif_at), file.end(),
                           out.begin() + static_cast<long>(exif_at)));

    set_last_error(win32::error_success);
    EXPECT_TRUE(saved(
                    file,
                    [](property_list& items) { items.set(text_item(0x013B, "Eva Nováková")); },
                    status::value_overflow)
                    .empty());
    EXPECT_EQ(last_error(), win32::error_file_too_large);
}

} // namespace
} // namespace kestrov::imaging
