#include "cli/arguments.h"

#include <gtest/gtest.h>

namespace kestrov::cli {
namespace {

const std::map<std::wstring, std::wstring> options = {
    {L"author", L"author"}, {L"j", L"jobs"}, {L"jobs", L"jobs"}};

TEST(ParseArguments, AcceptsSeparateJoinedAndEqualsValues) {
    const auto parsed = parse_arguments(
        {L"--author", L"Eva", L"a.jpg", L"-j4", L"--jobs=3", L"--", L"--author"}, options);
    EXPECT_EQ(parsed.options.at(L"author"), L"Eva");
    EXPECT_EQ(parsed.options.at(L"jobs"), L"3");
    EXPECT_EQ(parsed.operands, (std::vector<std::wstring>{L"a.jpg", L"--author"}));
}

TEST(ParseArguments, RejectsUnknownOptionsAndMissingValues) {
    EXPECT_THROW(parse_arguments({L"--autor", L"x"}, options), usage_error);
    EXPECT_THROW(parse_arguments({L"a.jpg", L"--author"}, options), usage_error);
    EXPECT_THROW(parse_arguments({L"-x"}, options), usage_error);
}

TEST(ParseTagId, ReadsDecimalAndHexadecimal32BitNumbers) {
    EXPECT_EQ(parse_tag_id(L"271"), 271U);
    EXPECT_EQ(parse_tag_id(L"0x010f"), 271U);
    EXPECT_EQ(parse_tag_id(L"0XFFFFFFFF"), 0xFFFFFFFFU);
    EXPECT_EQ(parse_tag_id(L"4294967296"), std::nullopt);
    EXPECT_EQ(parse_tag_id(L"0x"), std::nullopt);
    EXPECT_EQ(parse_tag_id(L"12a"), std::nullopt);
    EXPECT_EQ(parse_tag_id(L""), std::nullopt);
    EXPECT_EQ(parse_tag_id(L"-1"), std::nullopt);
}

} // namespace
} // namespace kestrov::cli
