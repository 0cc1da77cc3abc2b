#include "tags/tag_catalogue.h"

#include "tags/tag_groups.h"

#include <gtest/gtest.h>

#include <set>
#include <stdexcept>
#include <string>

namespace kestrov::tags {
namespace {

TEST(TagCatalogue, HoldsTheFifteenKnownTagsWithTheirCzechNames) {
    tag_catalogue catalogue;
    catalogue.fill();
    EXPECT_EQ(catalogue.entries().size(), 15U);
    EXPECT_EQ(catalogue.name_of(0x013B), L"Autor");
    EXPECT_EQ(catalogue.name_of(0x0110), L"Zařízrení");
    EXPECT_EQ(catalogue.name_of(0x0320), L"Název");
    EXPECT_EQ(catalogue.name_of(0x0131), L"Použitý software");
    EXPECT_EQ(catalogue.name_of(0x011B), L"Rozlišení svisle");
    EXPECT_EQ(catalogue.name_of(0x0002), L"Zeměpisná šířka");
}

TEST(TagCatalogue, FillingAgainChangesNothingAndUnknownIdsAreOutOfRange) {
    tag_catalogue catalogue;
    catalogue.fill();
    catalogue.fill();
    EXPECT_EQ(catalogue.entries().size(), 15U);
    EXPECT_THROW(catalogue.name_of(0x0001), std::out_of_range);
    EXPECT_THROW(catalogue.name_of(0x927C), std::out_of_range);
}

TEST(TagGroups, EveryRowOfEveryGroupHasACatalogueName) {
    tag_catalogue catalogue;
    catalogue.fill();
    for (const auto id : descriptive_rows_order) {
        EXPECT_NO_THROW(catalogue.name_of(id));
    }
    for (const auto id : gps_rows_order) {
        EXPECT_NO_THROW(catalogue.name_of(id));
    }
    for (const auto id : photo_rows_order) {
        EXPECT_NO_THROW(catalogue.name_of(id));
    }
}

TEST(TagGroups, UnknownStoredGroupSelectsTheDescriptiveEntry) {
    EXPECT_EQ(group_index_of(group_descriptive), 0U);
    EXPECT_EQ(group_index_of(group_gps), 1U);
    EXPECT_EQ(group_index_of(group_photo), 2U);
    EXPECT_EQ(group_index_of(group_all), 3U);
    EXPECT_EQ(group_index_of(3), 0U);
    EXPECT_EQ(group_index_of(0), 0U);
}

TEST(DescriptiveFields, EachTextHasItsOwnTagPromptBatchFieldAndConsoleOption) {
    std::set<tag_id> ids;
    std::set<std::wstring> prompts;
    std::set<int> batch_fields;
    std::set<std::wstring> options;
    for (const auto& field : descriptive_fields) {
        ids.insert(field.id);
        prompts.insert(field.prompt);
        batch_fields.insert(field.batch_field);
        options.insert(field.console_option);
        EXPECT_EQ(find_descriptive_field(field.id), &field);
    }
    EXPECT_EQ(ids.size(), descriptive_fields.size());
    EXPECT_EQ(prompts.size(), descriptive_fields.size());
    EXPECT_EQ(batch_fields.size(), descriptive_fields.size());
    EXPECT_EQ(options.size(), descriptive_fields.size());
    // The batch dialog has a field for each and no more.
    EXPECT_EQ(*batch_fields.begin(), 0);
    EXPECT_EQ(*batch_fields.rbegin(), static_cast<int>(descriptive_fields.size()) - 1);
    EXPECT_EQ(find_descriptive_field(gps_latitude), nullptr);
}

} // namespace
} // namespace kestrov::tags
