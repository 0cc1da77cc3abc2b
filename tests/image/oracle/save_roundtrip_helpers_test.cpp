// The save round trip's own helpers: what they make of the peers' output and of image bytes.
// A helper that read too little would let any save pass, so each is tried on what it must find.
#include "image/oracle/image_data.h"
#include "image/oracle/peer_output.h"
#include "image/oracle/tag_comparison.h"
#include "support/byte_literals.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

namespace kestrov::oracle {
namespace {

using kestrov::testing::bytes_of;
using kestrov::testing::concat;

// ---- the peers' output

TEST(SaveRoundtripPeerOutput, ExiftoolJsonGivesEachFilesTagsWithEscapesDecoded) {
    const peer_output output = parse_exiftool_json(R"([{
  "SourceFile": "a/x.jpg",
  "EXIF:IFD0:Artist": "\u017dlu\u0165 \"q\" \\ \ud83d\ude00",
  "EXIF:IFD0:XResolution": 72,
  "XMP:XMP-dc:Subject": ["one", 2],
  "EXIF:IFD0:Make": ""
},
{
  "SourceFile": "b.tif",
  "EXIF:IFD0:Make": "Canon"
}])");
    ASSERT_TRUE(output.problems.empty()) << output.problems.front();
    ASSERT_EQ(output.files.size(), 2U);
    const tag_values& first = output.files.at("a/x.jpg");
    EXPECT_EQ(first.at("EXIF:IFD0:Artist"), "\xC5\xBDlu\xC5\xA5 \"q\" \\ \xF0\x9F\x98\x80");
    EXPECT_EQ(first.at("EXIF:IFD0:XResolution"), "72");
    EXPECT_EQ(first.at("XMP:XMP-dc:Subject"), "[one, 2]");
    EXPECT_EQ(first.at("EXIF:IFD0:Make"), "");
    EXPECT_EQ(output.files.at("b.tif").at("EXIF:IFD0:Make"), "Canon");
}

TEST(SaveRoundtripPeerOutput, ExiftoolJsonNumbersATagsLaterOccurrences) {
    const peer_output output = parse_exiftool_json(
        R"([{"SourceFile": "x.jpg", "EXIF:IFD0:Make": "A", "EXIF:IFD0:Make": "B",
             "EXIF:IFD0:Make": "C"}])");
    ASSERT_TRUE(output.problems.empty());
    const tag_values& tags = output.files.at("x.jpg");
    EXPECT_EQ(tags.at("EXIF:IFD0:Make"), "A");
    EXPECT_EQ(tags.at("EXIF:IFD0:Make#2"), "B");
    EXPECT_EQ(tags.at("EXIF:IFD0:Make#3"), "C");
}

TEST(SaveRoundtripPeerOutput, DamagedExiftoolJsonIsAProblemNotAGuess) {
    for (const char* text :
         {R"([{"SourceFile": "x.jpg", "A": "b)", R"([{"SourceFile": "x.jpg" "A": 1}])",
          R"([{"A": 1}])", R"([{"SourceFile": "x.jpg"}] extra)"}) {
        EXPECT_FALSE(parse_exiftool_json(text).problems.empty()) << text;
    }
    EXPECT_TRUE(parse_exiftool_json("").problems.empty()) << "no file read: no output at all";
}

TEST(SaveRoundtripPeerOutput, Exiv2LinesGiveTypeCountAndValueAndBrokenLinesJoinTheValueAbove) {
    const std::vector<std::string> names = {"before/x.jpg", "after/x.jpg"};
    const peer_output output = parse_exiv2_output(
        "before/x.jpg         Exif.Image.Make                              Ascii       6  Canon\n"
        "before/x.jpg         Exif.Image.ImageDescription                  Ascii      12  one\n"
        "two\n"
        "before/x.jpg         Exif.Image.0x0320                            Ascii       1  \n"
        "after/x.jpg          Exif.Photo.UserComment                       Undefined   8     \n",
        names);
    ASSERT_TRUE(output.problems.empty()) << output.problems.front();
    const tag_values& before = output.files.at("before/x.jpg");
    EXPECT_EQ(before.at("Exif.Image.Make"), "Ascii 6 Canon");
    EXPECT_EQ(before.at("Exif.Image.ImageDescription"), "Ascii 12 one\ntwo");
    EXPECT_EQ(before.at("Exif.Image.0x0320"), "Ascii 1 ");
    EXPECT_EQ(output.files.at("after/x.jpg").at("Exif.Photo.UserComment"), "Undefined 8 ");
}

TEST(SaveRoundtripPeerOutput, Exiv2LineOfNoKnownFileBeforeAnyOtherIsAProblem) {
    EXPECT_FALSE(parse_exiv2_output("other.jpg Exif.Image.Make Ascii 6 Canon\n", {"a.jpg", "b.jpg"})
                     .problems.empty());
}

