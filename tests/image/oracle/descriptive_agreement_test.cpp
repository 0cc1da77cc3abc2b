// Title, description and author written by the program are what every other program reads: the
// XP tags, XMP and IPTC that hold them agree after a save, and go with a removal; everything else
// in the file stays as it was.
#include "image/bitmap_plus.h"
#include "image/oracle/peer_tools.h"
#include "image/oracle/shell_command.h"
#include "image/property_readers.h"
#include "image/property_writer.h"
#include "support/temporary_folder.h"

#include <gtest/gtest.h>

namespace kestrov::oracle {
namespace {

namespace fs = std::filesystem;

const fs::path corpus = fs::path(MIRTEL_SOURCE_DIR) / ".." / "shared" / "corpus";

const std::wstring title = L"Výlet na Sněžku";
const std::wstring description = L"Popis & <značky> \"v uvozovkách\"";
const std::wstring author = L"Eva Nováková";

// Where each text may stand, as exiftool names it, and the text it must hold there.
const std::vector<std::pair<std::string, std::string>> places = {
    {"EXIF:IFD0:XPTitle", "Výlet na Sněžku"},
    {"XMP:XMP-dc:Title", "Výlet na Sněžku"},
    {"IPTC:ObjectName", "Výlet na Sněžku"},
    {"EXIF:IFD0:ImageDescription", "Popis & <značky> \"v uvozovkách\""},
    {"PNG:Title", "Výlet na Sněžku"},
    {"PNG:Description", "Popis & <značky> \"v uvozovkách\""},
    {"PNG:Author", "Eva Nováková"},
    {"XMP:XMP-dc:Description", "Popis & <značky> \"v uvozovkách\""},
    {"IPTC:Caption-Abstract", "Popis & <značky> \"v uvozovkách\""},
    {"EXIF:IFD0:Artist", "Eva Nováková"},
    {"EXIF:IFD0:XPAuthor", "Eva Nováková"},
    {"XMP:XMP-dc:Creator", "Eva Nováková"},
    {"IPTC:By-line", "Eva Nováková"},
};

bool is_place(const std::string& key) {
    return std::any_of(places.begin(), places.end(), [&](const auto& p) { return p.first == key; });
}

// Tags a save rewrites by design: the IPTC digest goes with any change of IPTC, and exiftool's
// file-level and derived tags describe the file rather than its metadata.
bool changes_with_the_save(const std::string& key) {
    return key == "SourceFile" || key.rfind("File:", 0) == 0 || key.rfind("Composite:", 0) == 0 ||
           key.rfind("ExifTool:", 0) == 0 || key.find("IPTCDigest") != std::string::npos ||
           key.find("CurrentIPTCDigest") != std::string::npos;
}

void edit(const fs::path& file, bool remove) {
    gdi::bitmap_plus bitmap(file.wstring());
    for (const auto& [id, text] :
         {std::pair{0x0320u, title}, std::pair{0x010Eu, description}, std::pair{0x013Bu, author}}) {
        if (!remove) {
            gdi::set_text_property(bitmap.bitmap(), id, text);
        } else {
            bitmap.bitmap()->remove_property_item(id);
        }
    }
    bitmap.save();
}

class DescriptiveAgreement : public ::testing::Test {
protected:
    void SetUp() override {
        std::string missing;
        tools_ = peer_tools::find(missing);
        if (!tools_) {
            GTEST_SKIP() << missing << " is not installed";
        }
    }

