// Changes that add structure to a file, judged by the peer readers: an Exif block where there
// was none (or only XMP beside it), and PNG text chunks.
#include "image/bitmap_plus.h"
#include "image/gdiplus_exception.h"
#include "image/oracle/exiftool_oracle.h"
#include "image/oracle/peer_tools.h"
#include "image/property_writer.h"
#include "support/temporary_folder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>

namespace kestrov::oracle {
namespace {

namespace fs = std::filesystem;

const fs::path corpus = fs::path(MIRTEL_SOURCE_DIR) / ".." / "shared" / "corpus";

std::optional<peer_tools> tools_or_skip() {
    std::string missing;
    auto tools = peer_tools::find(missing);
    return tools;
}

tag_values with_prefix(const tag_values& tags, const std::string& prefix) {
    tag_values out;
    for (const auto& [key, value] : tags) {
        if (key.rfind(prefix, 0) == 0) {
            out[key] = value;
        }
    }
    return out;
}

std::string file_text(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST(ContainerChanges, JpegsWithoutOrBesideXmpGainAnExifBlockBothPeersReadAndKeepTheirXmp) {
    auto tools = tools_or_skip();
    if (!tools) {
        GTEST_SKIP() << "exiftool, exiv2 or ImageMagick is not installed";
    }
    kestrov::testing::temporary_folder folder;
    const std::vector<std::string> names = {"xmp/no_exif.jpg", "xmp/BlueSquare.jpg",
                                            "exif-org/olympus-d320l.jpg",
                                            "exif-org/sony-powershota5.jpg"};
    std::vector<std::string> files;
    for (std::size_t i = 0; i < names.size(); ++i) {
        const std::string before = "before" + std::to_string(i) + ".jpg";
        const std::string after = "after" + std::to_string(i) + ".jpg";
        fs::copy_file(corpus / "jpg" / names[i], folder.path() / before);
        fs::copy_file(corpus / "jpg" / names[i], folder.path() / after);
        fs::permissions(folder.path() / after, fs::perms::owner_write, fs::perm_options::add);
        gdi::bitmap_plus bitmap((folder.path() / after).wstring());
        gdi::set_text_property(bitmap.bitmap(), 0x013B, L"Žluťoučký kůň");
        bitmap.save();
        files.push_back(before);
        files.push_back(after);
    }
    const auto readings = tools->read(folder.path(), files);
    ASSERT_TRUE(readings.problems.empty());
    for (std::size_t i = 0; i < names.size(); ++i) {
        const auto& before = readings.exiftool.at(files[2 * i]);
        const auto& after = readings.exiftool.at(files[2 * i + 1]);
        EXPECT_EQ(after.at("EXIF:IFD0:Artist"), "Žluťoučký kůň") << names[i];
        const auto& exiv2_after = readings.exiv2.at(files[2 * i + 1]);
        ASSERT_EQ(exiv2_after.count("Exif.Image.Artist"), 1U) << names[i];
        EXPECT_NE(exiv2_after.at("Exif.Image.Artist").find("Žluťoučký kůň"), std::string::npos);
        EXPECT_EQ(with_prefix(after, "XMP:"), with_prefix(before, "XMP:")) << names[i];
        EXPECT_EQ(readings.pixels.at(files[2 * i + 1]), readings.pixels.at(files[2 * i]));
    }
}

TEST(ContainerChanges, PngTextsAreSetAndRemovedAsExiftoolReadsThem) {
    auto tools = tools_or_skip();
    if (!tools) {
        GTEST_SKIP() << "exiftool, exiv2 or ImageMagick is not installed";
    }
    kestrov::testing::temporary_folder folder;
    const auto before = folder.path() / "before.png";
    const auto after = folder.path() / "after.png";
    ASSERT_TRUE(run_command("/usr/bin/convert -size 8x8 xc:red -set comment 'old comment' " +
                            shell_quote(before.string()))
                    .exit_code == 0);
    fs::copy_file(before, after);

    gdi::bitmap_plus bitmap(after.wstring());
    gdi::set_text_property(bitmap.bitmap(), 0x0320, L"Žluťoučký kůň");
    gdi::set_text_property(bitmap.bitmap(), 0x013B, L"Eva");
    ASSERT_EQ(bitmap.bitmap()->remove_property_item(0x9286), imaging::status::ok);
    bitmap.save();

    const auto readings = tools->read(folder.path(), {"before.png", "after.png"});
    const auto& read_back = readings.exiftool.at("after.png");
    EXPECT_EQ(read_back.at("PNG:Title"), "Žluťoučký kůň");
    EXPECT_EQ(read_back.at("PNG:Author"), "Eva");
    EXPECT_EQ(readings.exiftool.at("before.png").count("PNG:Comment"), 1U);
    EXPECT_EQ(read_back.count("PNG:Comment"), 0U);
    EXPECT_EQ(readings.pixels.at("after.png"), readings.pixels.at("before.png"));
    // The Czech title travels as UTF-8 in an iTXt chunk, the plain one in tEXt.
    const auto bytes = file_text(after);
    EXPECT_NE(bytes.find("iTXtTitle"), std::string::npos);
    EXPECT_NE(bytes.find("tEXtAuthor"), std::string::npos);
}

TEST(DamagedSamples, LoadOrFailWithAStatusAndReadEveryItem) {
    std::size_t files = 0;
    for (const auto& entry : fs::directory_iterator(corpus / "jpg" / "invalid")) {
        ++files;
        auto image = imaging::image::from_file(entry.path().wstring());
        ASSERT_NE(image, nullptr);
        if (image->last_status() != imaging::status::ok) {
            continue;
        }
        std::vector<std::uint32_t> ids;
        image->property_ids(ids);
        for (const auto id : ids) {
            std::uint32_t size = 0;
            ASSERT_EQ(image->property_item_size(id, size), imaging::status::ok);
            std::vector<imaging::PropertyItem> buffer(size / sizeof(imaging::PropertyItem) + 1);
            EXPECT_EQ(image->property_item(id, size, buffer.data()), imaging::status::ok);
        }
    }
    EXPECT_GE(files, 7U);
}

} // namespace
} // namespace kestrov::oracle
