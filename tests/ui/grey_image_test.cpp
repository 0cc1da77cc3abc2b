#include "ui/toolkit/grey_image.h"

#include <gtest/gtest.h>

#include <array>

namespace kestrov::winapi {
namespace {

TEST(GreyLevel, BlackAndEveryPixelDarkerThanOneLumaStepStayBlack) {
    EXPECT_EQ(grey_level(0, 0, 0), 0);
    // 11 * 1 / 100 is 0: so dark that it becomes the transparent colour.
    EXPECT_EQ(grey_level(0, 0, 1), 0);
    EXPECT_EQ(grey_level(3, 0, 0), 0);
}

TEST(GreyLevel, VisiblePixelsAreLiftedHalfwayToWhite) {
    EXPECT_EQ(grey_level(255, 255, 255), 255);
    EXPECT_EQ(grey_level(128, 128, 128), 191);
    // The smallest non-zero luma, 1, lands at 128: 1 + 254 / 2.
    EXPECT_EQ(grey_level(0, 2, 0), 128);
    // Pure colours by their weights: red 30 %, green 59 %, blue 11 %.
    EXPECT_EQ(grey_level(255, 0, 0), 76 + (255 - 76) / 2);
    EXPECT_EQ(grey_level(0, 255, 0), 150 + (255 - 150) / 2);
    EXPECT_EQ(grey_level(0, 0, 255), 28 + (255 - 28) / 2);
}

TEST(GreyPixels, ConvertsBlueGreenRedAndKeepsAlpha) {
    std::array<std::uint8_t, 12> pixels = {
        128, 128, 128, 0x7F, // mid grey, half alpha
        1,   0,   0,   0xFF, // (r, g, b) = (0, 0, 1)
        255, 255, 255, 0x00, // white
    };
    grey_pixels(pixels);
    const std::array<std::uint8_t, 12> expected = {191, 191,  191, 0x7F, 0,   0,
                                                   0,   0xFF, 255, 255,  255, 0x00};
    EXPECT_EQ(pixels, expected);
}

} // namespace
} // namespace kestrov::winapi