    // Copies `source` three times (as it is, with the texts set, with them removed), edits the
    // copies and checks them: every place holds the new text where the file had it, or must gain
    // it; nothing else changed; pixels the same; after removal, no place is left.
    void check(const fs::path& source, const std::string& extension,
               std::vector<std::string> gained) {
        // The items' own places: IFD0's tags, or a PNG's text chunks.
        if (extension == ".png") {
            gained.insert(gained.end(), {"PNG:Title", "PNG:Description", "PNG:Author"});
        } else {
            gained.insert(gained.end(), {"EXIF:IFD0:ImageDescription", "EXIF:IFD0:Artist"});
        }
        const std::string before = "before" + extension;
        const std::string set = "set" + extension;
        const std::string removed = "removed" + extension;
        for (const auto& name : {before, set, removed}) {
            fs::copy_file(source, folder_.path() / name);
            fs::permissions(folder_.path() / name, fs::perms::owner_write, fs::perm_options::add);
        }
        edit(folder_.path() / set, false);
        edit(folder_.path() / removed, false);
        edit(folder_.path() / removed, true);
        const auto readings = tools_->read(folder_.path(), {before, set, removed});
        ASSERT_TRUE(readings.problems.empty());
        const auto& old = readings.exiftool.at(before);
        const auto& now = readings.exiftool.at(set);
        for (const auto& [key, text] : places) {
            const bool expected =
                old.count(key) != 0 || std::find(gained.begin(), gained.end(), key) != gained.end();
            if (expected) {
                ASSERT_EQ(now.count(key), 1U) << key;
                EXPECT_EQ(now.at(key), text) << key;
            }
            EXPECT_EQ(readings.exiftool.at(removed).count(key), 0U) << key;
        }
        for (const auto& [key, value] : old) {
            if (!is_place(key) && !changes_with_the_save(key)) {
                ASSERT_EQ(now.count(key), 1U) << key;
                EXPECT_EQ(now.at(key), value) << key;
            }
        }
        EXPECT_EQ(readings.pixels.at(set), readings.pixels.at(before));
        EXPECT_EQ(readings.pixels.at(removed), readings.pixels.at(before));
        // The Metadata Working Group's reading of description and creator.
        const auto mwg = run_command("exiftool -use MWG -s3 -Description -Creator " +
                                     shell_quote((folder_.path() / set).string()));
        EXPECT_EQ(mwg.standard_output, "Popis & <značky> \"v uvozovkách\"\nEva Nováková\n");
    }

    // A copy of `source` with every place filled by exiftool (old texts), as a photo that went
    // through other programs has them.
    fs::path with_old_texts(const fs::path& source, const std::string& name) {
        const auto file = folder_.path() / name;
        fs::copy_file(source, file);
        const auto result = run_command(
            "exiftool -q -overwrite_original -XPTitle=Old -XPAuthor=Old -XMP-dc:Title=Old "
            "-XMP-dc:Description=Old -XMP-dc:Creator=Old -IPTC:ObjectName=Old "
            "-IPTC:Caption-Abstract=Old -IPTC:By-line=Old -XMP-dc:Subject=kept "
            "-IPTC:Keywords=kept -IPTC:CodedCharacterSet=UTF8 " +
            shell_quote(file.string()));
        EXPECT_EQ(result.exit_code, 0) << result.standard_output;
        return file;
    }

    std::optional<peer_tools> tools_;
    kestrov::testing::temporary_folder folder_;
};

TEST_F(DescriptiveAgreement, PhotoshopJpegWithXmpAndIptcAgreesEverywhere) {
    check(corpus / "jpg" / "xmp" / "BlueSquare.jpg", ".jpg",
          {"EXIF:IFD0:XPTitle", "XMP:XMP-dc:Creator"});
}

TEST_F(DescriptiveAgreement, CameraJpegWithEveryPlaceFilledAgreesEverywhere) {
    check(with_old_texts(corpus / "jpg" / "Canon_40D.jpg", "filled.jpg"), ".jpg", {});
}

TEST_F(DescriptiveAgreement, TiffWithEveryPlaceFilledAgreesEverywhere) {
    const auto plain = folder_.path() / "plain.tif";
    ASSERT_EQ(run_command("/usr/bin/convert -size 16x16 xc:blue " + shell_quote(plain.string()))
                  .exit_code,
              0);
    check(with_old_texts(plain, "filled.tif"), ".tif", {});
}

TEST_F(DescriptiveAgreement, PngGainsXmpBesideItsTextChunks) {
    const auto plain = folder_.path() / "plain.png";
    ASSERT_EQ(run_command("/usr/bin/convert -size 16x16 xc:blue " + shell_quote(plain.string()))
                  .exit_code,
              0);
    const auto file = folder_.path() / "xmp.png";
    fs::copy_file(plain, file);
    ASSERT_EQ(run_command("exiftool -q -overwrite_original -XMP-dc:Title=Old "
                          "-XMP-dc:Subject=kept " +
                          shell_quote(file.string()))
                  .exit_code,
              0);
    check(file, ".png", {"XMP:XMP-dc:Description", "XMP:XMP-dc:Creator"});
}

// A title that only XMP holds is the photo's title, for the list and the add dialog alike.
TEST_F(DescriptiveAgreement, TitleOnlyInXmpIsShown) {
    gdi::bitmap_plus bitmap((corpus / "jpg" / "xmp" / "no_exif.jpg").wstring());
    std::wstring text;
    ASSERT_TRUE(gdi::get_text_property(bitmap.bitmap(), 0x0320, text));
    EXPECT_EQ(text, L"Der Goalie bin ig");
}

} // namespace
} // namespace kestrov::oracle
