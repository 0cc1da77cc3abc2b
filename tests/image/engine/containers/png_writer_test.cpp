#include "image/engine/container_writer.h"
#include "image/engine/formats/png/png_format.h"
#include "image/engine/formats/png/png_layout.h"

#include "image/engine/containers/format_test_support.h"
#include "image/engine/containers/png_test_bytes.h"
#include "image/engine/containers/tiff_builder.h"

#include <gtest/gtest.h>

#include <functional>
#include <ostream>

namespace kestrov::imaging {
namespace {

using namespace testing;

decoded_metadata read(const std::vector<std::byte>& file) {
    auto read = opened(read_png, file);
    EXPECT_EQ(read.result, status::ok);
    return std::move(read.metadata);
}

std::vector<std::byte> saved(const std::vector<std::byte>& file,
                             const std::function<void(property_list&)>& change) {
    const auto out = saved_with(read_png, write_png, file, change);
    EXPECT_EQ(out.result, status::ok);
    return out.bytes;
}

std::vector<std::string> chunk_types(const std::vector<std::byte>& file) {
    const auto metadata = read(file);
    std::vector<std::string> types;
    for (const auto& c : dynamic_cast<const png_layout&>(*metadata.layout).chunks) {
        types.emplace_back(c.type.begin(), c.type.end());
    }
    return types;
}

const auto photo = [] {
    tiff_contents exif;
    exif.ifd0 = {ascii(0x010F, "Canon")};
    return png_file({text_chunk("Title", "Old title"), text_chunk("XML:com.adobe.xmp", "<x/>"),
                     make_chunk("eXIf", build_tiff(exif, byte_order::big))});
}();

TEST(PngWriter, UnchangedItemsWriteTheSameBytes) {
    EXPECT_EQ(saved(photo, [](property_list&) {}), photo);
}

// Items set on a file, what they read back as, and the chunks the file is then made of.
struct text_edit {
    const char* name;
    std::vector<std::byte> file;
    std::vector<property> set;
    std::vector<property> read_back;
    std::vector<std::string> chunks;
};

void PrintTo(const text_edit& edit, std::ostream* out) {
    *out << edit.name;
}

class PngWriterEdit : public ::testing::TestWithParam<text_edit> {};

TEST_P(PngWriterEdit, ReadsBackInTheChunksExpected) {
    const text_edit& edit = GetParam();
    const auto out = saved(edit.file, [&](property_list& items) {
        for (const property& item : edit.set) {
            items.set(item);
        }
    });
    const auto reread = read(out);
    for (const property& item : edit.read_back) {
        ASSERT_NE(reread.properties.find(item.id), nullptr) << item.id;
        EXPECT_EQ(reread.properties.find(item.id)->value, item.value) << item.id;
    }
    EXPECT_EQ(chunk_types(out), edit.chunks);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PngWriterEdit,
    ::testing::Values(text_edit{"ReplacesTextChunksInPlaceAndKeepsTheOthers",
                                photo,
                                {text_item(0x0320, "Žluťoučký kůň")}, // not ASCII: an iTXt chunk
                                {text_item(0x0320, "Žluťoučký kůň"), text_item(0x010F, "Canon")},
                                {"IHDR", "iTXt", "tEXt", "eXIf", "IDAT", "IEND"}},
                      text_edit{"NewTextsAndOtherItemsGoBeforeTheImageData",
                                png_file({}),
                                {text_item(0x013B, "Eva"),
                                 text_item(0x0110, "EOS 40D"), // a text keyword too: Source
                                 text_item(0x010F, "Canon")},  // no keyword: the eXIf block
                                {text_item(0x013B, "Eva"), text_item(0x010F, "Canon")},
                                {"IHDR", "eXIf", "tEXt", "tEXt", "IDAT", "IEND"}}),
    [](const ::testing::TestParamInfo<text_edit>& each) { return each.param.name; });

TEST(PngWriter, RemovingItemsDropsTheirChunksOrEntries) {
    const auto out = saved(photo, [](property_list& items) {
        items.remove(0x0320);
        items.remove(0x010F);
    });
    const auto reread = read(out);
    EXPECT_EQ(reread.properties.find(0x0320), nullptr);
    EXPECT_EQ(reread.properties.find(0x010F), nullptr);
    EXPECT_EQ(chunk_types(out), (std::vector<std::string>{"IHDR", "tEXt", "eXIf", "IDAT", "IEND"}));
}

TEST(PngWriter, ARemovedOrReplacedItemNeverComesBackFromAnotherChunk) {
    // Two Title texts; an Author text and a tIME hidden by the eXIf block's Artist and DateTime;
    // XMP, which gives no item.
    tiff_contents exif;
    exif.ifd0 = {ascii(0x013B, "Exif artist"), ascii(0x0132, "2001:02:03 04:05:06")};
    const auto file =
        png_file({text_chunk("Title", "First"), text_chunk("Title", "Second"),
                  text_chunk("Author", "Text author"), text_chunk("XML:com.adobe.xmp", "<x/>"),
                  make_chunk("tIME", bytes_of({0x07, 0xE8, 3, 5, 7, 8, 9})),
                  make_chunk("eXIf", build_tiff(exif, byte_order::little))});
    ASSERT_EQ(read(file).properties.find(0x013B)->value, text_item(0, "Exif artist").value);
    const auto removed = read(saved(file, [](property_list& items) {
        items.remove(0x0320);
        items.remove(0x013B);
        items.remove(0x0132);
    }));
    EXPECT_EQ(removed.properties.find(0x0320), nullptr);
    EXPECT_EQ(removed.properties.find(0x013B), nullptr);
    EXPECT_EQ(removed.properties.find(0x0132), nullptr);
    const auto replaced = read(saved(file, [](property_list& items) {
        items.set(text_item(0x0320, "Nový"));
        items.set(text_item(0x013B, "Eva"));
        items.set({0x0000, 1, bytes_of({2, 3, 0, 0})}); // GPS version: item 0, no keyword
    }));
    EXPECT_EQ(replaced.properties.find(0x0320)->value, text_item(0, "Nový").value);
    EXPECT_EQ(replaced.properties.find(0x013B)->value, text_item(0, "Eva").value);
    const auto texts = dynamic_cast<const png_layout&>(*replaced.layout).texts.size();
    EXPECT_EQ(texts, 2U) << "the new Title and the XMP stay; Artist lives in the eXIf block";
}

TEST(PngWriter, ADamagedFileIsNotRewritten) {
    auto damaged = photo;
    damaged.resize(damaged.size() - 6); // IEND cut
    const auto out = saved_with(read_png, write_png, damaged,
                                [](property_list& items) { items.set(text_item(0x013B, "Eva")); });
    EXPECT_NE(out.result, status::ok);
}

} // namespace
} // namespace kestrov::imaging