TEST(SaveRoundtripPeerOutput, IdentifyLinesGiveOneSignaturePerFrame) {
    const peer_output output = parse_identify_output("a.tif 0 aaaa\na.tif 1 bbbb\nb.jpg 0 cccc\n");
    ASSERT_TRUE(output.problems.empty());
    EXPECT_EQ(output.files.at("a.tif"), (tag_values{{"frame 0", "aaaa"}, {"frame 1", "bbbb"}}));
    EXPECT_EQ(output.files.at("b.jpg"), (tag_values{{"frame 0", "cccc"}}));
    EXPECT_FALSE(parse_identify_output("a.tif 0\n").problems.empty());
}

// ---- comparing tags

expected_changes nothing_expected() {
    return {};
}

TEST(SaveRoundtripTagComparison, ReportsAChangedAGoneAndANewTag) {
    const tag_values before = {{"A", "1"}, {"B", "2"}, {"C", "3"}};
    const tag_values after = {{"A", "1"}, {"B", "20"}, {"D", "4"}};
    const std::vector<std::string> differences = compare_tags(before, after, nothing_expected());
    ASSERT_EQ(differences.size(), 3U);
    EXPECT_EQ(differences[0], "B: before \"2\", after \"20\"");
    EXPECT_EQ(differences[1], "C: gone after the save, was \"3\"");
    EXPECT_EQ(differences[2], "D: new after the save, \"4\"");
}

TEST(SaveRoundtripTagComparison, AcceptsJustTheChangesItWasToldOf) {
    expected_changes expected;
    expected.set = {{"A", "new"}, {"N", "added"}};
    expected.removed = {"B"};
    expected.may_appear = {"M"};
    expected.ignored = [](std::string_view key) { return key == "T"; };
    const tag_values before = {{"A", "old"}, {"B", "2"}, {"T", "1"}, {"T#2", "1"}};
    const tag_values after = {{"A", "new"}, {"N", "added"}, {"M", "x"}, {"T", "9"}};
    EXPECT_TRUE(compare_tags(before, after, expected).empty());

    const tag_values wrong = {{"A", "other"}, {"B", "2"}, {"T", "1"}};
    const std::vector<std::string> differences = compare_tags(before, wrong, expected);
    ASSERT_EQ(differences.size(), 3U);
    EXPECT_EQ(differences[0], "A: \"other\" after the save, expected \"new\"");
    EXPECT_EQ(differences[1], "N: missing after the save, expected \"added\"");
    EXPECT_EQ(differences[2], "B: still there after removing it, \"2\"");
}

TEST(SaveRoundtripTagComparison, ShowsLongValuesCutAndLineBreaksEscaped) {
    EXPECT_EQ(shown("a\nb"), "\"a\\nb\"");
    EXPECT_EQ(shown(std::string(100, 'x')), "\"" + std::string(70, 'x') + "\"... (100 bytes)");
}

// ---- image data

const std::vector<std::byte> soi = bytes_of({0xFF, 0xD8});
const std::vector<std::byte> app0 = bytes_of({0xFF, 0xE0, 0x00, 0x04, 'J', 'F'});
const std::vector<std::byte> exif_app1 =
    bytes_of({0xFF, 0xE1, 0x00, 0x08, 'E', 'x', 'i', 'f', 0, 0});
const std::vector<std::byte> other_exif_app1 =
    bytes_of({0xFF, 0xE1, 0x00, 0x09, 'E', 'x', 'i', 'f', 0, 0, 1});
const std::vector<std::byte> dqt = bytes_of({0xFF, 0xDB, 0x00, 0x03, 0x07});
const std::vector<std::byte> scan = bytes_of({0xFF, 0xDA, 0x00, 0x02, 0x12, 0x34, 0xFF, 0xD9});

TEST(SaveRoundtripImageData, JpegIsCutIntoItsSegmentsAndTheScanFromTheFirstSos) {
    const jpeg_layout layout = split_jpeg(concat({soi, app0, exif_app1, dqt, scan}));
    ASSERT_TRUE(layout.problem.empty()) << layout.problem;
    ASSERT_EQ(layout.segments.size(), 3U);
    EXPECT_EQ(layout.segments[0].bytes, app0);
    EXPECT_FALSE(layout.segments[0].exif);
    EXPECT_TRUE(layout.segments[1].exif);
    EXPECT_EQ(layout.segments[2].bytes, dqt);
    EXPECT_EQ(layout.scan, scan);
}

TEST(SaveRoundtripImageData, JpegDifferenceOverlooksOnlyTheExifSegment) {
    const jpeg_layout original = split_jpeg(concat({soi, app0, exif_app1, dqt, scan}));
    EXPECT_EQ(
        jpeg_difference(original, split_jpeg(concat({soi, app0, other_exif_app1, dqt, scan}))), "");
    EXPECT_EQ(jpeg_difference(original, split_jpeg(concat({soi, app0, dqt, scan}))), "");
    EXPECT_NE(jpeg_difference(original, split_jpeg(concat({soi, exif_app1, dqt, scan}))), "");
    EXPECT_NE(jpeg_difference(original, split_jpeg(concat({soi, app0, exif_app1, scan}))), "");
    std::vector<std::byte> changed_scan = scan;
    changed_scan[5] = std::byte{0x35};
    EXPECT_NE(
        jpeg_difference(original, split_jpeg(concat({soi, app0, exif_app1, dqt, changed_scan}))),
        "");
    EXPECT_NE(jpeg_difference(original, split_jpeg(concat({soi, app0, exif_app1, dqt, scan, soi}))),
              "");
}

