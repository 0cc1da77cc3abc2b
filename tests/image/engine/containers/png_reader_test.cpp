#include "image/engine/formats/png/png_format.h"
#include "image/engine/formats/png/png_layout.h"

#include "image/engine/containers/format_test_support.h"
#include "image/engine/containers/png_test_bytes.h"
#include "image/engine/containers/tiff_builder.h"
#include "image/engine/property_item.h"

#include <gtest/gtest.h>

namespace kestrov::imaging {
namespace {

using namespace testing;

status read(const std::vector<std::byte>& file, decoded_metadata& out) {
    memory_source source(file);
    return read_png(source, out);
}

const png_layout& layout_of(const decoded_metadata& out) {
    return dynamic_cast<const png_layout&>(*out.layout);
}

// The text item `id` without its terminating zero; "(none)" when there is no such item and
// "(not text)" when it is not zero-terminated ASCII.
std::string text_item(const decoded_metadata& out, std::uint32_t id) {
    const auto* item = out.properties.find(id);
    if (item == nullptr) {
        return "(none)";
    }
    auto text = value_text(*item);
    if (item->type != property_type::ascii || text.empty() || text.back() != '\0') {
        return "(not text)";
    }
    text.pop_back();
    return text;
}

// zlib streams made with python3's zlib: Latin-1 "Café au lait, na zdraví" and UTF-8
// "Žluťoučký kůň".
const auto latin1_stream = bytes_of(
    {0x78, 0xda, 0x73, 0x4e, 0x4c, 0x7b, 0xa9, 0x90, 0x58, 0xaa, 0x90, 0x93, 0x98, 0x59, 0xa2, 0xa3,
     0x90, 0x97, 0xa8, 0x50, 0x95, 0x52, 0x94, 0x58, 0xf6, 0x16, 0x00, 0x66, 0xe0, 0x09, 0x03});
const auto utf8_stream =
    bytes_of({0x78, 0xda, 0x3b, 0xba, 0x37, 0xa7, 0xf4, 0xe8, 0xd2, 0xfc, 0xd2, 0x23, 0xbd, 0xd9,
              0x87, 0xf7, 0x2a, 0x64, 0x1f, 0x5d, 0x7f, 0xb4, 0x03, 0x00, 0x71, 0x26, 0x0b, 0x3a});

std::vector<std::byte> with_bad_crc(std::vector<std::byte> chunk) {
    chunk.back() ^= std::byte{0x5A};
    return chunk;
}

// Each case: the file holds one damaged chunk, which gives no item and one warning.
void expect_skipped_with_a_warning(std::initializer_list<std::vector<std::byte>> chunks) {
    for (const auto& chunk : chunks) {
        decoded_metadata out;
        ASSERT_EQ(read(png_file({chunk}), out), status::ok);
        EXPECT_EQ(out.properties.size(), 0U);
        EXPECT_EQ(out.warnings.size(), 1U);
    }
}

TEST(PngReader, ListsEveryChunkSoThatItCanBeCopied) {
    const auto file = png_file({make_chunk("sRGB", bytes_of({0})), text_chunk("date", "T")});
    decoded_metadata out;
    ASSERT_EQ(read(file, out), status::ok);
    EXPECT_EQ(out.format, image_format::png);
    EXPECT_EQ(out.properties.size(), 0U);
    EXPECT_TRUE(out.warnings.empty());
    const auto& layout = layout_of(out);
    ASSERT_EQ(layout.chunks.size(), 5U);
    std::uint64_t offset = 8;
    for (const auto& chunk : layout.chunks) {
        EXPECT_EQ(chunk.offset, offset);
        offset += 12 + chunk.length;
    }
    EXPECT_EQ(std::string(layout.chunks[3].type.data(), 4), "IDAT");
    EXPECT_TRUE(layout.complete);
    EXPECT_EQ(layout.end_offset, file.size());
}

TEST(PngReader, MapsEachRegisteredKeywordToItsItem) {
    const auto file =
        png_file({text_chunk("Title", "a title"), text_chunk("Author", ""),
                  text_chunk("Description", "caf\xE9"), text_chunk("Copyright", "(c) Eva"),
                  text_chunk("Software", "Mirtel"), text_chunk("Source", "a camera"),
                  text_chunk("Comment", "nice")});
    decoded_metadata out;
    ASSERT_EQ(read(file, out), status::ok);
    EXPECT_TRUE(out.warnings.empty());
    EXPECT_EQ(out.properties.size(), 7U);
    EXPECT_EQ(text_item(out, 0x0320), "a title");
    EXPECT_EQ(text_item(out, 0x013B), "");
    EXPECT_EQ(text_item(out, 0x010E), "caf\xC3\xA9"); // Latin-1 shown as UTF-8
    EXPECT_EQ(text_item(out, 0x8298), "(c) Eva");
    EXPECT_EQ(text_item(out, 0x0131), "Mirtel");
    EXPECT_EQ(text_item(out, 0x0110), "a camera");
    EXPECT_EQ(text_item(out, 0x9286), "nice");
}

TEST(PngReader, ReadsCompressedAndInternationalText) {
    decoded_metadata out;
    ASSERT_EQ(read(png_file({compressed_text_chunk("Description", latin1_stream),
                             compressed_international_text_chunk("Title", utf8_stream),
                             international_text_chunk("Author", "Ji\xC5\x99\xC3\xAD"),
                             international_text_chunk("Comment", "caf\xE9")}),
                   out),
              status::ok);
    EXPECT_EQ(text_item(out, 0x010E), "Caf\xC3\xA9 au lait, na zdrav\xC3\xAD");
    EXPECT_EQ(text_item(out, 0x0320), "\xC5\xBDlu\xC5\xA5ou\xC4\x8Dk\xC3\xBD k\xC5\xAF\xC5\x88");
    EXPECT_EQ(text_item(out, 0x013B), "Ji\xC5\x99\xC3\xAD");
    // iTXt that is not UTF-8 is read as Latin-1, with a warning.
    EXPECT_EQ(text_item(out, 0x9286), "caf\xC3\xA9");
    EXPECT_EQ(out.warnings.size(), 1U);
}

TEST(PngReader, KeepsOtherKeywordsInTheLayoutWithoutReadingTheirText) {
    const auto file =
        png_file({text_chunk("date:create", "2024"),
                  international_text_chunk("Raw profile type iptc", std::string(9000, 'x')),
                  text_chunk("Title", "T")});
    recording_source source(file);
    decoded_metadata out;
    ASSERT_EQ(read_png(source, out), status::ok);
    EXPECT_EQ(out.properties.size(), 1U);
    const auto& texts = layout_of(out).texts;
    ASSERT_EQ(texts.size(), 3U);
    EXPECT_EQ(texts[0].keyword, "date:create");
    EXPECT_EQ(texts[0].exposed_id, 0U);
    EXPECT_EQ(texts[1].keyword, "Raw profile type iptc");
    EXPECT_EQ(texts[1].kind, png_text_kind::international_text);
    EXPECT_EQ(texts[1].chunk, 2U);
    EXPECT_EQ(texts[2].exposed_id, 0x0320U);
    // Only the keyword field of a chunk that gives no item is read.
    const auto other_data = layout_of(out).chunks[2].offset + 8;
    EXPECT_FALSE(source.touched(other_data + 80, other_data + 9000));
}

// ImageMagick writes its comments under the keyword "comment".
TEST(PngReader, FirstOccurrenceOfAKeywordWinsWhateverItsLetterCase) {
    decoded_metadata out;
    ASSERT_EQ(read(png_file({text_chunk("comment", "first"), text_chunk("Comment", "second"),
                             text_chunk("TITLE", "t")}),
                   out),
              status::ok);
    EXPECT_EQ(text_item(out, 0x9286), "first");
    EXPECT_EQ(text_item(out, 0x0320), "t");
    EXPECT_EQ(layout_of(out).texts[1].exposed_id, 0U);
}

TEST(PngReader, TextChunkWithABadCrcIsSkippedWithAWarning) {
    decoded_metadata out;
    ASSERT_EQ(read(png_file({with_bad_crc(text_chunk("Title", "damaged")),
                             text_chunk("Title", "intact")}),
                   out),
              status::ok);
    EXPECT_EQ(text_item(out, 0x0320), "intact");
    ASSERT_EQ(out.warnings.size(), 1U);
    EXPECT_EQ(layout_of(out).chunks[1].crc, png_crc_state::bad);
}

TEST(PngReader, CriticalChunkWithABadCrcOnlyWarns) {
    auto file = concat({bytes_of(png_signature), with_bad_crc(png_header_chunk()),
                        with_bad_crc(make_chunk("PLTE", bytes_of({1, 2, 3}))),
                        text_chunk("Title", "T"), with_bad_crc(make_chunk("IEND", {}))});
    decoded_metadata out;
    ASSERT_EQ(read(file, out), status::ok);
    EXPECT_EQ(text_item(out, 0x0320), "T");
    EXPECT_EQ(out.warnings.size(), 3U);
    EXPECT_TRUE(layout_of(out).complete);
}

TEST(PngReader, UnreadableTextIsSkippedWithAWarning) {
    auto damaged = latin1_stream;
    damaged[10] ^= std::byte{0xFF};
    const auto truncated = std::vector<std::byte>(latin1_stream.begin(), latin1_stream.end() - 6);
    expect_skipped_with_a_warning({
        compressed_text_chunk("Title", damaged),
        compressed_text_chunk("Title", truncated),
        compressed_international_text_chunk("Title", truncated),
        make_chunk("zTXt", concat({bytes_of("Title"), bytes_of({0, 1}), latin1_stream})),
        make_chunk("tEXt", bytes_of("no separator")),
        text_chunk("", "empty keyword"),
        text_chunk(std::string(80, 'k'), "keyword too long"),
        make_chunk("iTXt", concat({bytes_of("Title"), bytes_of({0, 0, 0})})),
    });
}

TEST(PngReader, ModificationTimeBecomesDateTime) {
    decoded_metadata out;
    ASSERT_EQ(read(png_file({make_chunk("tIME", bytes_of({0x07, 0xE8, 3, 5, 7, 8, 9}))}), out),
              status::ok);
    EXPECT_EQ(text_item(out, 0x0132), "2024:03:05 07:08:09");
}

TEST(PngReader, ImpossibleOrMisshapenAncillaryChunksAreSkippedWithAWarning) {
    expect_skipped_with_a_warning({
        make_chunk("tIME", bytes_of({0x07, 0xE8, 13, 5, 7, 8, 9})),
        make_chunk("tIME", bytes_of({0x07, 0xE8, 3, 0, 7, 8, 9})),
        make_chunk("tIME", bytes_of({0x07, 0xE8, 3, 5, 24, 8, 9})),
        make_chunk("tIME", bytes_of({0x27, 0x10, 3, 5, 7, 8, 9})), // a five-digit year
        make_chunk("gAMA", big_endian(0)),
        make_chunk("gAMA", bytes_of({0, 0, 1})),
        make_chunk("pHYs", concat({big_endian(1), big_endian(1), bytes_of({2})})),
        make_chunk("pHYs", concat({big_endian(1), big_endian(1)})),
        make_chunk("cHRM", std::vector<std::byte>(33)),
    });
}

TEST(PngReader, ImageDataIsNeverRead) {
    const auto idat = make_chunk("IDAT", std::vector<std::byte>(5000, std::byte{0x55}));
    const auto file = concat({bytes_of(png_signature), png_header_chunk(), idat, idat,
                              text_chunk("Title", "after the image"), make_chunk("IEND", {})});
    recording_source source(file);
    decoded_metadata out;
    ASSERT_EQ(read_png(source, out), status::ok);
    EXPECT_EQ(text_item(out, 0x0320), "after the image");
    EXPECT_FALSE(source.touched(33 + 8, 33 + 5008));
    EXPECT_FALSE(source.touched(33 + 5012 + 8, 33 + 5012 + 5008));
}

TEST(PngReader, ExifItemsAreExposedAndWinOverTextAndTimeChunks) {
    tiff_contents contents;
    contents.ifd0 = {ascii(0x010E, "From Exif"), ascii(0x0132, "2001:02:03 04:05:06")};
    contents.exif = {rationals(0x829A, {{1, 250}})};
    const auto block = build_tiff(contents, byte_order::little);
    const auto file = png_file({text_chunk("Description", "From text"),
                                make_chunk("tIME", bytes_of({0x07, 0xE8, 3, 5, 7, 8, 9})),
                                make_chunk("eXIf", block), text_chunk("Title", "T"),
                                make_chunk("eXIf", bytes_of("a second one"))});
    decoded_metadata out;
    ASSERT_EQ(read(file, out), status::ok);
    EXPECT_EQ(text_item(out, 0x010E), "From Exif");
    EXPECT_EQ(text_item(out, 0x0132), "2001:02:03 04:05:06");
    EXPECT_NE(out.properties.find(0x829A), nullptr);
    EXPECT_EQ(text_item(out, 0x0320), "T");
    EXPECT_EQ(out.warnings.size(), 1U); // the second eXIf chunk
    const auto& layout = layout_of(out);
    EXPECT_EQ(layout.exif_chunk, 3U);
    EXPECT_EQ(layout.exif_block, block);
    EXPECT_FALSE(layout.exif_structure.ifds.empty());
    EXPECT_EQ(layout.texts[0].exposed_id, 0U);
}

TEST(PngReader, DamagedExifChunkIsSkippedWithAWarning) {
    tiff_contents contents;
    contents.ifd0 = {ascii(0x010F, "Mirtel")};
    expect_skipped_with_a_warning({
        make_chunk("eXIf", bytes_of("not a TIFF block")),
        with_bad_crc(make_chunk("eXIf", build_tiff(contents, byte_order::big))),
    });
}

TEST(PngReader, FileWithoutASoundHeaderIsUnreadable) {
    auto not_png = png_file({});
    not_png[1] = std::byte{'Q'};
    const auto first_not_header = concat(
        {bytes_of(png_signature), make_chunk("gAMA", big_endian(45455)), png_header_chunk()});
    const auto short_header =
        concat({bytes_of(png_signature), make_chunk("IHDR", std::vector<std::byte>(12))});
    const auto zero_width = concat(
        {bytes_of(png_signature),
         make_chunk("IHDR", concat({big_endian(0), big_endian(1), bytes_of({8, 0, 0, 0, 0})}))});
    for (const auto& file : {not_png, first_not_header, short_header, zero_width}) {
        decoded_metadata out;
        EXPECT_NE(read(concat({file, make_chunk("IEND", {})}), out), status::ok);
    }
}

TEST(PngReader, EveryTruncationKeepsWhatPrecedesTheCut) {
    const auto file = png_file({make_chunk("gAMA", big_endian(45455)), text_chunk("Title", "T"),
                                compressed_text_chunk("Comment", latin1_stream)});
    decoded_metadata whole;
    ASSERT_EQ(read(file, whole), status::ok);
    ASSERT_EQ(whole.properties.size(), 3U);
    for (std::size_t length = 0; length < file.size(); ++length) {
        const std::vector<std::byte> cut(file.begin(),
                                         file.begin() + static_cast<std::ptrdiff_t>(length));
        decoded_metadata out;
        const auto result = read(cut, out);
        if (length < 33) { // signature and header
            EXPECT_NE(result, status::ok) << length;
            continue;
        }
        ASSERT_EQ(result, status::ok) << length;
        EXPECT_FALSE(out.warnings.empty()) << length;
        EXPECT_FALSE(layout_of(out).complete) << length;
        for (const auto& item : out.properties.items()) {
            ASSERT_NE(whole.properties.find(item.id), nullptr);
            EXPECT_EQ(whole.properties.find(item.id)->value, item.value) << length;
        }
    }
}

TEST(PngReader, DamagedChunkHeaderStopsTheWalkWithAWarning) {
    const auto before =
        concat({bytes_of(png_signature), png_header_chunk(), text_chunk("Title", "T")});
    const auto huge = concat({big_endian(0x80000000U), bytes_of("tEXt")});
    const auto bad_type = concat({big_endian(1), bytes_of("t3Xt"), bytes_of({0}), big_endian(0)});
    const auto past_end = concat({big_endian(1000), bytes_of("tEXt"), bytes_of("x")});
    for (const auto& damage : {huge, bad_type, past_end}) {
        decoded_metadata out;
        ASSERT_EQ(read(concat({before, damage, text_chunk("Author", "A")}), out), status::ok);
        EXPECT_EQ(text_item(out, 0x0320), "T");
        EXPECT_EQ(out.properties.find(0x013B), nullptr);
        EXPECT_EQ(out.warnings.size(), 1U);
    }
}

// A file ImageMagick made (gAMA, cHRM, PLTE, bKGD, pHYs, tIME, tEXt) to which exiftool added an
// eXIf chunk after the text chunks.
const auto imagemagick_png = bytes_of({
    0x89, 0x50, 0x4e, 0x47, 0x0d, 0x0a, 0x1a, 0x0a, 0x00, 0x00, 0x00, 0x0d, 0x49, 0x48, 0x44, 0x52,
    0x00, 0x00, 0x00, 0x02, 0x00, 0x00, 0x00, 0x02, 0x01, 0x03, 0x00, 0x00, 0x00, 0x48, 0x78, 0x9f,
    0x67, 0x00, 0x00, 0x00, 0x04, 0x67, 0x41, 0x4d, 0x41, 0x00, 0x00, 0xb1, 0x8f, 0x0b, 0xfc, 0x61,
    0x05, 0x00, 0x00, 0x00, 0x20, 0x63, 0x48, 0x52, 0x4d, 0x00, 0x00, 0x7a, 0x26, 0x00, 0x00, 0x80,
    0x84, 0x00, 0x00, 0xfa, 0x00, 0x00, 0x00, 0x80, 0xe8, 0x00, 0x00, 0x75, 0x30, 0x00, 0x00, 0xea,
    0x60, 0x00, 0x00, 0x3a, 0x98, 0x00, 0x00, 0x17, 0x70, 0x9c, 0xba, 0x51, 0x3c, 0x00, 0x00, 0x00,
    0x06, 0x50, 0x4c, 0x54, 0x45, 0x00, 0x00, 0xff, 0xff, 0xff, 0xff, 0x7b, 0xdc, 0x99, 0x2c, 0x00,
    0x00, 0x00, 0x01, 0x62, 0x4b, 0x47, 0x44, 0x01, 0xff, 0x02, 0x2d, 0xde, 0x00, 0x00, 0x00, 0x09,
    0x70, 0x48, 0x59, 0x73, 0x00, 0x00, 0x0b, 0x12, 0x00, 0x00, 0x0b, 0x12, 0x01, 0xd2, 0xdd, 0x7e,
    0xfc, 0x00, 0x00, 0x00, 0x07, 0x74, 0x49, 0x4d, 0x45, 0x07, 0xea, 0x0c, 0x07, 0x07, 0x2e, 0x20,
    0x16, 0x0a, 0x78, 0x9d, 0x00, 0x00, 0x00, 0x25, 0x74, 0x45, 0x58, 0x74, 0x64, 0x61, 0x74, 0x65,
    0x3a, 0x63, 0x72, 0x65, 0x61, 0x74, 0x65, 0x00, 0x32, 0x30, 0x32, 0x36, 0x2d, 0x31, 0x32, 0x2d,
    0x30, 0x37, 0x54, 0x30, 0x37, 0x3a, 0x34, 0x36, 0x3a, 0x33, 0x32, 0x2b, 0x30, 0x30, 0x3a, 0x30,
    0x30, 0x4b, 0xe3, 0xea, 0xe7, 0x00, 0x00, 0x00, 0x25, 0x74, 0x45, 0x58, 0x74, 0x64, 0x61, 0x74,
    0x65, 0x3a, 0x6d, 0x6f, 0x64, 0x69, 0x66, 0x79, 0x00, 0x32, 0x30, 0x32, 0x36, 0x2d, 0x31, 0x32,
    0x2d, 0x30, 0x37, 0x54, 0x30, 0x37, 0x3a, 0x34, 0x36, 0x3a, 0x33, 0x32, 0x2b, 0x30, 0x30, 0x3a,
    0x30, 0x30, 0x3a, 0xbe, 0x52, 0x5b, 0x00, 0x00, 0x00, 0x1a, 0x74, 0x45, 0x58, 0x74, 0x44, 0x65,
    0x73, 0x63, 0x72, 0x69, 0x70, 0x74, 0x69, 0x6f, 0x6e, 0x00, 0x50, 0x6f, 0x70, 0x69, 0x73, 0x20,
    0x6f, 0x62, 0x72, 0xc3, 0xa1, 0x7a, 0x6b, 0x75, 0xcd, 0x55, 0x0a, 0x4b, 0x00, 0x00, 0x00, 0x0a,
    0x74, 0x45, 0x58, 0x74, 0x41, 0x72, 0x74, 0x69, 0x73, 0x74, 0x00, 0x45, 0x76, 0x61, 0xdb, 0x2a,
    0x82, 0xc6, 0x00, 0x00, 0x00, 0x0b, 0x74, 0x45, 0x58, 0x74, 0x4d, 0x61, 0x6b, 0x65, 0x00, 0x4d,
    0x69, 0x72, 0x74, 0x65, 0x6c, 0x66, 0x4c, 0xe7, 0xa7, 0x00, 0x00, 0x00, 0x78, 0x65, 0x58, 0x49,
    0x66, 0x4d, 0x4d, 0x00, 0x2a, 0x00, 0x00, 0x00, 0x08, 0x00, 0x06, 0x01, 0x0e, 0x00, 0x02, 0x00,
    0x00, 0x00, 0x0a, 0x00, 0x00, 0x00, 0x56, 0x01, 0x0f, 0x00, 0x02, 0x00, 0x00, 0x00, 0x07, 0x00,
    0x00, 0x00, 0x60, 0x01, 0x1a, 0x00, 0x05, 0x00, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00, 0x68, 0x01,
    0x1b, 0x00, 0x05, 0x00, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00, 0x70, 0x01, 0x28, 0x00, 0x03, 0x00,
    0x00, 0x00, 0x01, 0x00, 0x02, 0x00, 0x00, 0x02, 0x13, 0x00, 0x03, 0x00, 0x00, 0x00, 0x01, 0x00,
    0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46, 0x72, 0x6f, 0x6d, 0x20, 0x45, 0x78, 0x69, 0x66,
    0x00, 0x4d, 0x69, 0x72, 0x74, 0x65, 0x6c, 0x00, 0x00, 0x00, 0x00, 0x00, 0x48, 0x00, 0x00, 0x00,
    0x01, 0x00, 0x00, 0x00, 0x48, 0x00, 0x00, 0x00, 0x01, 0xb6, 0x06, 0x2b, 0x40, 0x00, 0x00, 0x00,
    0x0c, 0x49, 0x44, 0x41, 0x54, 0x08, 0xd7, 0x63, 0x60, 0x60, 0x60, 0x00, 0x00, 0x00, 0x04, 0x00,
    0x01, 0x27, 0x34, 0x27, 0x0a, 0x00, 0x00, 0x00, 0x00, 0x49, 0x45, 0x4e, 0x44, 0xae, 0x42, 0x60,
    0x82,
});

TEST(PngReader, ReadsAFileWrittenByImageMagickAndExiftool) {
    decoded_metadata out;
    ASSERT_EQ(read(imagemagick_png, out), status::ok);
    EXPECT_TRUE(out.warnings.empty()); // every CRC checked matches
    EXPECT_EQ(text_item(out, 0x010E), "From Exif");
    EXPECT_EQ(text_item(out, 0x010F), "Mirtel");
    EXPECT_EQ(text_item(out, 0x0132), "2026:12:07 07:46:32");
    EXPECT_EQ(out.properties.find(0x013B), nullptr); // "Artist" is no mapped keyword
    // gAMA 45455: the display gamma 100000/45455 = 2.2.
    const auto* gamma = out.properties.find(0x0301);
    ASSERT_NE(gamma, nullptr);
    EXPECT_EQ(gamma->type, property_type::rational);
    EXPECT_EQ(gamma->value, concat({bytes_of({0xA0, 0x86, 1, 0}), bytes_of({0x8F, 0xB1, 0, 0})}));
    // cHRM: white point 0.3127, 0.329 and the sRGB primaries, each over 100000.
    const auto* white = out.properties.find(0x013E);
    const auto* primaries = out.properties.find(0x013F);
    ASSERT_TRUE(white && primaries);
    EXPECT_EQ(white->type, property_type::rational);
    ASSERT_EQ(white->value.size(), 16U);
    EXPECT_EQ(value_u32(*white, 0), 31270U);
    EXPECT_EQ(value_u32(*white, 1), 100000U);
    ASSERT_EQ(primaries->value.size(), 48U);
    EXPECT_EQ(value_u32(*primaries, 0), 64000U);
    EXPECT_EQ(value_u32(*primaries, 10), 6000U);
    // pHYs: 2834 pixels per metre both ways.
    const auto* unit = out.properties.find(0x5110);
    const auto* x = out.properties.find(0x5111);
    ASSERT_TRUE(unit && x && out.properties.find(0x5112));
    EXPECT_EQ(unit->type, property_type::byte);
    EXPECT_EQ(unit->value, bytes_of({1}));
    EXPECT_EQ(x->type, property_type::long_);
    EXPECT_EQ(x->value, bytes_of({0x12, 0x0B, 0, 0}));
    EXPECT_EQ(layout_of(out).texts.size(), 5U);
}

} // namespace
} // namespace kestrov::imaging
