#include "tags/group_rows.h"

#include "image/engine/containers/tiff_builder.h"

#include <gtest/gtest.h>

namespace kestrov::tags {
namespace {

using namespace imaging::testing;

class GroupRowsTest : public ::testing::Test {
protected:
    GroupRowsTest() { catalogue_.fill(); }

    row_list rows(tag_group group, const tiff_contents& contents) {
        auto image = tiff_image(contents);
        return group_rows(group, image.get(), catalogue_, missing_);
    }

    tag_catalogue catalogue_;
    missing_tag_list missing_;
};

struct value_case {
    const char* label;
    tag_group group;
    tiff_contents contents;
    const wchar_t* name;
    const wchar_t* value;
};

std::vector<value_case> value_cases() {
    const auto latitude = rationals(2, {{50, 1}, {5, 1}, {30, 1}});
    const auto longitude = rationals(4, {{14, 1}, {25, 1}, {1234, 100}});
    auto photo = [](std::vector<field> exif) {
        tiff_contents contents;
        contents.exif = std::move(exif);
        return contents;
    };
    auto gps = [](std::vector<field> fields) {
        tiff_contents contents;
        contents.gps = std::move(fields);
        return contents;
    };
    auto resolution = [](std::uint32_t x, std::uint32_t y, std::uint16_t unit) {
        tiff_contents contents;
        contents.ifd0 = {rationals(0x011A, {{x, 1}}), rationals(0x011B, {{y, 1}}),
                         shorts(0x0128, {unit})};
        return contents;
    };
    auto exposure = [&photo](const char* label, std::uint32_t numerator, std::uint32_t denominator,
                             const wchar_t* text) {
        return value_case{label, group_photo,
                          photo({rationals(0x829A, {{numerator, denominator}})}), L"Doba expozice",
                          text};
    };
    tiff_contents orientation;
    orientation.ifd0 = {shorts(0x0112, {6})};
    return {
        {"north", group_gps, gps({ascii(1, "N"), latitude}), L"Zeměpisná šířka",
         L"50.0916667° Severní"},
        {"south", group_gps, gps({ascii(1, "S"), latitude}), L"Zeměpisná šířka",
         L"50.0916667° Jižní"},
        {"lower-case south", group_gps, gps({ascii(1, "s"), latitude}), L"Zeměpisná šířka",
         L"50.0916667° Jižní"},
        {"east", group_gps, gps({ascii(3, "E"), longitude}), L"Zeměpisná délka",
         L"14.4200944° Východní"},
        {"west", group_gps, gps({ascii(3, "W"), longitude}), L"Zeměpisná délka",
         L"14.4200944° Západní"},
        {"azimuth", group_gps, gps({ascii(16, "M"), rationals(17, {{12345, 100}})}), L"Azimut",
         L"123.45 °"},
        {"focal length", group_photo, photo({rationals(0x920A, {{5800, 1000}})}),
         L"Ohnisková vzdálenost", L"5.80 mm"},
        exposure("exposure 10/1250", 10, 1250, L"1/125 sek."),
        exposure("exposure 10/300", 10, 300, L"1/30 sek."),
        exposure("exposure 1/1", 1, 1, L"1/1 sek."),
        exposure("exposure 28/10", 28, 10, L"14/5 sek."),
        exposure("exposure 0/1", 0, 1, L"0/1 sek."),
        exposure("exposure 3/0", 3, 0, L"1/0 sek."),
        exposure("exposure 0/0", 0, 0, L"0/0 sek."),
        exposure("exposure past 2^31", 4000000000U, 1, L"4000000000/1 sek."),
        {"orientation", group_photo, orientation, L"Orientace", L"6"},
        {"inches", group_photo, resolution(72, 72, 2), L"Rozlišení", L"72.00 x 72.00 pixel/palec"},
        {"centimetres", group_photo, resolution(72, 72, 3), L"Rozlišení",
         L"72.00 x 72.00 pixel/cm"},
        {"no unit", group_photo, resolution(72, 72, 1), L"Rozlišení", L"72.00 x 72.00 pixel/cm"},
        {"unequal", group_photo, resolution(300, 150, 2), L"Rozlišení",
         L"300.00 x 150.00 pixel/palec"},
    };
}

TEST_F(GroupRowsTest, FormatsEveryValueAsTheListShowsIt) {
    for (const auto& c : value_cases()) {
        const auto shown = rows(c.group, c.contents);
        ASSERT_EQ(shown.size(), 1U) << c.label;
        EXPECT_EQ(shown[0].name, c.name) << c.label;
        EXPECT_EQ(shown[0].value, c.value) << c.label;
    }
}

TEST_F(GroupRowsTest, IncompleteCoordinatesDirectionsAndResolutionsGiveNoRow) {
    tiff_contents contents;
    contents.ifd0 = {rationals(0x011A, {{72, 1}}), rationals(0x011B, {{72, 1}})};
    contents.gps = {rationals(2, {{50, 1}, {5, 1}, {30, 1}}),                       // no reference
                    undefined(3, {'E', 0}), rationals(4, {{1, 1}, {2, 1}, {3, 1}}), // not ASCII
                    rationals(17, {{90, 1}})};                                      // no reference
    EXPECT_TRUE(rows(group_gps, contents).empty());
    EXPECT_TRUE(rows(group_photo, contents).empty());

    tiff_contents short_coordinate;
    short_coordinate.gps = {ascii(1, "N"), rationals(2, {{50, 1}, {5, 1}})};
    EXPECT_TRUE(rows(group_gps, short_coordinate).empty());
}

TEST_F(GroupRowsTest, AllGroupsShowDescriptiveThenGpsThenPhotoRows) {
    tiff_contents contents;
    contents.ifd0 = {ascii(0x0320, "Titulek"), rationals(0x829D, {{28, 10}})};
    contents.exif = {rationals(0x920A, {{50, 1}}), rationals(0x829D, {{28, 10}})};
    contents.gps = {ascii(1, "N"), rationals(2, {{50, 1}, {0, 1}, {0, 1}}), ascii(3, "E"),
                    rationals(4, {{14, 1}, {0, 1}, {0, 1}})};
    const auto shown = rows(group_all, contents);
    ASSERT_EQ(shown.size(), 4U);
    EXPECT_EQ(shown[0].name, L"Název");
    EXPECT_EQ(shown[0].id, 0x0320);
    EXPECT_EQ(shown[1].name, L"Zeměpisná šířka");
    EXPECT_EQ(shown[2].name, L"Zeměpisná délka");
    EXPECT_EQ(shown[3].name, L"Ohnisková vzdálenost");
    // FNumber has a catalogue name but no row in any group.
    for (const auto& row : shown) {
        EXPECT_NE(row.id, 0x829D);
    }
}

TEST_F(GroupRowsTest, DescriptiveRowsFollowTheirOwnOrderAndListWhatIsMissing) {
    tiff_contents contents;
    contents.ifd0 = {ascii(0x0131, "Mirtel"), ascii(0x013B, "Eva"), ascii(0x010E, ""),
                     raw_ascii(0x0320, {'D', 0xF8, 'e', 0})};
    const auto shown = rows(group_descriptive, contents);
    ASSERT_EQ(shown.size(), 3U);
    EXPECT_EQ(shown[0], (property_row{L"Popis", L"", 0x010E}));
    EXPECT_EQ(shown[1], (property_row{L"Autor", L"Eva", 0x013B}));
    EXPECT_EQ(shown[2], (property_row{L"Použitý software", L"Mirtel", 0x0131}));
    // The title is not UTF-8, so it counts as missing.
    EXPECT_EQ(missing_, (missing_tag_list{0x0320, 0x010F, 0x0110}));
}

TEST_F(GroupRowsTest, OnlyDescriptiveFillsTouchTheMissingList) {
    rows(group_descriptive, {});
    const missing_tag_list all = {0x0320, 0x010E, 0x013B, 0x010F, 0x0110, 0x0131};
    EXPECT_EQ(missing_, all);
    tiff_contents contents;
    contents.ifd0 = {ascii(0x0320, "Titulek")};
    rows(group_gps, contents);
    rows(group_photo, contents);
    rows(3, contents);
    EXPECT_EQ(missing_, all);
    rows(group_all, contents);
    EXPECT_EQ(missing_.size(), 5U);
}

TEST_F(GroupRowsTest, WithoutAnImageNoGroupHasRowsAndNothingIsMissing) {
    missing_ = {0x0320};
    for (const tag_group group : {group_descriptive, group_gps, group_photo, group_all, 0U}) {
        EXPECT_TRUE(group_rows(group, nullptr, catalogue_, missing_).empty());
    }
    EXPECT_TRUE(missing_.empty());
}

TEST_F(GroupRowsTest, AGroupValueOutsideTheFourFillsNothing) {
    tiff_contents contents;
    contents.ifd0 = {ascii(0x0320, "Titulek")};
    EXPECT_TRUE(rows(3, contents).empty());
    EXPECT_TRUE(rows(8, contents).empty());
}

} // namespace
} // namespace kestrov::tags
