#include "image/engine/formats/png/png_text.h"

#include "image/engine/containers/format_test_support.h"
#include "image/engine/containers/png_test_bytes.h"
#include "image/engine/containers/tiff_builder.h"

#include <gtest/gtest.h>

namespace kestrov::imaging {
namespace {

using namespace testing;

// The data of a zTXt chunk: keyword, method 0, a stored zlib stream of `text`.
std::vector<std::byte> compressed(const std::string& text) {
    return concat({bytes_of("Title"), bytes_of({0, 0}), zlib_stored(text)});
}

TEST(PngText, AllCompressedTextsShareOneInflateBudget) {
    std::size_t budget = 10;
    auto first = decode_png_text(png_text_kind::compressed_text, compressed("123456"), budget);
    ASSERT_TRUE(first.readable);
    EXPECT_EQ(first.utf8, "123456");
    EXPECT_EQ(budget, 4U);
    // Five bytes no longer fit: the four inflated up to the cap are spent all the same, so no
    // compressed text reads after that.
    EXPECT_FALSE(
        decode_png_text(png_text_kind::compressed_text, compressed("abcde"), budget).readable);
    EXPECT_EQ(budget, 0U);
    EXPECT_FALSE(decode_png_text(png_text_kind::compressed_text, compressed("a"), budget).readable);
    // Uncompressed text is not limited.
    const auto plain = concat({bytes_of("Title"), bytes_of({0}), bytes_of("long text")});
    EXPECT_TRUE(decode_png_text(png_text_kind::text, plain, budget).readable);
}

} // namespace
} // namespace kestrov::imaging
