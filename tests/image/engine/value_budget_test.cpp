// Files whose many values all point at one range of bytes: they open with everything else and a
// warning, hold no more than the bytes they have, and a save keeps the skipped entries as they are.
#include "base/hresult.h"
#include "base/last_error.h"
#include "image/engine/codecs.h"
#include "image/engine/containers/tiff_builder.h"
#include "image/engine/image.h"
#include "image/engine/io/byte_source.h"
#include "image/engine/value_budget.h"
#include "image/saving.h"
#include "support/file_bytes.h"
#include "support/temporary_folder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

namespace kestrov::imaging {
namespace {

using namespace testing;

constexpr std::uint16_t first_crafted_tag = 0x1000;
constexpr std::uint16_t image_description_tag = 0x010E;

struct raw_entry {
    std::uint16_t tag;
    std::uint16_t type;
    std::uint32_t count;
    std::uint32_t field;
};

void put_u16(std::vector<std::byte>& out, std::uint16_t value) {
    std::byte bytes[2];
    store_u16(bytes, value, byte_order::little);
    out.insert(out.end(), bytes, bytes + 2);
}

void put_u32(std::vector<std::byte>& out, std::uint32_t value) {
    std::byte bytes[4];
    store_u32(bytes, value, byte_order::little);
    out.insert(out.end(), bytes, bytes + 4);
}

void put_directory(std::vector<std::byte>& out, std::vector<raw_entry> entries) {
    std::sort(entries.begin(), entries.end(),
              [](const raw_entry& a, const raw_entry& b) { return a.tag < b.tag; });
    put_u16(out, static_cast<std::uint16_t>(entries.size()));
    for (const auto& entry : entries) {
        put_u16(out, entry.tag);
        put_u16(out, entry.type);
        put_u32(out, entry.count);
        put_u32(out, entry.field);
    }
    put_u32(out, 0);
}

std::uint32_t directory_size(std::size_t entries) {
    return static_cast<std::uint32_t>(2 + 12 * entries + 4);
}

std::vector<raw_entry> crafted(std::size_t count, std::uint32_t at, std::uint32_t length,
                               std::uint16_t first_tag = first_crafted_tag) {
    std::vector<raw_entry> out;
    for (std::size_t i = 0; i < count; ++i) {
        out.push_back(
            {static_cast<std::uint16_t>(first_tag + i), tiff_type::undefined, length, at});
    }
    return out;
}

const std::string description = "Popis obrázku";
const std::string artist = "Eva Nováková";

// The texts' entries, their values laid out from `at` into `values`.
std::vector<raw_entry> texts(std::uint32_t at, std::vector<std::byte>& values) {
    std::vector<raw_entry> out;
    for (const auto& [tag, text] : {std::pair{image_description_tag, description},
                                    std::pair{std::uint16_t{0x013B}, artist}}) {
        out.push_back({tag, tiff_type::ascii, static_cast<std::uint32_t>(text.size() + 1),
                       at + static_cast<std::uint32_t>(values.size())});
        const auto bytes = bytes_of(text);
        values.insert(values.end(), bytes.begin(), bytes.end());
        values.resize(values.size() + 2 - text.size() % 2); // the zero, and word alignment
    }
    return out;
}

std::vector<std::byte> range_of(std::size_t length) {
    std::vector<std::byte> out(length);
    for (std::size_t i = 0; i < length; ++i) {
        out[i] = static_cast<std::byte>(i * 7 + 3);
    }
    return out;
}

// A TIFF whose IFD0 holds the two texts and `count` values, all of the same `length` bytes.
std::vector<std::byte> overlapping_tiff(std::size_t count, std::uint32_t length) {
    const std::uint32_t values_at = 8 + directory_size(count + 2);
    std::vector<std::byte> values;
    auto entries = texts(values_at, values);
    const auto range_at = values_at + static_cast<std::uint32_t>(values.size());
    const auto more = crafted(count, range_at, length);
    entries.insert(entries.end(), more.begin(), more.end());
    auto out = bytes_of({'I', 'I', 42, 0, 8, 0, 0, 0});
    put_directory(out, entries);
    out.insert(out.end(), values.begin(), values.end());
    const auto range = range_of(length);
    out.insert(out.end(), range.begin(), range.end());
    return out;
}

// A JPEG whose Exif block holds the texts in IFD0, and `count` values in IFD0 and as many in the
// Exif IFD, all over the same `length` bytes.
std::vector<std::byte> overlapping_jpeg(std::size_t count, std::uint32_t length) {
    const std::uint32_t exif_at = 8 + directory_size(count + 3);
    const std::uint32_t values_at = exif_at + directory_size(count);
    std::vector<std::byte> values;
    auto ifd0 = texts(values_at, values);
    const auto range_at = values_at + static_cast<std::uint32_t>(values.size());
    const auto more = crafted(count, range_at, length);
    ifd0.insert(ifd0.end(), more.begin(), more.end());
    ifd0.push_back({tag_exif_ifd, tiff_type::long_, 1, exif_at});
    auto block = bytes_of({'I', 'I', 42, 0, 8, 0, 0, 0});
    put_directory(block, ifd0);
    put_directory(block, crafted(count, range_at, length, 0xC000));
    block.insert(block.end(), values.begin(), values.end());
    const auto range = range_of(length);
    block.insert(block.end(), range.begin(), range.end());
    return jpeg_with_exif(block);
}

std::string text_of(const image& picture, std::uint32_t id) {
    const property* item = picture.metadata().properties.find(id);
    if (item == nullptr || item->value.empty()) {
        return {};
    }
    return {reinterpret_cast<const char*>(item->value.data()), item->value.size() - 1};
}

std::uint64_t value_bytes_held(const image& picture) {
    std::uint64_t total = 0;
    for (const auto& item : picture.metadata().properties.items()) {
        total += item.value.size();
    }
    return total;
}

bool warns_of_skipped_values(const image& picture) {
    return std::any_of(picture.warnings().begin(), picture.warnings().end(),
                       [](const std::string& warning) {
                           return warning.find("nebyly načteny") != std::string::npos;
                       });
}

void expect_opens_within_its_size(const std::vector<std::byte>& file) {
    const auto picture = image::from_bytes(file);
    ASSERT_NE(picture, nullptr);
    auto& opened = *picture;
    ASSERT_EQ(opened.last_status(), status::ok);
    EXPECT_EQ(text_of(opened, image_description_tag), description);
    EXPECT_EQ(text_of(opened, 0x013B), artist);
    EXPECT_TRUE(warns_of_skipped_values(opened));
    EXPECT_LE(value_bytes_held(opened), max_overlap_factor * file.size());
    // The first values are read, and each is held once: the item, the entry it came from and
    // the copy kept for the save share their bytes.
    const property* first = opened.metadata().properties.find(first_crafted_tag);
    ASSERT_NE(first, nullptr);
    EXPECT_TRUE(first->value.shares_with(opened.metadata().as_read.find(first_crafted_tag)->value));
}

TEST(ValueBudget, TiffOfOverlappingValuesOpensWithItsTextsAndAWarning) {
    expect_opens_within_its_size(overlapping_tiff(300, 64 * 1024));
}

TEST(ValueBudget, JpegOfOverlappingValuesOpensWithItsTextsAndAWarning) {
    expect_opens_within_its_size(overlapping_jpeg(600, 20000));
}

// A real file's values share bytes now and then (both resolutions at one offset), and a
// big-endian one holds each wider value twice; neither may cost it a value.
TEST(ValueBudget, BigEndianValuesSharingBytesAreAllRead) {
    testing::tiff_contents contents;
    const auto colour_map = [] {
        testing::field out = testing::shorts(0x0140, {});
        for (std::uint16_t i = 0; i < 768; ++i) {
            out.value.push_back(static_cast<std::byte>(i & 0xFF));
            out.value.push_back(static_cast<std::byte>(i >> 8));
        }
        out.count = 768;
        return out;
    }();
    contents.ifd0 = {testing::rationals(0x011A, {{300, 1}}), testing::rationals(0x011B, {{300, 1}}),
                     colour_map};
    auto block = testing::build_tiff(contents, byte_order::big);
    // The entries in tag order from offset 8: YResolution takes XResolution's value.
    const std::size_t x_field = 8 + 2 + 8;
    std::copy_n(block.begin() + x_field, 4, block.begin() + x_field + 12);
    const auto picture = image::from_bytes(block);
    ASSERT_EQ(picture->last_status(), status::ok);
    EXPECT_FALSE(warns_of_skipped_values(*picture));
    ASSERT_NE(picture->metadata().properties.find(0x0140), nullptr);
    EXPECT_EQ(picture->metadata().properties.find(0x0140)->value.size(), 1536U);
    EXPECT_NE(picture->metadata().properties.find(0x011B), nullptr);
}

// What the reader skipped is kept: a save without changes copies the file whole, and one that
// changes the directories refuses and leaves nothing behind, for the saved file could not read back
// with the items it was saved with.
TEST(ValueBudget, ASaveKeepsTheSkippedValuesOrIsRefused) {
    kestrov::testing::temporary_folder folder;
    const auto original = overlapping_tiff(300, 64 * 1024);
    const auto path = folder.write("crafted.tif", original);
    const auto copy = folder.path() / "copy.tif";
    const auto changed = folder.path() / "changed.tif";
    auto picture = image::from_file(path.wstring());
    ASSERT_EQ(picture->last_status(), status::ok);
    ASSERT_EQ(picture->save_to_file(copy.wstring(), gdi::find_encoder(L".tif")), status::ok);
    EXPECT_EQ(kestrov::testing::file_bytes(copy), original);

    const std::string text = "Nový popis";
    const PropertyItem item{image_description_tag, static_cast<std::uint32_t>(text.size() + 1),
                            tiff_type::ascii, const_cast<char*>(text.c_str())};
    ASSERT_EQ(picture->set_property_item(item), status::ok);
    EXPECT_NE(picture->save_to_file(changed.wstring(), gdi::find_encoder(L".tif")), status::ok);
    EXPECT_EQ(last_error(), win32::error_invalid_data);
    EXPECT_FALSE(std::filesystem::exists(changed));
    EXPECT_EQ(kestrov::testing::file_bytes(path), original);
}

} // namespace
} // namespace kestrov::imaging
