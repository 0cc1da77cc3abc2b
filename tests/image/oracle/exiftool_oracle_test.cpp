// The exiftool oracle's own tests: its reading of captured `exiftool -v5` output, so that a fault
// of the parser shows here and not as a fault of the engine.
#include "image/oracle/exiftool_oracle.h"

#include "support/byte_literals.h"

#include <gtest/gtest.h>

#include <ostream>

namespace kestrov::oracle {
namespace {

using kestrov::testing::bytes_of;

const reported_tag* find_tag(const exiftool_report& report, exif_directory directory,
                             std::uint16_t number) {
    for (const reported_tag& tag : report.tags) {
        if (tag.directory == directory && tag.number == number) {
            return &tag;
        }
    }
    return nullptr;
}

// A little-endian JPEG: IFD0 with the Exif, Interoperability and GPS directories inside it, a
// maker note with its own directory, then IFD1 and the next segment.
constexpr std::string_view little_endian_jpeg = R"(  FileType = JPEG
JPEG APP1 (2474 bytes):
    0018: 45 78 69 66 00 00 49 49 2a 00 08 00 00 00 0b 00 [Exif..II*.......]
    [snip 2362 bytes]
  ExifByteOrder = II
  + [IFD0 directory with 4 entries]
  | 0)  Make = Canon
  |     - Tag 0x010f (6 bytes, string[6]):
  |         00b0: 43 61 6e 6f 6e 00                               [Canon.]
  | 1)  Orientation = 1
  |     - Tag 0x0112 (2 bytes, int16u[1]):
  |         0048: 01 00                                           [..]
  | 2)  ExifOffset (SubDirectory) -->
  |     - Tag 0x8769 (4 bytes, int32u[1]):
  |         009c: d6 00 00 00                                     [....]
  | + [ExifIFD directory with 5 entries]
  | | 0)  ExposureTime = 0.00625 (1/160)
  | |     - Tag 0x829a (8 bytes, rational64u[1]):
  | |         0262: 01 00 00 00 a0 00 00 00                         [........]
  | | 1)  ComponentsConfiguration = 1 2 3 0
  | |     - Tag 0x9101 (4 bytes, undef[4] read as int8u[4]):
  | |         0152: 01 02 03 00                                     [....]
  | | 2)  MakerNoteCanon (SubDirectory) -->
  | |     - Tag 0x927c (20 bytes, undef[20]):
  | |         02bc: 01 00 03 00 01 00 00 00 05 00 00 00 00 00 00 00 [................]
  | |         02cc: 00 00 00 00                                     [....]
  | | + [MakerNotes directory with 1 entries]
  | | | 0)  MacroMode = 5
  | | |     - Tag 0x0001 (2 bytes, int16u[1]):
  | | |         02c4: 05 00                                           [..]
  | | 3)  InteropOffset (SubDirectory) -->
  | |     - Tag 0xa005 (4 bytes, int32u[1]):
  | |         0206: b4 03 00 00                                     [....]
  | | + [InteropIFD directory with 1 entries]
  | | | 0)  InteropIndex = R98
  | | |     - Tag 0x0001 (4 bytes, string[4]):
  | | |         03c0: 52 39 38 00                                     [R98.]
  | | 4)  FocalPlaneXResolution = 4438.356164 (3888000/876)
  | |     - Tag 0xa20e (8 bytes, rational64u[1]):
  | |         03c2: 80 53 3b 00 6c 03 00 00                         [.S;.l...]
  | 3)  GPSInfo (SubDirectory) -->
  |     - Tag 0x8825 (4 bytes, int32u[1]):
  |         00a8: d2 03 00 00                                     [....]
  | + [GPS directory with 2 entries]
  | | 0)  GPSVersionID = 2 2 0 0
  | |     - Tag 0x0000 (4 bytes, int8u[4]):
  | |         03fa: 02 02 00 00                                     [....]
  | | 1)  GPSLatitude = 43 28 2.814 (43/1 28/1 281400000/100000000)
  | |     - Tag 0x0002 (24 bytes, rational64u[3]):
  | |         0428: 2b 00 00 00 01 00 00 00 1c 00 00 00 01 00 00 00 [+...............]
  | |         0438: c0 d2 c5 10 00 e1 f5 05                         [........]
  + [IFD1 directory with 1 entries]
  | 0)  Compression = 6
  |     - Tag 0x0103 (2 bytes, int16u[1]):
  |         040c: 06 00                                           [..]
