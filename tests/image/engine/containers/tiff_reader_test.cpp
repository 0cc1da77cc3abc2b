#include "image/engine/formats/tiff/tiff_format.h"
#include "image/engine/tiff/tiff_reader.h"

#include "image/engine/containers/tiff_builder.h"

#include <gtest/gtest.h>

namespace kestrov::imaging {
namespace {

using namespace testing;

decoded_metadata read_block(const std::vector<std::byte>& block) {
    memory_source source(block);
    decoded_metadata out;
    EXPECT_EQ(read_tiff_block(source, out), status::ok);
    return out;
}

tiff_contents camera_contents() {
    tiff_contents contents;
    contents.ifd0 = {ascii(0x010F, "Canon"), ascii(0x0110, "Canon EOS 40D"), shorts(0x0112, {6}),
                     rationals(0x011A, {{72, 1}}), ascii(0x013B, "Jan Novák")};
    contents.exif = {rationals(0x829A, {{1, 160}}), undefined(0x9000, {'0', '2', '2', '1'}),
                     undefined(0x927C, {1, 2, 3, 4, 5, 6, 7, 8, 9})};
    contents.gps = {ascii(0x0001, "N"), rationals(0x0002, {{50, 1}, {5, 1}, {1234, 100}})};
    contents.ifd1 = {shorts(0x0103, {6}), rationals(0x011A, {{180, 1}})};
    contents.thumbnail = bytes_of({0xFF, 0xD8, 0xFF, 0xDB, 0x00, 0x02, 0xFF, 0xD9});
    return contents;
}

class TiffReaderTest : public ::testing::TestWithParam<byte_order> {};

TEST_P(TiffReaderTest, ExposesAllDirectoriesWithLittleEndianValuesInEitherByteOrder) {
    const auto contents = camera_contents();
    const auto out = read_block(build_tiff(contents, GetParam()));
    EXPECT_TRUE(out.warnings.empty());

    for (const auto& fields : {contents.ifd0, contents.exif, contents.gps}) {
        for (const auto& f : fields) {
            const property* item = out.properties.find(f.tag);
            ASSERT_NE(item, nullptr) << std::hex << f.tag;
            EXPECT_EQ(item->type, f.type);
            EXPECT_EQ(item->value, f.value) << std::hex << f.tag;
        }
    }
    // Thumbnail fields move into the 0x5000 range; its bytes are item 0x501B.
    ASSERT_NE(out.properties.find(0x5023), nullptr);
    EXPECT_EQ(out.properties.find(0x5023)->value, shorts(0, {6}).value);
    EXPECT_EQ(out.properties.find(0x502D)->value, rationals(0, {{180, 1}}).value);
    ASSERT_NE(out.properties.find(0x501B), nullptr);
    EXPECT_EQ(out.properties.find(0x501B)->value, contents.thumbnail);
    EXPECT_EQ(out.properties.find(0x501B)->type, 1);
}

TEST_P(TiffReaderTest, HidesPointerTagsAndKeepsTheFirstOfRepeatedTags) {
    auto contents = camera_contents();
    contents.exif.push_back(ascii(0x010F, "Nikon")); // Make again, in the Exif directory
    const auto out = read_block(build_tiff(contents, GetParam()));
    EXPECT_EQ(out.properties.find(0x8769), nullptr);
    EXPECT_EQ(out.properties.find(0x8825), nullptr);
    EXPECT_EQ(out.properties.find(0x0201), nullptr);
    EXPECT_EQ(out.properties.find(0x010F)->value, ascii(0, "Canon").value);
}

INSTANTIATE_TEST_SUITE_P(ByteOrders, TiffReaderTest,
                         ::testing::Values(byte_order::little, byte_order::big),
                         [](const auto& param_info) {
                             return param_info.param == byte_order::little ? "Intel" : "Motorola";
                         });

TEST(TiffReader, RejectsABlockWithoutAHeaderOrIfd0) {
    for (const auto& block :
         {bytes_of({}), bytes_of({'I', 'I', 42}), bytes_of({'X', 'X', 42, 0, 8, 0, 0, 0}),
          bytes_of({'I', 'I', 43, 0, 8, 0, 0, 0}), bytes_of({'I', 'I', 42, 0, 8, 0, 0, 0}),
          bytes_of({'I', 'I', 42, 0, 0xFF, 0xFF, 0xFF, 0xFF})}) {
        memory_source source(block);
        decoded_metadata out;
        EXPECT_NE(read_tiff_block(source, out), status::ok);
        EXPECT_EQ(out.properties.size(), 0U);
    }
}

TEST(TiffReader, EveryTruncationLoadsOrFailsCleanlyAndNeverInventsValues) {
    const auto contents = camera_contents();
    const auto block = build_tiff(contents, byte_order::big);
    const auto full = read_block(block);
    for (std::size_t length = 0; length < block.size(); ++length) {
        const std::vector<std::byte> cut(block.begin(), block.begin() + static_cast<long>(length));
        memory_source source(cut);
        decoded_metadata out;
        if (read_tiff_block(source, out) != status::ok) {
            continue;
        }
        for (const auto& item : out.properties.items()) {
            // Whatever survives the cut is exactly what the full block holds.
            ASSERT_NE(full.properties.find(item.id), nullptr);
            EXPECT_EQ(full.properties.find(item.id)->value, item.value) << length;
        }
    }
}

TEST(TiffReader, SurvivesDirectoryLoopsAndOutOfRangeValues) {
    // IFD0 at 8 with one entry: ExifIFD pointing back at IFD0; next IFD pointing at itself.
    auto loop = bytes_of({'I',  'I',  42, 0, 8,   0, 0, 0, 2, 0, 0x69, 0x87,
                          4,    0,    1,  0, 0,   0, 8, 0, 0, 0,          // Exif -> IFD0
                          0x0F, 0x01, 2,  0, 200, 0, 0, 0, 0, 1, 0,    0, // Make far outside
                          8,    0,    0,  0});                            // next -> IFD0
    memory_source source(loop);
    decoded_metadata out;
    tiff_structure structure;
    EXPECT_EQ(read_tiff_block(source, out, &structure), status::ok);
    EXPECT_EQ(out.properties.size(), 0U);
    EXPECT_FALSE(out.warnings.empty());
    EXPECT_EQ(structure.ifds.size(), 1U);
}

TEST(TiffReader, SurvivesADirectoryPointingAtItself) {
    // IFD0 at 8 points to the Exif IFD at 26, whose Interoperability pointer is 26 again.
    auto self = bytes_of({'I',  'I',  42,   0,    8,  0, 0, 0,                                 //
                          1,    0,    0x69, 0x87, 4,  0, 1, 0, 0,  0, 26, 0, 0, 0, 0, 0, 0, 0, //
                          2,    0,    0x05, 0xA0, 4,  0, 1, 0, 0,  0, 26, 0, 0, 0,             //
                          0x9A, 0x82, 5,    0,    1,  0, 0, 0, 56, 0, 0,  0, 0, 0, 0, 0,       //
                          1,    0,    0,    0,    60, 0, 0, 0});
    memory_source source(self);
    decoded_metadata out;
    tiff_structure structure;
    ASSERT_EQ(read_tiff_block(source, out, &structure), status::ok);
    EXPECT_EQ(structure.ifds.size(), 2U);
    ASSERT_NE(out.properties.find(0x829A), nullptr);
    EXPECT_EQ(out.properties.find(0x829A)->value, rationals(0, {{1, 60}}).value);
    EXPECT_FALSE(out.warnings.empty());
}

TEST(TiffReader, RefusesAnImpossibleEntryCount) {
    auto block = bytes_of({'M', 'M', 0, 42, 0, 0, 0, 8, 0xFF, 0xFF});
    memory_source source(block);
    decoded_metadata out;
    EXPECT_NE(read_tiff_block(source, out), status::ok);
}

TEST(TiffReader, ReadsTheEntriesBeforeACutInADirectory) {
    tiff_contents contents;
    contents.ifd0 = {shorts(0x0112, {3}), shorts(0x0128, {2}), shorts(0x0213, {1})};
    auto block = build_tiff(contents, byte_order::little);
    block.resize(8 + 2 + 12 * 2 + 5); // the third entry is cut
    const auto out = read_block(block);
    EXPECT_NE(out.properties.find(0x0112), nullptr);
    EXPECT_NE(out.properties.find(0x0128), nullptr);
    EXPECT_EQ(out.properties.find(0x0213), nullptr);
    EXPECT_FALSE(out.warnings.empty());
}

TEST(TiffReader, AThumbnailStartingInTheHeaderIsNotOne) {
    auto block = build_tiff(camera_contents(), byte_order::little);
    memory_source intact(block);
    decoded_metadata before;
    tiff_structure structure;
    ASSERT_EQ(read_tiff_block(intact, before, &structure), status::ok);
    const tiff_ifd& ifd1 = *structure.find(tiff_directory::ifd1);
    for (std::size_t i = 0; i < ifd1.entries.size(); ++i) {
        if (ifd1.entries[i].tag == 0x0201) { // JPEGInterchangeFormat
            store_u32(block.data() + ifd1.offset + 2 + 12 * i + 8, 2, byte_order::little);
        }
    }
    const auto out = read_block(block);
    EXPECT_EQ(out.properties.find(0x501B), nullptr);
    EXPECT_NE(out.properties.find(0x5023), nullptr);
    EXPECT_FALSE(out.warnings.empty());
}

TEST(TiffReader, ADirectoryLinkedIntoTheHeaderIsNotRead) {
    tiff_contents contents;
    contents.ifd0 = {ascii(0x010F, "Canon")};
    contents.gps = {ascii(0x0001, "N")};
    auto block = build_tiff(contents, byte_order::little);
    store_u32(block.data() + 8 + 2 + 12 + 8, 4, byte_order::little); // GPS pointer, after Make
    memory_source source(block);
    decoded_metadata out;
    tiff_structure structure;
    ASSERT_EQ(read_tiff_block(source, out, &structure), status::ok);
    EXPECT_EQ(structure.find(tiff_directory::gps), nullptr);
    EXPECT_EQ(out.properties.find(0x0001), nullptr);
    EXPECT_NE(out.properties.find(0x010F), nullptr);
    EXPECT_FALSE(out.warnings.empty());
}

TEST(TiffFile, ReadsIfd0AndLeavesTheNextPageAlone) {
    tiff_contents contents;
    contents.ifd0 = {shorts(0x0100, {16}), ascii(0x0131, "scanner")};
    contents.ifd1 = {shorts(0x0100, {8})}; // in a TIFF file this is the second page
    const auto file = build_tiff(contents, byte_order::little);
    memory_source source(file);
    decoded_metadata out;
    ASSERT_EQ(read_tiff(source, out), status::ok);
    EXPECT_EQ(out.format, image_format::tiff);
    EXPECT_NE(out.properties.find(0x0131), nullptr);
    EXPECT_EQ(out.properties.find(0x5020), nullptr);
    ASSERT_NE(dynamic_cast<tiff_layout*>(out.layout.get()), nullptr);
    const auto& structure = dynamic_cast<tiff_layout&>(*out.layout).structure;
    EXPECT_NE(structure.find(tiff_directory::ifd0)->next_offset, 0U);
}

} // namespace
} // namespace kestrov::imaging
