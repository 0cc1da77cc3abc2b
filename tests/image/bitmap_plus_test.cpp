#include "image/bitmap_plus.h"

#include "base/system_message.h"
#include "image/engine/containers/tiff_builder.h"
#include "image/gdiplus_exception.h"
#include "support/temporary_folder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace kestrov::gdi {
namespace {

namespace fs = std::filesystem;
using namespace imaging::testing;

class BitmapPlusTest : public ::testing::Test {
protected:
    kestrov::testing::temporary_folder folder_;
};

std::vector<std::byte> tiff_with_artist(const std::string& artist) {
    tiff_contents contents;
    contents.ifd0 = {ascii(0x013B, artist)};
    return build_tiff(contents, imaging::byte_order::little);
}

TEST_F(BitmapPlusTest, LoadKeepsTheImageAndItsPath) {
    const auto path = folder_.write("a.tif", tiff_with_artist("Eva")).wstring();
    bitmap_plus bitmap(path);
    ASSERT_NE(bitmap.bitmap(), nullptr);
    EXPECT_EQ(bitmap.file_name(), path);
    bitmap.release();
    EXPECT_EQ(bitmap.bitmap(), nullptr);
    EXPECT_TRUE(bitmap.file_name().empty());
}

TEST_F(BitmapPlusTest, MissingFileRaisesWithFileNotFoundAndLeavesItEmpty) {
    bitmap_plus bitmap(folder_.write("a.tif", tiff_with_artist("Eva")).wstring());
    try {
        bitmap.load((folder_.path() / "missing.jpg").wstring());
        FAIL() << "no exception";
    } catch (const gdiplus_exception& error) {
        EXPECT_EQ(error.status(), imaging::status::file_not_found);
        EXPECT_EQ(error.code(), e_fail);
        EXPECT_EQ(std::string(error.what()), system_message(0x80070002));
    }
    EXPECT_EQ(bitmap.bitmap(), nullptr);
    EXPECT_TRUE(bitmap.file_name().empty());
}

TEST_F(BitmapPlusTest, FileThatIsNoImageRaisesUnknownFormatWhateverItsName) {
    const auto path =
        folder_.write("photo.jpg", bytes_of("just some text, not a picture")).wstring();
    bitmap_plus bitmap;
    try {
        bitmap.load(path);
        FAIL() << "no exception";
    } catch (const gdiplus_exception& error) {
        EXPECT_EQ(error.status(), imaging::status::unknown_image_format);
    }
    EXPECT_TRUE(bitmap.file_name().empty());
}

TEST_F(BitmapPlusTest, AFolderIsNoImage) {
    bitmap_plus bitmap;
    EXPECT_THROW(bitmap.load(folder_.path().wstring()), gdiplus_exception);
}

TEST(GdiplusException, AllocationAndEncoderCasesCarryTheirTextsAndCodes) {
    const auto allocation = gdiplus_exception::allocation_failed();
    EXPECT_STREQ(allocation.what(), "Nepodařilo se vytvořit instanci objektu Gdiplus::Bitmap");
    EXPECT_EQ(allocation.status(), imaging::status::ok);
    const auto encoder = gdiplus_exception::no_encoder();
    EXPECT_EQ(encoder.code(), e_invalidarg);
    EXPECT_EQ(std::string(encoder.what()), system_message(e_invalidarg));
}

} // namespace
} // namespace kestrov::gdi
