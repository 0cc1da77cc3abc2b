#include "image/engine/formats/jpeg/jpeg_format.h"
#include "image/saving.h"

#include "base/kestrov_exception.h"
#include "base/system_message.h"
#include "image/edited_photo.h"
#include "image/engine/containers/tiff_builder.h"
#include "image/engine/formats/jpeg/jpeg_reader.h"
#include "image/engine/io/file_system.h"
#include "image/gdiplus_exception.h"
#include "image/property_readers.h"
#include "image/property_writer.h"
#include "support/failure_of.h"
#include "support/file_bytes.h"
#include "support/temporary_folder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <exception>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <new>
#include <stdexcept>
#include <tuple>

namespace kestrov::gdi {
namespace {

namespace fs = std::filesystem;
using namespace imaging::testing;
using kestrov::testing::failure_of;

class SavingTest : public ::testing::Test {
protected:
    static std::vector<std::byte> tiff(const std::string& artist) {
        tiff_contents contents;
        contents.ifd0 = {ascii(0x013B, artist), shorts(0x0112, {1})};
        return build_tiff(contents, imaging::byte_order::big);
    }

    // A JPEG of only an Exif block and a scan.
    static std::vector<std::byte> jpeg(const tiff_contents& contents) {
        auto jpeg = bytes_of({0xFF, 0xD8, 0xFF, 0xE1});
        auto exif = bytes_of({'E', 'x', 'i', 'f', 0, 0});
        const auto block = build_tiff(contents, imaging::byte_order::big);
        exif.insert(exif.end(), block.begin(), block.end());
        jpeg.push_back(static_cast<std::byte>((exif.size() + 2) >> 8));
        jpeg.push_back(static_cast<std::byte>((exif.size() + 2) & 0xFF));
        jpeg.insert(jpeg.end(), exif.begin(), exif.end());
        const auto scan = bytes_of({0xFF, 0xDA, 0x00, 0x02, 0x12, 0xFF, 0xD9});
        jpeg.insert(jpeg.end(), scan.begin(), scan.end());
        return jpeg;
    }

    static std::wstring artist_of(bitmap_plus& bitmap) {
        std::wstring text;
        EXPECT_TRUE(get_text_property(bitmap.bitmap(), 0x013B, text));
        return text;
    }

