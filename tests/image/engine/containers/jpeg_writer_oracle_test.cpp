// exiftool's reading of a JPEG whose Exif block, too near the segment limit for rewritten
// directories to follow it, a save laid out anew.
#include "image/engine/container_writer.h"
#include "image/engine/formats/jpeg/jpeg_format.h"
#include "image/engine/formats/jpeg/jpeg_reader.h"

#include "image/engine/containers/tiff_builder.h"
#include "image/oracle/exiftool_oracle.h"
#include "image/oracle/tag_comparison.h"
#include "support/temporary_folder.h"

#include <gtest/gtest.h>

namespace kestrov::imaging {
namespace {

using namespace testing;

// The edited tag changed; every other tag, the thumbnail's bytes included, reads as before.
TEST(JpegWriterOracle, ExiftoolReadsABlockLaidOutAnewAsBeforeButTheEdit) {
    const auto exiftool = oracle::exiftool::find();
    if (!exiftool) {
        GTEST_SKIP() << "exiftool is not installed";
    }
    tiff_contents contents;
    contents.ifd0 = {ascii(0x010F, "Canon"), ascii(0x013B, "Jan Novák"),
                     ascii(0x0131, "firmware 1.0")};
    contents.exif = {rationals(0x829A, {{1, 160}}), ascii(0x9003, "2024:05:01 10:00:00")};
    contents.ifd1 = {shorts(0x0103, {6})};
    const auto file =
        jpeg_with_exif(build_tiff_of_size(contents, largest_exif_block - 6, byte_order::big));
    memory_source source(file);
    decoded_metadata metadata;
    ASSERT_EQ(read_jpeg(source, metadata), status::ok);
    metadata.properties.set({0x013B, 2, ascii(0, "Jan Nováková").value});
    memory_sink sink;
    ASSERT_EQ(write_jpeg(source, metadata, sink), status::ok);

    kestrov::testing::temporary_folder folder;
    const auto before = folder.write("before.jpg", file).string();
    const auto after = folder.write("after.jpg", sink.bytes()).string();
    const auto output =
        oracle::run_command(exiftool->command("-q " + std::string(oracle::exiftool::json_options)) +
                            " " + oracle::shell_quote(before) + " " + oracle::shell_quote(after));
    ASSERT_EQ(output.exit_code, 0);
    const auto readings = oracle::parse_exiftool_json(output.standard_output);
    ASSERT_TRUE(readings.problems.empty());
    ASSERT_EQ(readings.files.count(before), 1U);
    ASSERT_EQ(readings.files.count(after), 1U);
    EXPECT_NE(readings.files.at(before).count("EXIF:IFD1:ThumbnailImage"), 0U);
    oracle::expected_changes expected;
    expected.set["EXIF:IFD0:Artist"] = "Jan Nováková";
    expected.ignored = [](std::string_view key) {
        return key == "SourceFile" || key.starts_with("File:System:") ||
               key == "ExifTool:ExifToolVersion" || key == "EXIF:IFD1:ThumbnailOffset";
    };
    EXPECT_EQ(oracle::compare_tags(readings.files.at(before), readings.files.at(after), expected),
              std::vector<std::string>{});
}

} // namespace
} // namespace kestrov::imaging
