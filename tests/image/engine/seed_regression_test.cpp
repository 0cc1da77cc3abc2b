// The fuzzers' seeds, among them the inputs of earlier findings, each a regression case of its own:
// it loads, and where its format holds items, it saves with a changed text and reads back. And the
// sample photos still show every value their directories hold.
#include "image/engine/codecs.h"
#include "image/engine/formats/jpeg/jpeg_reader.h"
#include "image/engine/image.h"
#include "image/engine/tiff/tiff_reader.h"
#include "image/saving.h"
#include "support/temporary_folder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <string>
#include <vector>

namespace kestrov::imaging {
namespace {

namespace fs = std::filesystem;

const fs::path source_dir(MIRTEL_SOURCE_DIR);

std::vector<std::string> files_in(const fs::path& folder) {
    std::vector<std::string> names;
    std::error_code ignored;
    for (const auto& entry : fs::recursive_directory_iterator(folder, ignored)) {
        if (entry.is_regular_file()) {
            names.push_back(fs::relative(entry.path(), folder).string());
        }
    }
    std::sort(names.begin(), names.end());
    return names;
}

// A test name of letters, digits and underscores.
std::string case_name(const ::testing::TestParamInfo<std::string>& info) {
    std::string name = info.param;
    std::replace_if(
        name.begin(), name.end(),
        [](char c) { return !std::isalnum(static_cast<unsigned char>(c)); }, '_');
    return name;
}

class FuzzSeed : public ::testing::TestWithParam<std::string> {};

TEST_P(FuzzSeed, LoadsAndSavesWhatItCan) {
    kestrov::testing::temporary_folder folder;
    const fs::path seed = source_dir / "fuzz" / "seeds" / GetParam();
    auto picture = image::from_file(seed.wstring());
    ASSERT_NE(picture, nullptr);
    if (picture->last_status() != status::ok) {
        return; // a file whose structure cannot be read at all: refused, and nothing more
    }
    std::vector<std::uint32_t> ids;
    ASSERT_EQ(picture->property_ids(ids), status::ok);
    for (const auto id : ids) {
        std::uint32_t size = 0;
        ASSERT_EQ(picture->property_item_size(id, size), status::ok);
        std::vector<PropertyItem> buffer(size / sizeof(PropertyItem) + 1);
        EXPECT_EQ(picture->property_item(id, size, buffer.data()), status::ok);
    }
    const std::string artist = "Eva";
    const PropertyItem item{0x013B, 4, tiff_type::ascii, const_cast<char*>(artist.c_str())};
    if (picture->set_property_item(item) != status::ok) {
        return; // a format that holds no items
    }
    // The encoder the program would take for the file's name.
    const codec_info encoder = gdi::find_encoder(seed.extension().wstring());
    const fs::path saved = folder.path() / ("saved" + seed.extension().string());
    if (picture->save_to_file(saved.wstring(), encoder) != status::ok) {
        // A save may refuse what it cannot keep, but then it leaves nothing behind.
        EXPECT_FALSE(fs::exists(saved));
        return;
    }
    auto reread = image::from_file(saved.wstring());
    ASSERT_EQ(reread->last_status(), status::ok);
    std::uint32_t size = 0;
    ASSERT_EQ(reread->property_item_size(0x013B, size), status::ok);
    std::vector<PropertyItem> buffer(size / sizeof(PropertyItem) + 1);
    ASSERT_EQ(reread->property_item(0x013B, size, buffer.data()), status::ok);
    EXPECT_EQ(std::string(static_cast<const char*>(buffer[0].value)), artist);
}

INSTANTIATE_TEST_SUITE_P(Seeds, FuzzSeed,
                         ::testing::ValuesIn(files_in(source_dir / "fuzz" / "seeds")), case_name);

const fs::path corpus = source_dir / ".." / "shared" / "corpus";

// Every value inside a photo's Exif block or TIFF directories is read: real files come nowhere
// near the budget.
TEST(CorpusValues, EverySamplePhotoShowsEveryValue) {
    std::size_t photos = 0;
    for (const auto& name : files_in(corpus)) {
        const fs::path path = corpus / name;
        const auto extension = path.extension().string();
        if (extension != ".jpg" && extension != ".tif" && extension != ".tiff") {
            continue;
        }
        auto picture = image::from_file(path.wstring());
        if (picture->last_status() != status::ok) {
            continue;
        }
        const tiff_structure* structure = nullptr;
        if (const auto* jpeg = dynamic_cast<const jpeg_layout*>(picture->metadata().layout.get())) {
            structure = &jpeg->exif_structure;
        } else if (const auto* tiff =
                       dynamic_cast<const tiff_layout*>(picture->metadata().layout.get())) {
            structure = &tiff->structure;
        }
        if (structure == nullptr) {
            continue;
        }
        ++photos;
        EXPECT_FALSE(structure->thumbnail_skipped) << name;
        for (const auto& ifd : structure->ifds) {
            for (const auto& entry : ifd.entries) {
                const bool readable =
                    tiff_type_size(entry.type) != 0 && !entry.value_outside &&
                    std::uint64_t{tiff_type_size(entry.type)} * entry.count <= (64ULL << 20);
                EXPECT_TRUE(!readable || entry.value_read) << name << " tag " << entry.tag;
            }
        }
    }
    EXPECT_GT(photos, 20U);
}

} // namespace
} // namespace kestrov::imaging
