// exiftool's reading of IPTC texts this module edited, in a JPEG's APP13 segment.
#include "image/engine/iptc/iim.h"
#include "image/engine/iptc/image_resources.h"

#include "image/oracle/exiftool_oracle.h"
#include "image/oracle/peer_output.h"
#include "support/byte_literals.h"
#include "support/file_bytes.h"
#include "support/temporary_folder.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace kestrov::imaging::iptc {
namespace {

using kestrov::testing::bytes_of;
using kestrov::testing::concat;

using bytes = std::vector<std::byte>;

bytes dataset(std::uint8_t record, std::uint8_t number, const std::string& text) {
    return concat({bytes_of({0x1C, record, number, 0, std::uint8_t(text.size())}), bytes_of(text)});
}

// The photo with an APP13 segment holding `block` right after its SOI marker ("Photoshop File
// Formats": the segment's data is "Photoshop 3.0\0" and the resource block).
bytes with_app13(const bytes& photo, const bytes& block) {
    const auto data = concat({bytes_of("Photoshop 3.0"), bytes_of({0}), block});
    const auto length = data.size() + 2;
    const auto segment =
        concat({bytes_of({0xFF, 0xED, std::uint8_t(length >> 8), std::uint8_t(length)}), data});
    return concat(
        {bytes(photo.begin(), photo.begin() + 2), segment, bytes(photo.begin() + 2, photo.end())});
}

// Non-ASCII texts into ASCII datasets without 1:90: exiftool finds the UTF-8 declaration, the
// new texts, one By-line for two, and the untouched keyword and resolution resource.
TEST(IptcOracle, ExiftoolReadsTheEditedTextsAsUtf8) {
    const auto exiftool = oracle::exiftool::find();
    if (!exiftool) {
        GTEST_SKIP() << "exiftool is not installed";
    }
    const auto photo =
        kestrov::testing::file_bytes(std::filesystem::path(MIRTEL_SOURCE_DIR) / ".." / "shared" /
                                     "corpus" / "jpg" / "Fujifilm_FinePix_E500.jpg");
    ASSERT_GT(photo.size(), 2U);
    const auto iim =
        concat({dataset(1, 0, std::string("\0\4", 2)), dataset(2, 5, "Old"), dataset(2, 80, "A"),
                dataset(2, 25, "kw"), dataset(2, 80, "B"), dataset(2, 120, "Old caption")});
    const std::string name = "\xC5\xBDlu\xC5\xA5ou\xC4\x8Dk\xC3\xBD k\xC5\xAF\xC5\x88";
    const std::string author = "Jan Nov\xC3\xA1k";
    const std::vector<iim_edit> edits = {{text_field::object_name, name},
                                         {text_field::by_line, author},
                                         {text_field::caption, std::nullopt}};
    const auto edited = edit_iim(iim, edits);
    ASSERT_TRUE(edited.ok) << edited.problem;
    const bytes resolution(16, std::byte{1});
    auto block = with_resource({}, 0x03ED, std::span(resolution));
    block = with_resource(block, iptc_resource_id, std::span(edited.data));

    // The block reads back here as written, too.
    const auto resources = read_resources(block);
    ASSERT_TRUE(resources.well_formed);
    ASSERT_EQ(resources.resources.size(), 2U);
    const auto texts = read_iim(resources.resources[1].data);
    EXPECT_TRUE(texts.utf8_declared);
    EXPECT_EQ(texts.text(text_field::object_name), name);
    EXPECT_EQ(texts.text(text_field::by_line), author);
    EXPECT_FALSE(texts.text(text_field::caption));

    kestrov::testing::temporary_folder folder;
    const auto file = folder.write("edited.jpg", with_app13(photo, block)).string();
    const auto output = oracle::run_command(exiftool->command("-j -a -IPTC:all -Photoshop:all") +
                                            " " + oracle::shell_quote(file));
    ASSERT_EQ(output.exit_code, 0);
    const auto readings = oracle::parse_exiftool_json(output.standard_output);
    ASSERT_TRUE(readings.problems.empty());
    ASSERT_EQ(readings.files.count(file), 1U);
    const auto& tags = readings.files.at(file);
    EXPECT_EQ(tags.count("CodedCharacterSet"), 1U);
    EXPECT_EQ(tags.count("ObjectName") ? tags.at("ObjectName") : "", name);
    EXPECT_EQ(tags.count("By-line") ? tags.at("By-line") : "", author);
    EXPECT_EQ(tags.count("By-line#2"), 0U);
    EXPECT_EQ(tags.count("Keywords") ? tags.at("Keywords") : "", "kw");
    EXPECT_EQ(tags.count("Caption-Abstract"), 0U);
    EXPECT_EQ(tags.count("XResolution"), 1U);
}

} // namespace
} // namespace kestrov::imaging::iptc
