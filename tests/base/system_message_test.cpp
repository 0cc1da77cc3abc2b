#include "base/system_message.h"

#include "base/text_conversion.h"

#include <gtest/gtest.h>

namespace kestrov {
namespace {

// A code with the customer bit set: no system has a text for it.
constexpr hresult code_without_text = 0xA0001234;

TEST(SystemMessage, OfZeroIsUnspecified) {
    EXPECT_EQ(system_message(0), "Nespecifikovaná chyba");
}

TEST(SystemMessage, WithoutSystemTextIsUnspecifiedWinApiError) {
    ASSERT_FALSE(system_message_text(code_without_text));
    EXPECT_EQ(system_message(code_without_text), "Nespecifikovaná chyba Win API");
}

#ifndef _WIN32
// On Windows the texts are the system's; this is the portable build's own table.
TEST(SystemMessage, CodesTheProgramRaisesHaveTextsEndingInALineBreak) {
    for (const hresult code :
         {e_invalidarg, e_pointer, e_outofmemory, e_unexpected, e_nointerface, hresult{0x80070002},
          hresult{0x80070005}, hresult{0x80070020}, hresult{0x80070070}, hresult{0x80070003}}) {
        const auto text = system_message_text(code);
        ASSERT_TRUE(text) << std::hex << code;
        EXPECT_GT(text->size(), 2U);
        EXPECT_EQ(text->substr(text->size() - 2), "\r\n") << std::hex << code;
        EXPECT_EQ(system_message(code), *text);
    }
}
#endif

TEST(SystemMessage, PlainWin32ErrorFindsTheTextOfItsHresultForm) {
    EXPECT_EQ(system_message_text(87), system_message_text(0x80070057));
}

TEST(ErrorText, IsTheSystemTextWithoutItsFinalLineBreak) {
    const auto narrow = system_message_text(e_invalidarg);
    ASSERT_TRUE(narrow);
    std::wstring expected;
    utf8_to_wide(*narrow, expected);
    ASSERT_GE(expected.size(), 2U);
    expected.resize(expected.size() - 2);
    EXPECT_EQ(error_text(e_invalidarg), expected);
}

TEST(ErrorText, FallsBackToIDispatchNumberInsideTheDispatchRange) {
    if (system_message_text(0x80040205)) {
        GTEST_SKIP() << "this system has a text for 0x80040205";
    }
    EXPECT_EQ(error_text(0x80040205), L"IDispatch error #5");
}

TEST(ErrorText, FallsBackToUpperCaseHexOutsideTheDispatchRange) {
    if (!system_message_text(0x80040200)) {
        EXPECT_EQ(error_text(0x80040200), L"Unknown error 0x80040200");
    }
    EXPECT_EQ(error_text(code_without_text), L"Unknown error 0xA0001234");
    EXPECT_LE(error_text(0xFFFFFFFF).size(), 31U);
}

} // namespace
} // namespace kestrov
