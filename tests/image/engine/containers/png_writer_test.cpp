#include "image/engine/container_writer.h"
#include "image/engine/formats/png/png_format.h"
#include "image/engine/formats/png/png_layout.h"

#include "image/engine/containers/png_test_bytes.h"
#include "image/engine/containers/tiff_builder.h"

#include <gtest/gtest.h>

#include <functional>

namespace kestrov::imaging {
namespace {

using namespace testing;

property text_item(std::uint32_t id, const std::string& text) {
    auto value = bytes_of(text);
    value.push_back(std::byte{0});
    return {id, 2, value};
}

decoded_metadata read(const std::vector<std::byte>& file) {
    memory_source source(file);
    decoded_metadata metadata;
    EXPECT_EQ(read_png(source, metadata), status::ok);
    metadata.as_read = metadata.properties;
    return metadata;
}

std::vector<std::byte> saved(const std::vector<std::byte>& file,
                             const std::function<void(property_list&)>& change) {
    memory_source source(file);
    auto metadata = read(file);
    change(metadata.properties);
    memory_sink sink;
    EXPECT_EQ(write_png(source, metadata, sink), status::ok);
    return sink.bytes();
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

TEST(PngWriter, ReplacesTextChunksInPlaceAndKeepsTheOthers) {
    const auto out = saved(photo, [](property_list& items) {
        items.set(text_item(0x0320, "Žluťoučký kůň")); // not ASCII: an iTXt chunk
    });
    const auto reread = read(out);
    EXPECT_EQ(reread.properties.find(0x0320)->value, text_item(0, "Žluťoučký kůň").value);
    EXPECT_EQ(reread.properties.find(0x010F)->value, text_item(0, "Canon").value);
    EXPECT_EQ(chunk_types(out),
              (std::vector<std::string>{"IHDR", "iTXt", "tEXt", "eXIf", "IDAT", "IEND"}));
}

TEST(PngWriter, NewTextsAndOtherItemsGoBeforeTheImageData) {
    const auto plain = png_file({});
    const auto out = saved(plain, [](property_list& items) {
        items.set(text_item(0x013B, "Eva"));
        items.set(text_item(0x0110, "EOS 40D")); // a text keyword too: Source
        items.set(text_item(0x010F, "Canon"));   // no keyword: the eXIf block
    });
    const auto reread = read(out);
    EXPECT_EQ(reread.properties.find(0x013B)->value, text_item(0, "Eva").value);
    EXPECT_EQ(reread.properties.find(0x010F)->value, text_item(0, "Canon").value);
    EXPECT_EQ(chunk_types(out),
              (std::vector<std::string>{"IHDR", "eXIf", "tEXt", "tEXt", "IDAT", "IEND"}));
}

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
    memory_source source(damaged);
    decoded_metadata metadata;
    ASSERT_EQ(read_png(source, metadata), status::ok);
    metadata.as_read = metadata.properties;
    metadata.properties.set(text_item(0x013B, "Eva"));
    memory_sink sink;
    EXPECT_NE(write_png(source, metadata, sink), status::ok);
}

} // namespace
} // namespace kestrov::imaging