JPEG APP2 (3158 bytes):
    09c6: 49 43 43 5f 50 52 4f 46 49 4c 45 00 01 01 00 00 [ICC_PROFILE.....]
)";

// A big-endian TIFF, with offsets past 0xffff and formats that need swapping.
constexpr std::string_view big_endian_tiff = R"(  FileType = TIFF
  ExifByteOrder = MM
  + [IFD0 directory with 7 entries]
  | 0)  ImageWidth = 635
  |     - Tag 0x0100 (2 bytes, int16u[1]):
  |        456be: 02 7b                                           [.{]
  | 1)  StripOffsets = 8 43688
  |     - Tag 0x0111 (8 bytes, int32u[2]):
  |        45776: 00 00 00 08 00 00 aa a8                         [........]
  | 2)  XResolution = 72 (72/1)
  |     - Tag 0x011a (8 bytes, rational64u[1]):
  |        457c4: 00 00 00 48 00 00 00 01                         [...H....]
  | 3)  ImageDescription = 
  |     - Tag 0x010e (0 bytes, string):
  | 4)  ApplicationNotes (SubDirectory) -->
  |     - Tag 0x02bc (3 bytes, int8u[3] read as undef[3]):
  |        19ca: 3c 78 3a                                        [<x:]
  | + [XMP directory, 3 bytes]
  | | XMPToolkit = XMP Core 5.1.2
  | 5)  Sony_0x0001 = ...
  |     - Tag 0x0001 (4 bytes, int16u[2] read as undef[4]):
  |        19d0: 12 34 56 78                                     [.4Vx]
  | 6)  Gamma = 2.2
  |     - Tag 0xa500 (8 bytes, double[1]):
  |        19d4: 40 01 99 99 99 99 99 9a                         [@.......])";

TEST(ExiftoolVerboseOutput, ReadsTheFieldsOfIfd0ExifAndGpsInPrintedOrder) {
    const exiftool_report report = parse_verbose_output(little_endian_jpeg);
    EXPECT_TRUE(report.problems.empty());
    std::vector<std::pair<exif_directory, std::uint16_t>> read;
    for (const reported_tag& tag : report.tags) {
        read.emplace_back(tag.directory, tag.number);
    }
    const std::vector<std::pair<exif_directory, std::uint16_t>> expected{
        {exif_directory::ifd0, 0x010f}, {exif_directory::ifd0, 0x0112},
        {exif_directory::exif, 0x829a}, {exif_directory::exif, 0x9101},
        {exif_directory::exif, 0x927c}, {exif_directory::exif, 0xa20e},
        {exif_directory::gps, 0x0000},  {exif_directory::gps, 0x0002}};
    EXPECT_EQ(read, expected);
}

TEST(ExiftoolVerboseOutput, LeavesOutPointerTagsMakerNoteFieldsInteroperabilityAndIfd1) {
    const exiftool_report report = parse_verbose_output(little_endian_jpeg);
    for (const reported_tag& tag : report.tags) {
        EXPECT_NE(tag.number, 0x8769);
        EXPECT_NE(tag.number, 0x8825);
        EXPECT_NE(tag.number, 0xa005);
        EXPECT_NE(tag.number, 0x0103) << "an IFD1 field";
        EXPECT_FALSE(tag.directory == exif_directory::exif && tag.number == 0x0001)
            << "a maker-note or Interoperability field";
    }
}

TEST(ExiftoolVerboseOutput, TurnsBigEndianValuesLittleEndianElementByElement) {
    const exiftool_report report = parse_verbose_output(big_endian_tiff);
    EXPECT_TRUE(report.problems.empty());
    ASSERT_EQ(report.tags.size(), 7U);
    EXPECT_EQ(report.tags[0].value, bytes_of({0x7b, 0x02}));
    EXPECT_EQ(report.tags[1].type, 4);
    EXPECT_EQ(report.tags[1].value, bytes_of({0x08, 0, 0, 0, 0xa8, 0xaa, 0, 0}));
    EXPECT_EQ(report.tags[2].type, 5);
    EXPECT_EQ(report.tags[2].value, bytes_of({0x48, 0, 0, 0, 1, 0, 0, 0}));
    EXPECT_EQ(report.tags[6].type, 12);
    EXPECT_EQ(report.tags[6].value, bytes_of({0x9a, 0x99, 0x99, 0x99, 0x99, 0x99, 0x01, 0x40}));
}

