// GIF and BMP files hold none of the program's tags: setting or removing one is refused, and
// saving writes the file back byte for byte.
#include "image/bitmap_plus.h"
#include "image/engine/containers/tiff_builder.h"
#include "image/gdiplus_exception.h"
#include "image/property_writer.h"
#include "support/file_bytes.h"
#include "support/temporary_folder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>

namespace kestrov::gdi {
namespace {

using imaging::testing::bytes_of;

// A 1 x 1 GIF89a: screen descriptor with a two-colour table, one image, the trailer.
const auto gif =
    bytes_of({'G', 'I', 'F', '8', '9', 'a', 1, 0, 1, 0, 0x80, 0, 0, 0xFF, 0,    0, 0,  0,
              0,   ',', 0,   0,   0,   0,   1, 0, 1, 0, 0,    2, 2, 0x44, 0x01, 0, ';'});

// A 1 x 1 BMP with 24 bits per pixel: file header, info header, one padded row.
const auto bmp = bytes_of({'B', 'M', 58, 0, 0, 0, 0, 0, 0,  0, 54, 0, 0, 0, 40, 0, 0,    0, 1, 0,
                           0,   0,   1,  0, 0, 0, 1, 0, 24, 0, 0,  0, 0, 0, 4,  0, 0,    0, 0, 0,
                           0,   0,   0,  0, 0, 0, 0, 0, 0,  0, 0,  0, 0, 0, 0,  0, 0xFF, 0});

TEST(UnchangeableFormats, RefuseTagsAndSaveTheSameBytes) {
    kestrov::testing::temporary_folder folder;
    for (const auto& [name, bytes] : {std::pair{"a.gif", gif}, std::pair{"a.bmp", bmp}}) {
        const auto path = folder.write(name, bytes);
        bitmap_plus bitmap(path.wstring());
        try {
            set_text_property(bitmap.bitmap(), 0x013B, L"Eva");
            ADD_FAILURE() << name << " took a tag";
        } catch (const gdiplus_exception& error) {
            EXPECT_EQ(error.status(), imaging::status::property_not_supported) << name;
        }
        EXPECT_EQ(bitmap.bitmap()->remove_property_item(0x013B),
                  imaging::status::property_not_supported);
        bitmap.save();
        EXPECT_EQ(kestrov::testing::file_bytes(path), bytes) << name;
        EXPECT_EQ(folder.file_count(), 1U);
        std::filesystem::remove(path);
    }
}

} // namespace
} // namespace kestrov::gdi
