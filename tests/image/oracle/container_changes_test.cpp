// Changes that add structure to a file, judged by the peer readers: an Exif block where there
// was none (or only XMP beside it), and PNG text chunks.
#include "image/bitmap_plus.h"
#include "image/engine/formats/jpeg/jpeg_reader.h"
#include "image/engine/image.h"
#include "image/gdiplus_exception.h"
#include "image/oracle/exiftool_oracle.h"
#include "image/oracle/image_data.h"
#include "image/oracle/peer_tools.h"
#include "image/property_writer.h"
#include "support/file_bytes.h"
#include "support/temporary_folder.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace kestrov::oracle {
namespace {

namespace fs = std::filesystem;
using kestrov::testing::file_bytes;
using kestrov::testing::file_text;

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

TEST(ContainerChanges, JpegsWithoutOrBesideXmpGainAnExifBlockBothPeersReadAndXmpAgrees) {
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
        // XMP keeps everything but the creator, which now agrees with the author.
        auto xmp_after = with_prefix(after, "XMP:");
        auto xmp_before = with_prefix(before, "XMP:");
        EXPECT_EQ(xmp_after["XMP:XMP-dc:Creator"], "Žluťoučký kůň") << names[i];
        xmp_after.erase("XMP:XMP-dc:Creator");
        xmp_before.erase("XMP:XMP-dc:Creator");
        EXPECT_EQ(xmp_after, xmp_before) << names[i];
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

// Some writers store the GPS pointer as SLONG or IFD instead of LONG. A save must keep the GPS
// directory, and the maker note, as exiftool reads them.
TEST(ContainerChanges, GpsPointersOfOtherTypesKeepTheirTagsThroughASave) {
    auto tools = tools_or_skip();
    if (!tools) {
        GTEST_SKIP() << "exiftool, exiv2 or ImageMagick is not installed";
    }
    kestrov::testing::temporary_folder folder;
    const auto bytes = file_bytes(corpus / "jpg" / "gps" / "DSCN0010.jpg");
    const auto image = imaging::image::from_bytes(bytes);
    const auto* layout = dynamic_cast<const imaging::jpeg_layout*>(image->metadata().layout.get());
    ASSERT_NE(layout, nullptr);
    ASSERT_TRUE(layout->exif_segment.has_value());
    const auto& structure = layout->exif_structure;
    const auto& ifd0 = *structure.find(imaging::tiff_directory::ifd0);
    const auto pointer = std::find_if(ifd0.entries.begin(), ifd0.entries.end(),
                                      [](const auto& e) { return e.tag == 0x8825; });
    ASSERT_NE(pointer, ifd0.entries.end());
    // The segment's marker and length, "Exif\0\0", then the entry's tag and its type.
    const std::size_t type_at = layout->segments[*layout->exif_segment].offset + 4 + 6 +
                                ifd0.offset + 2 +
                                12 * static_cast<std::size_t>(pointer - ifd0.entries.begin()) + 2;
    std::vector<std::string> files;
    for (const std::uint16_t type : {std::uint16_t{9}, std::uint16_t{13}}) {
        auto patched = bytes;
        imaging::store_u16(patched.data() + type_at, type, structure.order);
        const std::string before = "before" + std::to_string(type) + ".jpg";
        const std::string after = "after" + std::to_string(type) + ".jpg";
        folder.write(before, patched);
        gdi::bitmap_plus bitmap(folder.write(after, patched).wstring());
        // Twenty saves in a row, the last with the author the peers check: the file stops
        // growing once the saves reuse the directories they wrote themselves.
        std::uintmax_t bound = 0;
        for (int round = 0; round < 20; ++round) {
            gdi::set_text_property(bitmap.bitmap(), 0x013B,
                                   round % 2 == 1 ? L"Eva Nováková" : L"Jan Novák");
            bitmap.save();
            const auto size = fs::file_size(folder.path() / after);
            if (round < 2) {
                bound = std::max(bound, size);
            } else {
                EXPECT_LE(size, bound) << "round " << round;
            }
        }
        files.push_back(before);
        files.push_back(after);
    }
    const auto readings = tools->read(folder.path(), files);
    ASSERT_TRUE(readings.problems.empty());
    for (std::size_t i = 0; i < files.size(); i += 2) {
        const auto& before = readings.exiftool.at(files[i]);
        const auto& after = readings.exiftool.at(files[i + 1]);
        EXPECT_EQ(after.at("EXIF:IFD0:Artist"), "Eva Nováková");
        EXPECT_GE(with_prefix(before, "EXIF:GPS:").size(), 5U) << files[i];
        EXPECT_EQ(with_prefix(after, "EXIF:GPS:"), with_prefix(before, "EXIF:GPS:")) << files[i];
        EXPECT_FALSE(with_prefix(before, "MakerNotes:").empty());
        EXPECT_EQ(with_prefix(after, "MakerNotes:"), with_prefix(before, "MakerNotes:"));
    }
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
