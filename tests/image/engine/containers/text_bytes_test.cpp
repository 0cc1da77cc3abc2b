#include "image/engine/text_bytes.h"

#include "image/engine/containers/tiff_builder.h"

#include <gtest/gtest.h>

namespace kestrov::imaging {
namespace {

using testing::bytes_of;

TEST(PngAndGifText, TellsWellFormedUtf8FromEverythingElse) {
    for (const auto* text : {"", "plain", "\xC5\xBDlu\xC5\xA5ou\xC4\x8Dk\xC3\xBD",
                             "\xF0\x9F\x93\xB7", "\xF4\x8F\xBF\xBF", "\xE0\xA0\x80"}) {
        EXPECT_TRUE(is_valid_utf8(bytes_of(text))) << text;
    }
    for (const auto* text : {
             "caf\xE9",                                      // Latin-1
             "\xC3", "\xE2\x82",                             // cut short
             "\x80",                                         // stray continuation byte
             "\xC0\xAF", "\xE0\x80\xAF", "\xF0\x80\x80\xAF", // overlong
             "\xED\xA0\x80",                                 // surrogate
             "\xF4\x90\x80\x80", "\xF5\x80\x80\x80",         // past U+10FFFF
             "\xE2\x28\xA1",                                 // bad continuation
         }) {
        EXPECT_FALSE(is_valid_utf8(bytes_of(text))) << text;
    }
}

TEST(PngAndGifText, ConvertsLatin1ToUtf8) {
    EXPECT_EQ(latin1_to_utf8(bytes_of("caf\xE9 \xA9\xFF")), "caf\xC3\xA9 \xC2\xA9\xC3\xBF");
    EXPECT_EQ(utf8_or_latin1(bytes_of("sv\xC4\x9Bt")), "sv\xC4\x9Bt");
    EXPECT_EQ(utf8_or_latin1(bytes_of("\xC4")), "\xC3\x84");
}

} // namespace
} // namespace kestrov::imaging
