#include "image/supported_extensions.h"

#include "base/kestrov_exception.h"

#include <gtest/gtest.h>

namespace kestrov {
namespace {

TEST(LoadDecoderExtensions, ListsEveryDecodersExtensionsLowerCaseInOrder) {
    std::vector<std::wstring> list = {L".old"};
    load_decoder_extensions(list);
    const std::vector<std::wstring> expected = {L".bmp", L".dib",  L".rle", L".jpg", L".jpeg",
                                                L".jpe", L".jfif", L".gif", L".emf", L".wmf",
                                                L".tif", L".tiff", L".png", L".ico"};
    EXPECT_EQ(list, expected);
}

TEST(Contains, MatchesWholeExtensionsIgnoringCase) {
    std::vector<std::wstring> list;
    load_decoder_extensions(list);
    EXPECT_TRUE(contains(list, L".JPG"));
    EXPECT_TRUE(contains(list, L".Tiff"));
    EXPECT_FALSE(contains(list, L".jp"));
    EXPECT_FALSE(contains(list, L"jpg"));
    EXPECT_FALSE(contains(list, L".webp"));
    EXPECT_FALSE(contains(list, L""));
    EXPECT_FALSE(contains(std::vector<std::wstring>{}, L".jpg"));
    EXPECT_THROW(contains(list, static_cast<const wchar_t*>(nullptr)), kestrov_exception);
}

TEST(ExtensionOf, TakesTheLastDotOfTheFileNameOnly) {
    EXPECT_EQ(extension_of(L"C:\\Fotky\\dovolená.JPG"), L".JPG");
    EXPECT_EQ(extension_of(L"/home/eva/archiv.2024/scan.tar.tif"), L".tif");
    EXPECT_EQ(extension_of(L"C:\\Fotky.2024\\README"), L"");
    EXPECT_EQ(extension_of(L"photo."), L".");
}

} // namespace
} // namespace kestrov
