#include "app/event_log_text.h"

#include <gtest/gtest.h>

namespace kestrov {
namespace {

TEST(EventLogText, EndsASentenceWithAFullStopAndALineBreak) {
    EXPECT_EQ(event_log_text(std::wstring(L"Nelze uložit nastavení")),
              L"Nelze uložit nastavení.\r\n");
    EXPECT_EQ(event_log_text(std::string("Nelze uložit nastavení")), "Nelze uložit nastavení.\r\n");
}

TEST(EventLogText, AddsOnlyTheLineBreakAfterAFullStop) {
    EXPECT_EQ(event_log_text(std::wstring(L"Hotovo.")), L"Hotovo.\r\n");
    EXPECT_EQ(event_log_text(std::string("Hotovo.")), "Hotovo.\r\n");
}

TEST(EventLogText, EmptyTextBecomesApplicationError) {
    EXPECT_EQ(event_log_text(std::wstring()), L"Chyba aplikace.\r\n");
    EXPECT_EQ(event_log_text(std::string()), "Chyba aplikace.\r\n");
}

} // namespace
} // namespace kestrov