// One field as the parser must read it from exiftool's output.
struct expected_field {
    const char* name;
    std::string_view output;
    exif_directory directory;
    std::uint16_t number;
    std::uint16_t type;
    std::uint32_t count;
    std::vector<std::byte> value;
    std::string_view tag_name = {}; // empty: not looked at
};

void PrintTo(const expected_field& field, std::ostream* out) {
    *out << field.name;
}

class ExiftoolVerboseOutputField : public ::testing::TestWithParam<expected_field> {};

TEST_P(ExiftoolVerboseOutputField, ReadsTheStoredTypeCountAndValue) {
    const expected_field& expected = GetParam();
    const exiftool_report report = parse_verbose_output(expected.output);
    const reported_tag* tag = find_tag(report, expected.directory, expected.number);
    ASSERT_NE(tag, nullptr);
    if (!expected.tag_name.empty()) {
        EXPECT_EQ(tag->name, expected.tag_name);
    }
    EXPECT_EQ(tag->type, expected.type);
    EXPECT_EQ(tag->count, expected.count);
    EXPECT_EQ(tag->value, expected.value);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ExiftoolVerboseOutputField,
    ::testing::Values(
        expected_field{"KeepsLittleEndianTextAsDumped", little_endian_jpeg, exif_directory::ifd0,
                       0x010f, 2, 6, bytes_of({0x43, 0x61, 0x6e, 0x6f, 0x6e, 0x00}), "Make"},
        expected_field{"KeepsLittleEndianRationalsAsDumped", little_endian_jpeg,
                       exif_directory::gps, 0x0002, 5, 3,
                       bytes_of({0x2b, 0, 0, 0, 1,    0,    0,    0,    0x1c, 0,    0,    0,
                                 1,    0, 0, 0, 0xc0, 0xd2, 0xc5, 0x10, 0x00, 0xe1, 0xf5, 0x05})},
        expected_field{"JoinsAHexDumpOfSeveralLines", little_endian_jpeg, exif_directory::exif,
                       0x927c, 7, 20,
                       bytes_of({1, 0, 3, 0, 1, 0, 0, 0, 5, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0})},
        expected_field{"TakesTheFormatStoredInTheFileNotTheOneExiftoolReadsItAs",
                       little_endian_jpeg, exif_directory::exif, 0x9101, 7, 4,
                       bytes_of({1, 2, 3, 0})},
        expected_field{"SwapsByTheStoredFormatWhenExiftoolReadsShortsAsBytes", big_endian_tiff,
                       exif_directory::ifd0, 0x0001, 3, 2, bytes_of({0x34, 0x12, 0x78, 0x56})},
        expected_field{"KeepsBytesExiftoolReadsAsUndefined", big_endian_tiff, exif_directory::ifd0,
                       0x02bc, 1, 3, bytes_of({0x3c, 0x78, 0x3a})},
        expected_field{"ReadsAnEmptyFieldWithoutACount",
                       big_endian_tiff,
                       exif_directory::ifd0,
                       0x010e,
                       2,
                       0,
                       {}}),
    [](const ::testing::TestParamInfo<expected_field>& each) { return each.param.name; });

// Output that yields no field: the problems the parser reports for it, if any.
struct fieldless_output {
    const char* name;
    std::string_view output;
    std::size_t problem_count;
    std::string_view first_problem; // empty: any text
};

void PrintTo(const fieldless_output& output, std::ostream* out) {
    *out << output.name;
}

class ExiftoolVerboseOutputWithoutFields : public ::testing::TestWithParam<fieldless_output> {};