TEST(SaveRoundtripImageData, JpegSegmentRunningPastTheEndIsAProblem) {
    EXPECT_FALSE(split_jpeg(bytes_of({0xFF, 0xD8, 0xFF, 0xE0, 0x00, 0x10, 'J'})).problem.empty());
    EXPECT_FALSE(split_jpeg(bytes_of({0xFF, 0xD8, 0xFF, 0xE0, 0x00})).problem.empty());
    EXPECT_FALSE(split_jpeg(bytes_of({0x89, 'P', 'N', 'G'})).problem.empty());
}

TEST(SaveRoundtripImageData, TiffImageDataIsTheBytesTheStripOffsetsPointAt) {
    const std::vector<std::byte> file = bytes_of({0, 1, 2, 3, 4, 5, 6, 7, 8, 9});
    const tag_values tags = {{"EXIF:IFD0:StripOffsets", "6 2"},
                             {"EXIF:IFD0:StripByteCounts", "2 3"},
                             {"EXIF:IFD1:StripOffsets", "9"},
                             {"EXIF:IFD1:StripByteCounts", "1"}};
    const tiff_image_data data = read_tiff_image_data(tags, file);
    ASSERT_TRUE(data.problem.empty()) << data.problem;
    EXPECT_EQ(data.by_directory.at("EXIF:IFD0:StripOffsets"), bytes_of({6, 7, 2, 3, 4}));
    EXPECT_EQ(data.by_directory.at("EXIF:IFD1:StripOffsets"), bytes_of({9}));

    std::vector<std::byte> changed = file;
    changed[3] = std::byte{42};
    EXPECT_NE(tiff_difference(data, read_tiff_image_data(tags, changed)), "");
    EXPECT_EQ(tiff_difference(data, read_tiff_image_data(tags, file)), "");
    EXPECT_FALSE(read_tiff_image_data(
                     {{"EXIF:IFD0:StripOffsets", "8"}, {"EXIF:IFD0:StripByteCounts", "5"}}, file)
                     .problem.empty());
}

// IFD0 at 8 with the Exif pointer, the Exif IFD at 26 with a MakerNote of 6 bytes at 44.
std::vector<std::byte> tiff_with_maker_note(bool little) {
    const auto u16 = [little](int value) {
        const auto low = static_cast<std::uint8_t>(value & 0xFF);
        const auto high = static_cast<std::uint8_t>(value >> 8);
        return little ? bytes_of({low, high}) : bytes_of({high, low});
    };
    const auto u32 = [little](int value) {
        const auto low = static_cast<std::uint8_t>(value & 0xFF);
        const auto high = static_cast<std::uint8_t>((value >> 8) & 0xFF);
        return little ? bytes_of({low, high, 0, 0}) : bytes_of({0, 0, high, low});
    };
    return concat({little ? bytes_of({'I', 'I'}) : bytes_of({'M', 'M'}), u16(42), u32(8),
                   // IFD0: one entry, the Exif IFD pointer; no next IFD
                   u16(1), u16(0x8769), u16(4), u32(1), u32(26), u32(0),
                   // Exif IFD: one entry, MakerNote, 6 bytes of UNDEFINED at 44
                   u16(1), u16(0x927C), u16(7), u32(6), u32(44), u32(0),
                   bytes_of({'N', 'o', 't', 'e', '!', 0})});
}

TEST(SaveRoundtripImageData, MakerNoteOffsetIsFoundThroughTheExifPointerInBothByteOrders) {
    EXPECT_EQ(maker_note_offset(tiff_with_maker_note(true), true), 44U);
    EXPECT_EQ(maker_note_offset(tiff_with_maker_note(false), true), 44U);
    const std::vector<std::byte> block = tiff_with_maker_note(true);
    const auto length = block.size() + 8;
    const auto high = static_cast<std::uint8_t>(length >> 8);
    const auto low = static_cast<std::uint8_t>(length & 0xFF);
    const std::vector<std::byte> jpeg = concat(
        {soi, app0, bytes_of({0xFF, 0xE1, high, low, 'E', 'x', 'i', 'f', 0, 0}), block, scan});
    EXPECT_EQ(maker_note_offset(jpeg, false), 44U);
}

TEST(SaveRoundtripImageData, MakerNoteOffsetIsNothingWhenTheDirectoriesCannotBeFollowed) {
    std::vector<std::byte> cut = tiff_with_maker_note(true);
    cut.resize(30);
    EXPECT_EQ(maker_note_offset(cut, true), std::nullopt);
    std::vector<std::byte> wild_pointer = tiff_with_maker_note(true);
    wild_pointer[18] = std::byte{0xFF}; // the Exif IFD pointer's high byte
    wild_pointer[19] = std::byte{0xFF};
    EXPECT_EQ(maker_note_offset(wild_pointer, true), std::nullopt);
    EXPECT_EQ(maker_note_offset(concat({soi, app0, scan}), false), std::nullopt);
}

} // namespace
} // namespace kestrov::oracle
