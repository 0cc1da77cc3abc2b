#include "base/text_conversion.h"

#include "base/kestrov_exception.h"
#include "base/last_error.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace kestrov {
namespace {

std::string utf8(std::wstring_view text) {
    std::string out;
    const auto count = to_multibyte(text, code_page_utf8, out);
    EXPECT_EQ(count, out.size());
    return out;
}

std::wstring wide(std::string_view bytes) {
    std::wstring out;
    utf8_to_wide(bytes, out);
    return out;
}

const std::string czech_bytes = "\xC5\xBD"
                                "lu\xC5\xA5ou\xC4\x8Dk\xC3\xBD k\xC5\xAF\xC5\x88";

TEST(ToMultibyte, EmptyTextEmptiesTheOutputAndCountsZero) {
    std::string out = "old";
    EXPECT_EQ(to_multibyte(L"", code_page_utf8, out), 0U);
    EXPECT_TRUE(out.empty());
}

TEST(ToMultibyte, EncodesCzechLettersAsUtf8WithoutTerminatingZero) {
    EXPECT_EQ(utf8(L"Žluťoučký kůň"), czech_bytes);
    EXPECT_EQ(utf8(L"abc"), "abc");
}

TEST(ToMultibyte, EncodesCharactersOutsideTheBasicPlaneAsFourBytes) {
    // U+1F4F7 CAMERA: a surrogate pair where wchar_t is 16 bits wide, one unit where it is 32.
    EXPECT_EQ(utf8(L"\U0001F4F7"), "\xF0\x9F\x93\xB7");
    EXPECT_EQ(utf8(L"a\U00010000z"), "a\xF0\x90\x80\x80z");
}

TEST(ToMultibyte, ReplacesLoneSurrogatesLikeThePlatformDoesWithoutFlags) {
    const std::string replacement = "\xEF\xBF\xBD";
    EXPECT_EQ(utf8(std::wstring{L'a', static_cast<wchar_t>(0xD800)}), "a" + replacement);
    EXPECT_EQ(utf8(std::wstring{static_cast<wchar_t>(0xDC00), L'b'}), replacement + "b");
    EXPECT_EQ(utf8(std::wstring{static_cast<wchar_t>(0xD83D), L'x'}), replacement + "x");
    if constexpr (sizeof(wchar_t) == 4) {
        EXPECT_EQ(utf8(std::wstring{static_cast<wchar_t>(0x110000)}), replacement);
    }
}

TEST(ToMultibyte, AnsiCodePageTakesPlainAscii) {
    std::string out;
    EXPECT_EQ(to_multibyte(L"Mirtel info", code_page_ansi, out), 11U);
    EXPECT_EQ(out, "Mirtel info");
}

TEST(ToMultibyte, UnknownCodePageRaisesTheInvalidParameterError) {
    std::string out = "kept";
    try {
        to_multibyte(L"abc", 12345, out);
        FAIL() << "no exception";
    } catch (const kestrov_exception& error) {
        EXPECT_EQ(error.code(), 0x80070057U);
    }
    EXPECT_EQ(out, "kept");
}

TEST(Utf8ToWide, DecodesCzechAndAstralCharactersAndRoundTrips) {
    EXPECT_EQ(wide(czech_bytes), L"Žluťoučký kůň");
    EXPECT_EQ(wide("\xF0\x9F\x93\xB7"), L"\U0001F4F7");
    const std::wstring mixed = L"Ódy \U0001F4F7 \u20AC 100 %";
    EXPECT_EQ(wide(utf8(mixed)), mixed);
}

TEST(Utf8ToWide, StopsAtTheFirstZeroByte) {
    EXPECT_EQ(wide(std::string_view("ab\0cd", 5)), L"ab");
    std::wstring out = L"old";
    utf8_to_wide(std::string_view("\0x", 2), out);
    EXPECT_TRUE(out.empty());
}

TEST(Utf8ToWide, RejectsInvalidUtf8WithNoUnicodeTranslation) {
    const std::vector<std::string> invalid = {
        "\x80",             // continuation byte without a lead
        "\xC0\x80",         // overlong zero
        "\xC1\xBF",         // overlong ASCII
        "\xE0\x80\x80",     // overlong three-byte form
        "\xE0\x9F\xBF",     // overlong three-byte form
        "\xED\xA0\x80",     // encoded high surrogate
        "\xED\xBF\xBF",     // encoded low surrogate
        "\xF0\x80\x80\x80", // overlong four-byte form
        "\xF4\x90\x80\x80", // past U+10FFFF
        "\xF5\x80\x80\x80", // lead byte that never occurs
        "\xFF",
        "\xC5",         // truncated two-byte form
        "\xE2\x82",     // truncated three-byte form
        "\xF0\x9F\x93", // truncated four-byte form
        "a\xC5"
        "b",              // bad continuation in the middle
        "\xE2\x82\x41",   // bad continuation in the last place
        "\xC3\xA9\xA9",   // one continuation too many
        "Zlu\xBB ko\xF2", // Windows-1250 bytes
    };
    for (const auto& bytes : invalid) {
        std::wstring out = L"kept";
        set_last_error(0);
        try {
            utf8_to_wide(bytes, out);
            ADD_FAILURE() << "accepted " << testing::PrintToString(bytes);
        } catch (const kestrov_exception& error) {
            EXPECT_EQ(error.code(), 0x80070459U);
            EXPECT_EQ(last_error(), 1113U);
        }
        EXPECT_EQ(out, L"kept");
    }
}

TEST(Utf8ToWide, EveryTruncationOfValidTextDecodesOrRaisesCleanly) {
    const std::string text = czech_bytes + "\xF0\x9F\x93\xB7\xE2\x82\xAC";
    for (std::size_t length = 0; length <= text.size(); ++length) {
        const std::string prefix = text.substr(0, length);
        std::wstring out;
        try {
            utf8_to_wide(prefix, out);
            EXPECT_EQ(utf8(out), prefix);
        } catch (const kestrov_exception& error) {
            EXPECT_EQ(error.code(), 0x80070459U) << length;
        }
    }
}

TEST(TextConversion, RefusesTextsLongerThanTheLimit) {
    // The limit is 2^31 - 1 bytes: one more must be refused before anything is decoded.
    std::string huge(max_convertible_length + 1, 'a');
    std::wstring out = L"kept";
    try {
        utf8_to_wide(huge, out);
        FAIL() << "no exception";
    } catch (const kestrov_exception& error) {
        EXPECT_STREQ(error.what(), "Vstupní text je příliš dlouhý.");
        EXPECT_EQ(error.code(), 0x80070057U);
    }
    EXPECT_EQ(out, L"kept");
}

} // namespace
} // namespace kestrov