TEST_P(ExiftoolVerboseOutputWithoutFields, ReadsNoFieldAndReportsItsProblems) {
    const exiftool_report report = parse_verbose_output(GetParam().output);
    EXPECT_TRUE(report.tags.empty());
    ASSERT_EQ(report.problems.size(), GetParam().problem_count);
    if (!GetParam().first_problem.empty()) {
        EXPECT_EQ(report.problems[0], GetParam().first_problem);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ExiftoolVerboseOutputWithoutFields,
    ::testing::Values(fieldless_output{"AHexDumpShorterThanTheByteCount", R"(  ExifByteOrder = II
  + [IFD0 directory with 1 entries]
  | 0)  Model = Canon EOS 40D
  |     - Tag 0x0110 (14 bytes, string[14]):
  |         00b6: 43 61 6e 6f 6e 20 45 4f                         [Canon EO]
)",
                                       1, "IFD0 0x0110 Model: 14 bytes declared, 8 dumped"},
                      fieldless_output{"AnUnknownFormatAndAFieldWithoutOne", R"(  ExifByteOrder = II
  + [IFD0 directory with 2 entries]
  | 0)  Odd = 1
  |     - Tag 0x0110 (4 bytes, fixed32s[1]):
  |         00b6: 00 00 01 00                                     [....]
  | 1)  Odder = 1
  |     - Tag 0x0111 (16 bytes)
)",
                                       2, ""},
                      fieldless_output{"Ifd0WithoutAByteOrder",
                                       "  + [IFD0 directory with 0 entries]\n", 1, ""},
                      // Only the top level's IFD0 is read.
                      fieldless_output{"Ifd0NestedInAnotherDirectory", R"(  ExifByteOrder = II
  + [Photoshop directory]
  | + [IFD0 directory with 1 entries]
  | | 0)  Orientation = 1
  | |     - Tag 0x0112 (2 bytes, int16u[1]):
  | |         0048: 01 00                                           [..]
)",
                                       0, ""}),
    [](const ::testing::TestParamInfo<fieldless_output>& each) { return each.param.name; });

TEST(ExiftoolFirstOccurrences, KeepsTheEnginesReadingOrderAndTheFirstOfEachId) {
    std::vector<reported_tag> tags(4);
    tags[0] = {exif_directory::ifd0, 0x0112, "Orientation", 3, 1, bytes_of({1, 0})};
    tags[1] = {exif_directory::gps, 0x0000, "GPSVersionID", 1, 4, bytes_of({2, 2, 0, 0})};
    tags[2] = {exif_directory::exif, 0xea1c, "Padding", 7, 1, bytes_of({0})};
    tags[3] = {exif_directory::ifd0, 0xea1c, "Padding", 7, 1, bytes_of({1})};
    const std::vector<reported_tag> first = first_occurrences(tags);
    ASSERT_EQ(first.size(), 3U);
    EXPECT_EQ(first[0].number, 0x0112);
    EXPECT_EQ(first[1].directory, exif_directory::ifd0);
    EXPECT_EQ(first[1].number, 0xea1c);
    EXPECT_EQ(first[1].value, bytes_of({1}));
    EXPECT_EQ(first[2].directory, exif_directory::gps);
    EXPECT_EQ(flat_id(first[2]), 0x0000U);
}

TEST(ExiftoolFormats, NameEveryTiffFieldType) {
    EXPECT_EQ(tiff_type_of("int8u"), 1);
    EXPECT_EQ(tiff_type_of("string"), 2);
    EXPECT_EQ(tiff_type_of("int16u"), 3);
    EXPECT_EQ(tiff_type_of("int32u"), 4);
    EXPECT_EQ(tiff_type_of("rational64u"), 5);
    EXPECT_EQ(tiff_type_of("int8s"), 6);
    EXPECT_EQ(tiff_type_of("undef"), 7);
    EXPECT_EQ(tiff_type_of("int16s"), 8);
    EXPECT_EQ(tiff_type_of("int32s"), 9);
    EXPECT_EQ(tiff_type_of("rational64s"), 10);
    EXPECT_EQ(tiff_type_of("float"), 11);
    EXPECT_EQ(tiff_type_of("double"), 12);
    EXPECT_EQ(tiff_type_of("ifd"), 13);
    EXPECT_EQ(tiff_type_of("fixed32s"), 0);
    EXPECT_EQ(element_size(5), 4U);
    EXPECT_EQ(element_size(12), 8U);
    EXPECT_EQ(element_size(0), 0U);
}

TEST(ExiftoolCommandLine, QuotesParenthesesSpacesAndQuotes) {
    EXPECT_EQ(shell_quote("jpg/WWL_(Polaroid)_ION230.jpg"), "'jpg/WWL_(Polaroid)_ION230.jpg'");
    EXPECT_EQ(shell_quote("it's $HOME `x`"), "'it'\\''s $HOME `x`'");
    const command_output echoed = run_command("printf %s " + shell_quote("a'(b) $c"));
    EXPECT_EQ(echoed.exit_code, 0);
    EXPECT_EQ(echoed.standard_output, "a'(b) $c");
}

TEST(ExiftoolCommandLine, FindsAProgramOnPathAndNotAMissingOne) {
    EXPECT_TRUE(find_on_path("sh"));
    EXPECT_FALSE(find_on_path("no-such-program-mirtel"));
}

} // namespace
} // namespace kestrov::oracle
