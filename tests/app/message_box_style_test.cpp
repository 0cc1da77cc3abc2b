#include "app/message_box_style.h"

#include <gtest/gtest.h>

namespace kestrov {
namespace {

TEST(MessageStyle, GivenStyleBecomesTaskModalAndForeground) {
    const auto error_box = message_style(0x10, 0);
    EXPECT_EQ(error_box.style, 0x12010U);
    EXPECT_FALSE(error_box.with_user_icon);

    // A style wins over an icon id.
    const auto styled = message_style(0x40, 101);
    EXPECT_EQ(styled.style, 0x12040U);
    EXPECT_FALSE(styled.with_user_icon);
}

TEST(MessageStyle, NoStyleAndNoIconIsAPlainTaskModalBox) {
    const auto plain = message_style(0, 0);
    EXPECT_EQ(plain.style, 0x12000U);
    EXPECT_FALSE(plain.with_user_icon);
}

TEST(MessageStyle, IconIdWithoutStyleShowsTheProgramsIcon) {
    const auto with_icon = message_style(0, 101);
    EXPECT_EQ(with_icon.style, 0x12080U);
    EXPECT_TRUE(with_icon.with_user_icon);
}

TEST(YesNoStyle, CombinesIconAndDefaultButton) {
    EXPECT_EQ(yes_no_style(false, false), 0x3U | 0x20U | 0x100U | 0x2000U | 0x10000U);
    EXPECT_EQ(yes_no_style(true, false), 0x3U | 0x20U | 0x2000U | 0x10000U);
    EXPECT_EQ(yes_no_style(false, true), 0x3U | 0x30U | 0x100U | 0x2000U | 0x10000U);
    EXPECT_EQ(yes_no_style(true, true), 0x3U | 0x30U | 0x2000U | 0x10000U);
}

} // namespace
} // namespace kestrov
