#include "image/property_readers.h"

#include "base/kestrov_exception.h"
#include "image/engine/containers/tiff_builder.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace kestrov::gdi {
namespace {

using namespace imaging::testing;

TEST(GetTextProperty, DecodesUtf8AndStopsAtTheFirstZero) {
    tiff_contents contents;
    contents.ifd0 = {ascii(0x013B, "Žluťoučký kůň"), raw_ascii(0x0131, {'a', 'b', 0, 'c'}),
                     raw_ascii(0x010F, {'E', 'n', 'd'})};
    auto image = tiff_image(contents);
    std::wstring text;
    ASSERT_TRUE(get_text_property(image.get(), 0x013B, text));
    EXPECT_EQ(text, L"Žluťoučký kůň");
    ASSERT_TRUE(get_text_property(image.get(), 0x0131, text));
    EXPECT_EQ(text, L"ab");
    ASSERT_TRUE(get_text_property(image.get(), 0x010F, text)); // no terminating zero
    EXPECT_EQ(text, L"End");
}

TEST(GetTextProperty, EmptyTextIsDeliveredAsEmpty) {
    tiff_contents contents;
    contents.ifd0 = {raw_ascii(0x0320, {0})};
    auto image = tiff_image(contents);
    std::wstring text = L"old";
    ASSERT_TRUE(get_text_property(image.get(), 0x0320, text));
    EXPECT_TRUE(text.empty());
}

TEST(GetTextProperty, LegacyCodePageTextsAndOtherTypesReadAsAbsent) {
    tiff_contents contents;
    // "kůň" in Windows-1250: single bytes above 127.
    contents.ifd0 = {raw_ascii(0x013B, {'k', 0xF9, 0xF2, 0}), undefined(0x010E, {'a', 'b', 0})};
    auto image = tiff_image(contents);
    std::wstring text = L"unchanged";
    EXPECT_FALSE(get_text_property(image.get(), 0x013B, text));
    EXPECT_FALSE(get_text_property(image.get(), 0x010E, text));
    EXPECT_FALSE(get_text_property(image.get(), 0x0110, text));
    EXPECT_EQ(text, L"unchanged");
}

TEST(GetShortAndAsciiCharProperty, TakeTheFirstValueOfTheirOwnTypeOnly) {
    tiff_contents contents;
    contents.ifd0 = {shorts(0x0112, {8, 1}), ascii(0x010F, "Pentax"), longs(0x0100, {640})};
    auto image = tiff_image(contents);
    std::uint16_t value = 99;
    ASSERT_TRUE(get_short_property(image.get(), 0x0112, value));
    EXPECT_EQ(value, 8);
    EXPECT_FALSE(get_short_property(image.get(), 0x0100, value));
    EXPECT_EQ(value, 8);
    char first = 'x';
    ASSERT_TRUE(get_ascii_char_property(image.get(), 0x010F, first));
    EXPECT_EQ(first, 'P');
    EXPECT_FALSE(get_ascii_char_property(image.get(), 0x0112, first));
}

TEST(GetRationalProperty, DividesInFloatingPointWithoutCheckingTheDenominator) {
    tiff_contents contents;
    contents.ifd0 = {rationals(0x011A, {{1, 0}}), rationals(0x011B, {{0, 0}})};
    contents.exif = {rationals(0x829A, {{1, 160}})};
    auto image = tiff_image(contents);
    double value = 0;
    ASSERT_TRUE(get_rational_property(image.get(), 0x829A, value));
    EXPECT_DOUBLE_EQ(value, 1.0 / 160.0);
    ASSERT_TRUE(get_rational_property(image.get(), 0x011A, value));
    EXPECT_EQ(value, std::numeric_limits<double>::infinity());
    ASSERT_TRUE(get_rational_property(image.get(), 0x011B, value));
    EXPECT_TRUE(std::isnan(value));
}

TEST(GetGpsCoordinates, CombineDegreesMinutesSecondsInTheirOrderWithTheHemisphere) {
    tiff_contents contents;
    contents.gps = {ascii(1, "n"), rationals(2, {{50, 1}, {5, 1}, {1234, 100}}), ascii(3, "W"),
                    rationals(4, {{14, 1}, {2540, 100}, {0, 1}})};
    auto image = tiff_image(contents);
    double latitude = 0;
    bool north = false;
    ASSERT_TRUE(get_gps_latitude(image.get(), latitude, north));
    EXPECT_EQ(latitude, (5.0 / 60.0 + 50.0) + (12.34 / 3600.0));
    EXPECT_TRUE(north);
    double longitude = 0;
    bool east = true;
    ASSERT_TRUE(get_gps_longitude(image.get(), longitude, east));
    EXPECT_EQ(longitude, (25.40 / 60.0 + 14.0) + (0.0 / 3600.0));
    EXPECT_FALSE(east);
}

TEST(GetGpsCoordinates, WithoutReferenceOrWithFewerThanThreeRationalsReadAsAbsent) {
    tiff_contents contents;
    contents.gps = {rationals(2, {{50, 1}, {5, 1}, {0, 1}}), ascii(3, "E"),
                    rationals(4, {{14, 1}, {25, 1}})};
    auto image = tiff_image(contents);
    double value = -1;
    bool flag = true;
    EXPECT_FALSE(get_gps_latitude(image.get(), value, flag));
    EXPECT_FALSE(get_gps_longitude(image.get(), value, flag));
    EXPECT_EQ(value, -1);
    EXPECT_TRUE(flag);
}

TEST(GetGpsCoordinates, AnyReferenceOtherThanNorthMeansSouth) {
    for (const char* reference : {"S", "s", "X"}) {
        tiff_contents contents;
        contents.gps = {ascii(1, reference), rationals(2, {{10, 1}, {0, 1}, {0, 1}})};
        auto image = tiff_image(contents);
        double value = 0;
        bool north = true;
        ASSERT_TRUE(get_gps_latitude(image.get(), value, north));
        EXPECT_FALSE(north) << reference;
    }
}

TEST(PropertyReaders, AMissingItemIsRecordedAsTheImagesLastStatus) {
    auto image = tiff_image({});
    std::uint16_t value = 0;
    EXPECT_FALSE(get_short_property(image.get(), 0x0112, value));
    EXPECT_EQ(image->last_status(), imaging::status::property_not_found);
    EXPECT_EQ(image->last_status(), imaging::status::ok);
}

TEST(PropertyReaders, WithoutAnImageRaisePointerError) {
    std::uint16_t value = 0;
    try {
        get_short_property(nullptr, 0x0112, value);
        FAIL() << "no exception";
    } catch (const kestrov_exception& error) {
        // The pointer error's low 16 bits travel as the last Win32 error.
        EXPECT_EQ(error.code(), hresult_from_win32(e_pointer & 0xFFFFU));
    }
}

} // namespace
} // namespace kestrov::gdi
