#include "ui/main/value_column_width.h"
#include "ui/toolkit/edit_number_rules.h"
#include "ui/toolkit/static_text_colour.h"

#include <gtest/gtest.h>

namespace kestrov::winapi {
namespace {

TEST(EditNumberHint, NamesTheBoundsThatAreSet) {
    EXPECT_EQ(edit_number_hint(0, 0), L"Zadejte číselnou hodnotu");
    EXPECT_EQ(edit_number_hint(0, 100), L"Zadejte číselnou hodnotu do 100");
    EXPECT_EQ(edit_number_hint(5, 0), L"Zadejte číselnou hodnotu od 5");
    EXPECT_EQ(edit_number_hint(1, 4294967295U), L"Zadejte hodnotu v rozsahu 1 - 4294967295");
    EXPECT_LE(edit_number_hint(4294967295U, 4294967295U).size(), 120U);
}

TEST(EditNumberBounds, ZeroLeavesASideOpenAndBoundsAreInclusive) {
    EXPECT_TRUE(within_bounds(4294967295U, 0, 0));
    EXPECT_TRUE(within_bounds(0, 0, 0));
    EXPECT_TRUE(within_bounds(10, 10, 20));
    EXPECT_TRUE(within_bounds(20, 10, 20));
    EXPECT_FALSE(within_bounds(9, 10, 20));
    EXPECT_FALSE(within_bounds(21, 10, 20));
    EXPECT_FALSE(within_bounds(0, 1, 0));
    EXPECT_FALSE(within_bounds(101, 0, 100));
}

TEST(EditNumberText, ReadsLeadingDigitsUpToTheLargestUnsignedNumber) {
    EXPECT_EQ(unsigned_number(L"0"), 0U);
    EXPECT_EQ(unsigned_number(L"4294967295"), 4294967295U);
    EXPECT_EQ(unsigned_number(L"0004294967295"), 4294967295U);
    EXPECT_EQ(unsigned_number(L"  42"), 42U);
    // Reading stops at the first character that is no digit.
    EXPECT_EQ(unsigned_number(L"12ab"), 12U);
    EXPECT_FALSE(unsigned_number(L"4294967296"));
    EXPECT_FALSE(unsigned_number(L"99999999999999999999999"));
    EXPECT_FALSE(unsigned_number(L""));
    EXPECT_FALSE(unsigned_number(L"   "));
    EXPECT_FALSE(unsigned_number(L"-1"));
    EXPECT_FALSE(unsigned_number(L"x1"));
}

TEST(StaticTextColour, DrawnTextTakesANonBlackSystemColourOverTheStyles) {
    const colour high_contrast = rgb(255, 255, 0);
    EXPECT_EQ(drawn_text_colour(2, high_contrast), high_contrast);
    EXPECT_EQ(drawn_text_colour(0, high_contrast), high_contrast);
    EXPECT_EQ(drawn_text_colour(2, 0), rgb(160, 0, 0));
    EXPECT_EQ(drawn_text_colour(3, 0), rgb(0, 96, 0));
    // Style 0 on a black scheme keeps the device context's colour.
    EXPECT_FALSE(drawn_text_colour(0, 0));
}

TEST(ValueColumnWidth, TakesTheRestAndNeverGoesNegative) {
    EXPECT_EQ(kestrov::value_column_width(640, 240), 400);
    EXPECT_EQ(kestrov::value_column_width(240, 240), 0);
    EXPECT_EQ(kestrov::value_column_width(0, 240), 0);
    EXPECT_EQ(kestrov::value_column_width(100, 240), 0);
}

} // namespace
} // namespace kestrov::winapi
