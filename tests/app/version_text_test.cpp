#include "app/version_text.h"

#include <gtest/gtest.h>

namespace kestrov {
namespace {

TEST(VersionStringQuery, NamesTheFirstTranslationsBlockInLowerCaseHex) {
    EXPECT_EQ(version_string_query(0x0405, 0x04B0, L"ProductName"),
              L"\\StringFileInfo\\040504b0\\ProductName");
    EXPECT_EQ(version_string_query(0x0409, 0x04E4, L"LegalCopyright"),
              L"\\StringFileInfo\\040904e4\\LegalCopyright");
    EXPECT_EQ(version_string_query(0xABCD, 0x0001, L""), L"\\StringFileInfo\\abcd0001\\");
}

TEST(VersionNumberText, TakesFourSixteenBitPartsMostSignificantFirst) {
    EXPECT_EQ(version_number_text(0x00010000, 0x00000002), L"1.0.0.2");
    EXPECT_EQ(version_number_text(0xFFFFFFFF, 0x0003000C), L"65535.65535.3.12");
}

} // namespace
} // namespace kestrov
