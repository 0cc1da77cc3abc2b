#include "ui/toolkit/image_list_pair.h"

#include "base/kestrov_exception.h"
#include "res/resource_ids.h"
#include "ui/test_resource_ids.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>

namespace kestrov::winapi {
namespace {

// Draws an image on a blue background and reads its middle pixel back (0x00RRGGBB); blue shows
// through where the image is transparent.
std::uint32_t middle_pixel(HIMAGELIST list, int index) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = 16;
    info.bmiHeader.biHeight = -16;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HDC context = CreateCompatibleDC(nullptr);
    HBITMAP canvas = CreateDIBSection(context, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    const HGDIOBJ old = SelectObject(context, canvas);
    auto* pixels = static_cast<std::uint32_t*>(bits);
    std::fill(pixels, pixels + 16 * 16, 0x0000FFU);
    ImageList_Draw(list, index, context, 0, 0, ILD_NORMAL);
    GdiFlush();
    const std::uint32_t middle = pixels[8 * 16 + 8] & 0x00FFFFFFU;
    SelectObject(context, old);
    DeleteObject(canvas);
    DeleteDC(context);
    return middle;
}

constexpr std::uint32_t shows_through = 0x0000FF;

TEST(ImageListPair, AStripOfFourGivesFourNormalAndFourGreyImages) {
    image_list_pair pair(true);
    pair.add_bitmap(IDB_TEST_GREY_STRIP);
    EXPECT_EQ(pair.count, 4);
    EXPECT_EQ(ImageList_GetImageCount(pair.grey), 4);

    // Black is transparent in both; white stays white; 128 grey becomes 191.
    EXPECT_EQ(middle_pixel(pair.normal, 0), shows_through);
    EXPECT_EQ(middle_pixel(pair.grey, 0), shows_through);
    EXPECT_EQ(middle_pixel(pair.grey, 1), 0xFFFFFFU);
    EXPECT_EQ(middle_pixel(pair.normal, 2), 0x808080U);
    EXPECT_EQ(middle_pixel(pair.grey, 2), 0xBFBFBFU);
    // (0, 0, 1) is visible in its own colours, but its grey is black and so transparent.
    EXPECT_EQ(middle_pixel(pair.normal, 3), 0x000001U);
    EXPECT_EQ(middle_pixel(pair.grey, 3), shows_through);
}

TEST(ImageListPair, ABitmapThatIsNoResourceRaisesAndChangesNothing) {
    image_list_pair pair(true);
    pair.add_bitmap(IDB_TOOLBAR_OPEN);
    EXPECT_THROW(pair.add_bitmap(9999), kestrov_exception);
    EXPECT_EQ(pair.count, 1);
    EXPECT_EQ(ImageList_GetImageCount(pair.normal), 1);
    EXPECT_EQ(ImageList_GetImageCount(pair.grey), 1);
}

} // namespace
} // namespace kestrov::winapi
