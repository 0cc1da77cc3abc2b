#include "base/kestrov_exception.h"

#include "base/last_error.h"
#include "base/system_message.h"

#include <gtest/gtest.h>

#include <string>

namespace kestrov {
namespace {

TEST(HresultFromWin32, KeepsZeroAndFailureCodesAndMapsErrorsIntoFacilityWin32) {
    EXPECT_EQ(hresult_from_win32(0), 0U);
    EXPECT_EQ(hresult_from_win32(5), 0x80070005U);
    EXPECT_EQ(hresult_from_win32(87), 0x80070057U);
    EXPECT_EQ(hresult_from_win32(1113), 0x80070459U);
    // Only the low 16 bits of an error number survive.
    EXPECT_EQ(hresult_from_win32(0x12345), 0x80072345U);
    EXPECT_EQ(hresult_from_win32(0x80004005), 0x80004005U);
}

TEST(KestrovException, MessageTextIsKeptWithInvalidArgumentCode) {
    const kestrov_exception error("Soubor je poškozený.");
    EXPECT_STREQ(error.what(), "Soubor je poškozený.");
    EXPECT_EQ(error.code(), e_invalidarg);

    const kestrov_exception from_string(std::string("Jiný text"));
    EXPECT_STREQ(from_string.what(), "Jiný text");
    EXPECT_EQ(from_string.code(), e_invalidarg);
}

TEST(KestrovException, WithoutMessageSaysUnknownException) {
    const kestrov_exception error(static_cast<const char*>(nullptr));
    EXPECT_STREQ(error.what(), "Unknown exception");
    EXPECT_EQ(error.code(), e_invalidarg);
}

TEST(KestrovException, FromHresultCarriesTheSystemText) {
    const kestrov_exception error(hresult{0x80070005});
    EXPECT_EQ(error.code(), 0x80070005U);
    EXPECT_EQ(std::string(error.what()), system_message(0x80070005));
}

TEST(KestrovException, FromLastErrorZeroHasCodeZeroAndUnspecifiedText) {
    set_last_error(0);
    const kestrov_exception error;
    EXPECT_EQ(error.code(), 0U);
    EXPECT_STREQ(error.what(), "Nespecifikovaná chyba");
}

TEST(KestrovException, FromLastErrorUsesItsHresultForm) {
    set_last_error(2);
    const kestrov_exception error;
    EXPECT_EQ(error.code(), 0x80070002U);
    EXPECT_EQ(std::string(error.what()), system_message(0x80070002));
}

TEST(KestrovException, CopyKeepsCodeAndText) {
    const kestrov_exception original(hresult{0x8007000E});
    const kestrov_exception copy(original); // NOLINT(performance-unnecessary-copy-initialization)
    EXPECT_EQ(copy.code(), original.code());
    EXPECT_STREQ(copy.what(), original.what());
}

TEST(RaiseLastError, WithCodeSetsItsLowBitsAsLastErrorFirst) {
    set_last_error(0);
    try {
        raise_last_error(e_invalidarg);
        FAIL() << "raise_last_error returned";
    } catch (const kestrov_exception& error) {
        EXPECT_EQ(last_error(), 87U);
        EXPECT_EQ(error.code(), 0x80070057U);
        EXPECT_EQ(std::string(error.what()), system_message(0x80070057));
    }
}

TEST(RaiseLastError, WithoutCodeRaisesTheCurrentLastError) {
    set_last_error(5);
    try {
        raise_last_error();
        FAIL() << "raise_last_error returned";
    } catch (const kestrov_exception& error) {
        EXPECT_EQ(error.code(), 0x80070005U);
        EXPECT_EQ(last_error(), 5U);
    }
}

TEST(LastErrorHresult, GivesEFailForZeroOnlyWhenAsked) {
    set_last_error(0);
    EXPECT_EQ(last_error_hresult(false), 0U);
    EXPECT_EQ(last_error_hresult(true), e_fail);
    set_last_error(32);
    EXPECT_EQ(last_error_hresult(true), 0x80070020U);
}

} // namespace
} // namespace kestrov
