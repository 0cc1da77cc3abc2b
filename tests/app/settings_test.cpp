#include "app/screen_rect.h"
#include "app/settings.h"

#include <gtest/gtest.h>

#include <vector>

namespace kestrov {
namespace {

TEST(SettingsRecord, SwitchingAutoSaveChangesBitZeroOnly) {
    settings_record settings;
    set_saves_at_once(settings, false);
    EXPECT_EQ(settings.param, 2U);
    EXPECT_FALSE(saves_at_once(settings));
    set_saves_at_once(settings, true);
    EXPECT_EQ(settings.param, 3U);

    settings.param = 0xF0;
    set_saves_at_once(settings, true);
    EXPECT_EQ(settings.param, 0xF1U);
}

TEST(StoredRect, IsFourLittleEndianSignedIntegersLeftTopRightBottom) {
    const auto bytes = stored_rect_bytes({-8, 2, 0x01020304, 1000});
    const std::array<std::uint8_t, 16> expected = {0xF8, 0xFF, 0xFF, 0xFF, 2,    0, 0, 0,
                                                   0x04, 0x03, 0x02, 0x01, 0xE8, 3, 0, 0};
    EXPECT_EQ(bytes, expected);
    const auto back = rect_from_stored_bytes(bytes);
    ASSERT_TRUE(back);
    EXPECT_EQ(*back, (screen_rect{-8, 2, 0x01020304, 1000}));
}

TEST(StoredRect, OnlySixteenBytesMakeARectangle) {
    const auto bytes = stored_rect_bytes({10, 20, 110, 220});
    std::vector<std::uint8_t> longer(bytes.begin(), bytes.end());
    longer.resize(20);
    EXPECT_FALSE(rect_from_stored_bytes(longer));
    // A shorter value would leave the last fields undefined.
    EXPECT_FALSE(rect_from_stored_bytes(std::span(bytes).first(12)));
    EXPECT_FALSE(rect_from_stored_bytes({}));
}

TEST(StoredRect, ARectangleNoWindowCanHaveIsNotUsed) {
    EXPECT_FALSE(rect_from_stored_bytes(stored_rect_bytes({100, 100, 50, 200})));
    EXPECT_FALSE(rect_from_stored_bytes(stored_rect_bytes({0, 100, 10, 99})));
    // Widths past the 32-bit range would overflow the window's size.
    EXPECT_FALSE(rect_from_stored_bytes(stored_rect_bytes({-2147483647 - 1, 0, 2147483647, 10})));
    EXPECT_TRUE(rect_from_stored_bytes(stored_rect_bytes({-100, -100, -100, -100})));
}

} // namespace
} // namespace kestrov
