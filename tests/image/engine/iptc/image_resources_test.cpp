#include "image/engine/iptc/image_resources.h"

#include "support/byte_literals.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

namespace kestrov::imaging::iptc {
namespace {

using kestrov::testing::bytes_of;
using kestrov::testing::concat;

using bytes = std::vector<std::byte>;

bytes as_vector(std::span<const std::byte> span) {
    return {span.begin(), span.end()};
}

// A resource as a writer lays it out, padding included.
bytes resource_bytes(const std::string& signature, std::uint16_t id, const std::string& name,
                     const bytes& data) {
    auto out = concat({bytes_of(signature), bytes_of({std::uint8_t(id >> 8), std::uint8_t(id)}),
                       bytes_of({std::uint8_t(name.size())}), bytes_of(name)});
    if (name.size() % 2 == 0) {
        out.push_back(std::byte{0});
    }
    const auto size = static_cast<std::uint32_t>(data.size());
    out = concat({out,
                  bytes_of({std::uint8_t(size >> 24), std::uint8_t(size >> 16),
                            std::uint8_t(size >> 8), std::uint8_t(size)}),
                  data});
    if (data.size() % 2 != 0) {
        out.push_back(std::byte{0});
    }
    return out;
}

// Odd and even names and data, and a resource under another signature between them.
const std::vector<bytes> sample_resources = {
    resource_bytes("8BIM", 0x03ED, "", bytes_of({1, 2, 3})),
    resource_bytes("8BIM", 0x0404, "IPTC", bytes_of("\x1C\x02\x05")),
    resource_bytes("PHUT", 0x0404, "x", bytes_of({9, 9})),
    resource_bytes("8BIM", 0x0425, "a", bytes(16, std::byte{7})),
};

bytes sample_block() {
    bytes block;
    for (const auto& r : sample_resources) {
        block = concat({block, r});
    }
    return block;
}

TEST(IrbResources, ReadsEachPhotoshopResourceAndStepsOverOthers) {
    const auto block = sample_block();
    const auto list = read_resources(block);
    EXPECT_TRUE(list.well_formed);
    std::vector<std::tuple<std::uint16_t, std::uint64_t, std::uint64_t, bytes>> read;
    for (const auto& r : list.resources) {
        read.emplace_back(r.id, r.offset, r.length, as_vector(r.data));
    }
    EXPECT_EQ(read, (decltype(read){{0x03ED, 0, 16, bytes_of({1, 2, 3})},
                                    {0x0404, 16, 20, bytes_of("\x1C\x02\x05")},
                                    {0x0425, 50, 28, bytes(16, std::byte{7})}}));
}

TEST(IrbResources, EveryTruncationIsMalformedUnlessItEndsBetweenResources) {
    const auto block = sample_block();
    for (std::size_t size = 0; size < block.size(); ++size) {
        const auto list = read_resources(std::span(block).first(size));
        const bool between = size == 0 || size == 16 || size == 36 || size == 50;
        EXPECT_EQ(list.well_formed, between) << size;
    }
}

TEST(IrbResources, MalformedBlocksReadAsFarAsTheyGo) {
    const auto first = resource_bytes("8BIM", 1, "", bytes_of({5}));
    const struct {
        const char* what;
        bytes block;
    } cases[] = {
        {"unknown signature", concat({first, resource_bytes("8BIX", 2, "", {})})},
        {"a stray byte after", concat({first, bytes_of({0})})},
        {"a size past the end",
         concat({first, bytes_of("8BIM"), bytes_of({0, 2, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF, 1, 2})})},
        {"a name past the end",
         concat({first, bytes_of("8BIM"), bytes_of({0, 2, 0xF0}), bytes(9)})},
        {"odd data without its padding",
         concat({first, bytes_of("8BIM"), bytes_of({0, 2, 0, 0, 0, 0, 0, 1, 0x0A})})},
    };
    for (const auto& c : cases) {
        const auto list = read_resources(c.block);
        EXPECT_FALSE(list.well_formed) << c.what;
        ASSERT_EQ(list.resources.size(), 1U) << c.what;
        EXPECT_EQ(list.resources[0].id, 1) << c.what;
    }
}

TEST(IrbResources, ReplacesAddsAndRemovesOneResourceKeepingTheOthers) {
    const auto& r = sample_resources;
    const auto odd = bytes_of({4, 5, 6});
    const struct {
        const char* what;
        std::uint16_t id;
        std::optional<bytes> data;
        bytes expected;
    } cases[] = {
        {"replaced, its name kept", 0x0404, odd,
         concat({r[0], resource_bytes("8BIM", 0x0404, "IPTC", odd), r[2], r[3]})},
        {"added at the end", 0x0BB7, odd,
         concat({r[0], r[1], r[2], r[3], resource_bytes("8BIM", 0x0BB7, "", odd)})},
        {"removed", 0x0425, std::nullopt, concat({r[0], r[1], r[2]})},
        {"removed when absent", 0x0BB7, std::nullopt, sample_block()},
    };
    for (const auto& c : cases) {
        const auto data =
            c.data ? std::optional<std::span<const std::byte>>(*c.data) : std::nullopt;
        EXPECT_EQ(with_resource(sample_block(), c.id, data), c.expected) << c.what;
    }
    // A second resource of the id goes, so no reader finds the old data.
    const auto twice = concat({r[1], r[0], r[1]});
    EXPECT_EQ(with_resource(twice, 0x0404, std::span(odd)),
              concat({resource_bytes("8BIM", 0x0404, "IPTC", odd), r[0]}));
    const auto malformed = concat({r[0], bytes_of({0})});
    EXPECT_EQ(with_resource(malformed, 0x03ED, std::nullopt), malformed);
}

} // namespace
} // namespace kestrov::imaging::iptc