    kestrov::testing::temporary_folder folder_;
};

TEST(FindEncoder, ChoosesByExtensionIgnoringCase) {
    EXPECT_EQ(find_encoder(L".JPG").format, imaging::image_format::jpeg);
    EXPECT_EQ(find_encoder(L".jpeg").format, imaging::image_format::jpeg);
    EXPECT_EQ(find_encoder(L".TiF").format, imaging::image_format::tiff);
    EXPECT_EQ(find_encoder(L".png").format, imaging::image_format::png);
}

TEST(FindEncoder, DecoderOnlyOrMissingExtensionsHaveNoEncoder) {
    for (const auto* extension : {L".ico", L".emf", L".webp", L""}) {
        try {
            find_encoder(extension);
            ADD_FAILURE() << "an encoder for an unsupported extension";
        } catch (const gdiplus_exception& error) {
            EXPECT_EQ(error.code(), e_invalidarg);
            EXPECT_EQ(error.status(), imaging::status::ok);
        }
    }
}

TEST(TemporaryName, AppendsTempAndTheExtension) {
    EXPECT_EQ(temporary_name(L"C:\\foto\\a.jpg"), L"C:\\foto\\a.jpg_temp_.jpg");
    EXPECT_EQ(temporary_name(L"/home/eva/scan"), L"/home/eva/scan_temp_");
}

TEST_F(SavingTest, SaveWritesTheItemsAndLeavesNoTemporaryFile) {
    const auto path = folder_.write("photo.TIF", tiff("Eva"));
    bitmap_plus bitmap(path.wstring());
    set_text_property(bitmap.bitmap(), 0x013B, L"Žluťoučký kůň");
    bitmap.save();
    EXPECT_EQ(bitmap.file_name(), path.wstring());
    EXPECT_EQ(artist_of(bitmap), L"Žluťoučký kůň");
    EXPECT_EQ(folder_.file_count(), 1U);

    // A second save right after the first works the same way.
    set_text_property(bitmap.bitmap(), 0x0320, L"Název");
    bitmap.save();
    bitmap_plus reread(path.wstring());
    EXPECT_EQ(artist_of(reread), L"Žluťoučký kůň");
    EXPECT_EQ(folder_.file_count(), 1U);
}

TEST_F(SavingTest, ReadOnlyFileIsRefusedAndKeepsFileAndEdits) {
    const auto original = tiff("Eva");
    const auto path = folder_.write("photo.tif", original);
    kestrov::testing::edited_photo bitmap(path);
    fs::permissions(path, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
    if (const auto error =
            failure_of<kestrov_exception>([&] { bitmap.save(); }, "a read-only file was saved")) {
        EXPECT_EQ(error->code(), 0x80070005U);
    }
    EXPECT_EQ(kestrov::testing::file_bytes(path), original);
    EXPECT_EQ(folder_.file_count(), 1U);
    EXPECT_EQ(artist_of(bitmap), L"Petr");
}

TEST_F(SavingTest, ReadOnlyFolderIsRefusedAndKeepsTheFile) {
#ifdef _WIN32
    GTEST_SKIP() << "Windows has no read-only folders in this sense";
#endif
    const auto original = tiff("Eva");
    const auto path = folder_.write("photo.tif", original);
    kestrov::testing::edited_photo bitmap(path);
    const auto folder_permissions = fs::status(folder_.path()).permissions();
    fs::permissions(folder_.path(),
                    fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
    EXPECT_THROW(bitmap.save(), kestrov_exception);
    fs::permissions(folder_.path(), folder_permissions);
    EXPECT_EQ(kestrov::testing::file_bytes(path), original);
    EXPECT_EQ(folder_.file_count(), 1U);
}

TEST_F(SavingTest, FileDeletedSinceLoadingIsReportedAndNothingIsLeft) {
    const auto path = folder_.write("photo.tif", tiff("Eva"));
    kestrov::testing::edited_photo bitmap(path);
    std::error_code deleted;
    fs::remove(path, deleted);
    if (deleted || fs::exists(path)) {
        GTEST_SKIP() << "this system keeps an open file from being deleted";
    }
    EXPECT_THROW(bitmap.save(), kestrov_exception);
    EXPECT_EQ(folder_.file_count(), 0U);
}

TEST_F(SavingTest, AWriteFailingPartWayLeavesTheOriginalAndNoTemporaryFile) {
    const auto original = tiff("Eva");
    const auto path = folder_.write("photo.tif", original);
    kestrov::testing::edited_photo bitmap(path);
    imaging::output_file::fail_writes_after_for_testing(20);
    if (const auto error = failure_of<gdiplus_exception>([&] { bitmap.save(); },
                                                         "a failed write was reported as saved")) {
        EXPECT_EQ(std::string(error->what()), system_message(0x80070070)); // the disk is full
    }
    imaging::output_file::fail_writes_after_for_testing(std::nullopt);
    EXPECT_EQ(kestrov::testing::file_bytes(path), original);
    EXPECT_EQ(folder_.file_count(), 1U);
    EXPECT_EQ(artist_of(bitmap), L"Petr");
}

TEST_F(SavingTest, AnExifBlockPastTheSegmentLimitIsRefusedAndKeepsTheFile) {
    tiff_contents contents;
    contents.ifd0 = {ascii(0x010F, "Canon")};
    const auto original = jpeg(contents);
    const auto path = folder_.write("photo.jpg", original);

    bitmap_plus bitmap(path.wstring());
    set_text_property(bitmap.bitmap(), 0x010E, std::wstring(70000, L'a'));
    if (const auto error = failure_of<gdiplus_exception>([&] { bitmap.save(); },
                                                         "an Exif block over 64 KB was saved")) {
        EXPECT_EQ(error->status(), imaging::status::value_overflow);
    }
    EXPECT_EQ(kestrov::testing::file_bytes(path), original);
    EXPECT_EQ(folder_.file_count(), 1U);
}

TEST_F(SavingTest, AnExceptionInsideTheWriteIsReportedAndLeavesNothingBehind) {
    const auto original = tiff("Eva");
    const auto copy = folder_.path() / "copy.tif";
    for (const auto& [error, status, message] :
         {std::tuple{std::make_exception_ptr(std::bad_alloc()), imaging::status::out_of_memory,
                     system_message(0x80070008)}, // not enough memory
          std::tuple{std::make_exception_ptr(std::runtime_error("writer")),
                     imaging::status::generic_error, system_message(e_unexpected)}}) {
        const auto path = folder_.write("photo.tif", original);
        kestrov::testing::edited_photo bitmap(path);
        // Over the own file (through the temporary file), and to another file.
        for (const bool own : {true, false}) {
            imaging::output_file::throw_from_writes_after_for_testing(20, error);
            try {
                own ? static_cast<void>(bitmap.save()) : bitmap.save_to(copy.wstring());
                ADD_FAILURE() << "a save that threw was reported as saved";
            } catch (const gdiplus_exception& failure) {
                EXPECT_EQ(failure.status(), status);
                EXPECT_EQ(std::string(failure.what()), message);
            }
            imaging::output_file::throw_from_writes_after_for_testing(0, nullptr);
            EXPECT_EQ(kestrov::testing::file_bytes(path), original);
            EXPECT_EQ(folder_.file_count(), 1U);
            EXPECT_EQ(artist_of(bitmap), L"Petr");
        }
        // The image is still whole: the next save works.
        bitmap.save();
        bitmap_plus reread(path.wstring());
        EXPECT_EQ(artist_of(reread), L"Petr");
    }
}

TEST_F(SavingTest, IdsTheContainerCannotStoreAreRefusedAndChangeNothing) {
    tiff_contents contents;
    contents.ifd0 = {ascii(0x010F, "Canon")};
    const auto path = folder_.write("photo.jpg", jpeg(contents));
    bitmap_plus bitmap(path.wstring());
    imaging::image& image = *bitmap.bitmap();
    char text[] = "Nikon";
    std::uint16_t width = 160;
    // Past 16 bits (0x1010F would become a second Make), the sub-directory pointers, the
    // thumbnail's bytes.
    for (const std::uint32_t id : {0x1010FU, 0x8769U, 0x8825U, 0xA005U, 0x501BU, 0xFFFF0000U}) {
        const imaging::PropertyItem item{id, sizeof text, imaging::property_type::ascii, text};
        EXPECT_EQ(image.set_property_item(item), imaging::status::property_not_supported) << id;
        EXPECT_EQ(image.last_status(), imaging::status::property_not_supported);
    }
    EXPECT_EQ(image.metadata().properties, image.metadata().as_read);

    // A thumbnail field has a place in an Exif block, not in a TIFF file (whose next directory
    // is a page).
    const imaging::PropertyItem thumbnail_width{0x5020, 2, imaging::property_type::short_, &width};
    EXPECT_EQ(image.set_property_item(thumbnail_width), imaging::status::ok);
    bitmap_plus tiff_file(folder_.write("page.tif", tiff("Eva")).wstring());
    EXPECT_EQ(tiff_file.bitmap()->set_property_item(thumbnail_width),
              imaging::status::property_not_supported);

    const imaging::PropertyItem model{0x0110, sizeof text, imaging::property_type::ascii, text};
    EXPECT_EQ(image.set_property_item(model), imaging::status::ok);
    bitmap.save();
    std::wstring read;
    EXPECT_TRUE(get_text_property(bitmap.bitmap(), 0x0110, read));
    EXPECT_EQ(read, L"Nikon");
    EXPECT_TRUE(get_text_property(bitmap.bitmap(), 0x010F, read));
    EXPECT_EQ(read, L"Canon");
    // Exactly one Make entry in the saved Exif block.
    const auto bytes = kestrov::testing::file_bytes(path);
    imaging::memory_source saved(bytes);
    imaging::decoded_metadata metadata;
    ASSERT_EQ(imaging::read_jpeg(saved, metadata), imaging::status::ok);
    const auto& layout = dynamic_cast<const imaging::jpeg_layout&>(*metadata.layout);
    const auto* ifd0 = layout.exif_structure.find(imaging::tiff_directory::ifd0);
    ASSERT_NE(ifd0, nullptr);
    EXPECT_EQ(std::count_if(ifd0->entries.begin(), ifd0->entries.end(),
                            [](const auto& entry) { return entry.tag == 0x010F; }),
              1);
    EXPECT_NE(bitmap.bitmap()->metadata().properties.find(0x5020), nullptr);
}

TEST_F(SavingTest, FileChangedOnDiskSinceLoadingIsNotOverwritten) {
#ifdef _WIN32
    GTEST_SKIP() << "Windows refuses other writers while the image holds its file open";
#endif
    const auto path = folder_.write("photo.tif", tiff("Eva"));
    kestrov::testing::edited_photo bitmap(path);
    const auto newer = tiff("Somebody else");
    folder_.write("photo.tif", newer);
    fs::last_write_time(path, fs::last_write_time(path) + std::chrono::seconds(5));
    EXPECT_THROW(bitmap.save(), kestrov_exception);
    EXPECT_EQ(kestrov::testing::file_bytes(path), newer);
    EXPECT_EQ(folder_.file_count(), 1U);
}

TEST_F(SavingTest, EncoderOfAnotherFormatIsRefusedAndLeavesNothing) {
    const auto path = folder_.write("photo.tif", tiff("Eva"));
    bitmap_plus bitmap(path.wstring());
    const auto other = folder_.path() / "copy.png";
    try {
        bitmap.save_to(other.wstring());
        FAIL() << "converted to another format";
    } catch (const gdiplus_exception& error) {
        EXPECT_EQ(error.status(), imaging::status::not_implemented);
    }
    EXPECT_FALSE(fs::exists(other));
    EXPECT_EQ(bitmap.file_name(), path.wstring());
}

TEST_F(SavingTest, SaveAsTheOwnNameInAnotherCaseSavesOverTheOwnFile) {
    const auto path = folder_.write("photo.tif", tiff("Eva"));
    kestrov::testing::edited_photo bitmap(path);
    auto shouted = path.wstring();
    std::transform(shouted.begin(), shouted.end(), shouted.begin(),
                   [](wchar_t c) { return c == L't' ? L'T' : c; });
    bitmap.save_as(shouted);
    EXPECT_EQ(bitmap.file_name(), path.wstring());
    bitmap_plus reread(path.wstring());
    EXPECT_EQ(artist_of(reread), L"Petr");
}

TEST_F(SavingTest, SaveToAnotherFileLeavesTheImageBoundToItsOwn) {
    const auto path = folder_.write("photo.tif", tiff("Eva"));
    kestrov::testing::edited_photo bitmap(path);
    const auto copy = folder_.path() / "copy.tiff";
    bitmap.save_as(copy.wstring());
    EXPECT_EQ(bitmap.file_name(), path.wstring());
    bitmap_plus reread(copy.wstring());
    EXPECT_EQ(artist_of(reread), L"Petr");
    EXPECT_EQ(kestrov::testing::file_bytes(path), tiff("Eva"));
}

TEST_F(SavingTest, WithoutAnImageSavingRaisesPointerError) {
    bitmap_plus empty;
    try {
        empty.save();
        FAIL() << "saved nothing";
    } catch (const kestrov_exception& error) {
        EXPECT_EQ(error.code(), e_pointer);
    }
}

} // namespace
} // namespace kestrov::gdi
