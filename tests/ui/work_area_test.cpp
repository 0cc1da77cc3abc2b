#include "ui/main/work_area.h"

#include <gtest/gtest.h>

#include <limits>

namespace kestrov {
namespace {

// A 1024 x 738 work area with a task bar along the bottom.
constexpr screen_rect work{0, 0, 1024, 738};

TEST(PositionOnWorkArea, AWindowInsideStays) {
    EXPECT_FALSE(position_on_work_area({100, 100, 600, 500}, work));
    EXPECT_FALSE(position_on_work_area(work, work));
}

TEST(PositionOnWorkArea, PastTheRightEdgeMovesLeftUntilTheEdgesMeet) {
    const auto moved = position_on_work_area({800, 100, 1200, 400}, work);
    ASSERT_TRUE(moved);
    EXPECT_EQ(*moved, (window_position{624, 100}));
}

TEST(PositionOnWorkArea, AWindowWiderThanTheWorkAreaStopsAtItsLeftEdge) {
    const auto moved = position_on_work_area({300, 50, 1500, 300}, work);
    ASSERT_TRUE(moved);
    EXPECT_EQ(*moved, (window_position{0, 50}));
}

TEST(PositionOnWorkArea, LeftOfTheWorkAreaMovesToItsLeftEdge) {
    const auto moved = position_on_work_area({-200, 100, 300, 400}, work);
    ASSERT_TRUE(moved);
    EXPECT_EQ(*moved, (window_position{0, 100}));
}

TEST(PositionOnWorkArea, TheRightAndBottomRulesWinOverTheFarEdgeRules) {
    // Left beyond the right edge: rule 2 gives width - 10, then rule 5 decides from the rectangle.
    const auto moved = position_on_work_area({1100, 800, 1300, 900}, work);
    ASSERT_TRUE(moved);
    EXPECT_EQ(*moved, (window_position{1024 - 200, 738 - 100}));
}

TEST(PositionOnWorkArea, FarEdgeRulesUseTheWorkAreasSizeNotItsEdge) {
    // A work area that starts right of the screen's origin (a task bar on the left) and a window
    // too narrow for the right-edge rule: only the far-edge rules apply.
    const screen_rect shifted{100, 40, 1124, 778};
    const auto moved = position_on_work_area({1120, 775, 1122, 777}, shifted);
    ASSERT_TRUE(moved);
    EXPECT_EQ(*moved, (window_position{1024 - 10, 738 - 10}));
}

TEST(PositionOnWorkArea, ExtremeCoordinatesDoNotOverflow) {
    constexpr auto low = std::numeric_limits<std::int32_t>::min();
    constexpr auto high = std::numeric_limits<std::int32_t>::max();
    const auto moved = position_on_work_area({low, low, high, high}, work);
    ASSERT_TRUE(moved);
    EXPECT_EQ(*moved, (window_position{0, 0}));

    const auto inverted = position_on_work_area({high, high, low, low}, work);
    ASSERT_TRUE(inverted);
    EXPECT_EQ(*inverted, (window_position{1014, 728}));
}

TEST(CentredPosition, CentresOnTheAreaTruncatingHalves) {
    EXPECT_EQ(centred_position(work, work, 401, 301), (window_position{512 - 200, 369 - 150}));
    const screen_rect odd{0, 0, 101, 51};
    EXPECT_EQ(centred_position(odd, odd, 20, 10), (window_position{40, 20}));
}

TEST(CentredPosition, NegativeMidpointsTruncateTowardZero) {
    const screen_rect left_monitor{-1025, -3, 0, 0};
    // (-1025 + 0) / 2 is -512, not -513.
    EXPECT_EQ(centred_position(left_monitor, {-2000, -100, 2000, 100}, 100, 2),
              (window_position{-512 - 50, -1 - 1}));
}

TEST(CentredPosition, IsPushedBackInsideTheBounds) {
    const screen_rect owner{900, 600, 1000, 700};
    EXPECT_EQ(centred_position(owner, work, 300, 200), (window_position{1024 - 300, 738 - 200}));
    // Larger than the bounds: the top-left corner shows.
    EXPECT_EQ(centred_position(work, work, 2000, 1000), (window_position{0, 0}));
}

} // namespace
} // namespace kestrov
