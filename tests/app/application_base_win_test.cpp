#include "app/application_base_win.h"

#include "base/kestrov_exception.h"
#include "base/system_message.h"
#include "base/text_conversion.h"
#include "win/message_box_closer.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace kestrov {
namespace {

using testing::message_box_closer;

bool contains_text(const std::vector<std::wstring>& texts, const std::wstring& wanted) {
    return std::find(texts.begin(), texts.end(), wanted) != texts.end();
}

std::string system_text(hresult code) {
    wchar_t* buffer = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, code, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT),
        reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    std::string text;
    if (length != 0) {
        to_multibyte(std::wstring_view(buffer, length), code_page_utf8, text);
    }
    LocalFree(buffer);
    return text;
}

TEST(RaiseLastErrorOnWindows, InvalidArgSetsError87AndCarriesTheSystemsText) {
    SetLastError(0);
    try {
        raise_last_error(e_invalidarg);
        FAIL() << "raise_last_error returned";
    } catch (const kestrov_exception& error) {
        // The runtime's unwinding resets the thread's last error before the catch runs, so the 87
        // is seen through the code it became.
        EXPECT_EQ(error.code(), 0x80070057U);
        const std::string expected = system_text(0x80070057);
        ASSERT_FALSE(expected.empty()) << "the system has no text for E_INVALIDARG";
        EXPECT_EQ(std::string(error.what()), expected);
    }
}

TEST(SystemMessageOnWindows, OfZeroIsUnspecifiedWhateverTheSystemSays) {
    EXPECT_EQ(system_message(0), "Nespecifikovaná chyba");
}

// This executable deliberately carries no version resource; the program's own is read in
// win_version_tests.
TEST(ProductName, FallsBackWithoutAVersionResource) {
    application_base application;
    EXPECT_EQ(application.product_name(), std::wstring(fallback_product_name));
}

TEST(EventLog, WritesErrorEventsForWideAndNarrowTexts) {
    application_base application;
    EXPECT_NO_THROW(application.log_error(L"Nastavení nelze uložit"));
    EXPECT_NO_THROW(application.log_error(L""));
    EXPECT_NO_THROW(application.log_error_ansi("Umístění okna nelze uložit."));
    EXPECT_THROW(application.log_error_ansi(nullptr), kestrov_exception);
}

TEST(MessageBoxes, ShowMessageAnsiShowsCzechUtf8UnderTheFallbackCaption) {
    application_base application;
    message_box_closer closer(fallback_product_name, IDOK);
    application.show_message_ansi("Soubor nelze uložit: přístup byl odepřen.", MB_ICONERROR, 0);
    const auto seen = closer.result();
    ASSERT_TRUE(seen.found);
    EXPECT_EQ(seen.caption, fallback_product_name);
    EXPECT_TRUE(contains_text(seen.texts, L"Soubor nelze uložit: přístup byl odepřen."));
}

TEST(MessageBoxes, ShowMessageReturnsThePressedButton) {
    application_base application;
    message_box_closer closer(fallback_product_name, IDCANCEL);
    EXPECT_EQ(application.show_message(L"Pokračovat?", MB_OKCANCEL, 0), IDCANCEL);
    EXPECT_TRUE(closer.result().found);
}

TEST(MessageBoxes, AskYesNoIsTrueOnlyForYes) {
    application_base application;
    for (const int button : {IDYES, IDNO, IDCANCEL}) {
        message_box_closer closer(fallback_product_name, button);
        const bool answer = application.ask_yes_no(L"Uložit změny?", false, true, nullptr);
        EXPECT_EQ(answer, button == IDYES) << button;
        EXPECT_TRUE(closer.result().found);
    }
}

TEST(MessageBoxes, AskYesNoDefaultsToNoUnlessToldOtherwise) {
    application_base application;
    {
        message_box_closer closer(fallback_product_name, IDCANCEL);
        application.ask_yes_no(L"Odstranit?", false, false, nullptr);
        EXPECT_EQ(closer.result().default_button, IDNO);
    }
    {
        message_box_closer closer(fallback_product_name, IDCANCEL);
        application.ask_yes_no(L"Odstranit?", true, false, nullptr);
        EXPECT_EQ(closer.result().default_button, IDYES);
    }
}

} // namespace
} // namespace kestrov
