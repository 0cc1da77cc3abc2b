// The engine against exiftool over the sample photos: every IFD0, Exif and GPS field exiftool
// finds is an item with the same id, type and value bytes, and the Exif thumbnail is the same.
//
// Where a tag number occurs twice (in IFD0 and the Exif IFD, or twice in one directory) only its
// first occurrence in the engine's reading order (IFD0, Exif, GPS) is compared: the engine's flat
// id space holds one item per id and keeps the first one it reads.
#include "base/ascii_case.h"
#include "base/text_conversion.h"
#include "image/engine/image.h"
#include "image/oracle/exiftool_oracle.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <sstream>

namespace kestrov::oracle {
namespace {

namespace fs = std::filesystem;
using imaging::image;
using imaging::PropertyItem;
using imaging::status;

fs::path corpus_root() {
    return fs::path(MIRTEL_SOURCE_DIR) / ".." / "shared" / "corpus";
}

bool is_jpeg_or_tiff(const fs::path& file) {
    const std::string extension = lower_ascii<char>(file.extension().string());
    return extension == ".jpg" || extension == ".jpeg" || extension == ".tif" ||
           extension == ".tiff";
}

// Every JPEG and TIFF of the corpus, relative to it, sorted; the damaged files of jpg/invalid
// are left out (their own tests only ask that they load or fail cleanly).
std::vector<fs::path> sample_files() {
    std::vector<fs::path> files;
    std::error_code error;
    const fs::path root = corpus_root();
    for (auto entry = fs::recursive_directory_iterator(root, error);
         !error && entry != fs::recursive_directory_iterator(); entry.increment(error)) {
        const fs::path relative = entry->path().lexically_relative(root);
        if (entry->is_directory() && relative == fs::path("jpg") / "invalid") {
            entry.disable_recursion_pending();
        } else if (entry->is_regular_file() && is_jpeg_or_tiff(relative)) {
            files.push_back(relative);
        }
    }
    std::sort(files.begin(), files.end());
    return files;
}

std::string test_name(const ::testing::TestParamInfo<fs::path>& info) {
    std::string name = info.param.string();
    std::replace_if(
        name.begin(), name.end(), [](unsigned char c) { return std::isalnum(c) == 0; }, '_');
    return name;
}

struct item_value {
    std::uint16_t type = 0;
    std::vector<std::byte> value;
};

// The item as a caller of the engine gets it: record and value in one buffer.
std::optional<item_value> item_of(image& picture, std::uint32_t id, std::string& trouble) {
    std::uint32_t size = 0;
    if (picture.property_item_size(id, size) != status::ok) {
        return std::nullopt;
    }
    if (size < sizeof(PropertyItem)) {
        trouble = "item size " + std::to_string(size) + " is smaller than its record";
        return std::nullopt;
    }
    std::vector<std::uint64_t> buffer((size + 7) / 8); // aligned for the record
    auto* record = reinterpret_cast<PropertyItem*>(buffer.data());
    if (picture.property_item(id, size, record) != status::ok) {
        trouble = "item size given but the item not";
        return std::nullopt;
    }
    if (record->length > size - sizeof(PropertyItem) || (record->length > 0 && !record->value)) {
        trouble = "value of " + std::to_string(record->length) + " bytes outside the buffer";
        return std::nullopt;
    }
    item_value result{record->type, std::vector<std::byte>(record->length)};
    if (record->length > 0) {
        std::memcpy(result.value.data(), record->value, record->length);
    }
    return result;
}

std::string hex_bytes(const std::vector<std::byte>& bytes, std::size_t from) {
    if (from >= bytes.size()) {
        return "(end)";
    }
    std::string text;
    for (std::size_t i = from; i < bytes.size() && i < from + 12; ++i) {
        char digits[4];
        std::snprintf(digits, sizeof digits, "%02x", std::to_integer<unsigned>(bytes[i]));
        text += (i == from ? "" : " ") + std::string(digits);
    }
    return bytes.size() > from + 12 ? text + " ..." : text;
}

std::string describe(const reported_tag& tag) {
    char number[8];
    std::snprintf(number, sizeof number, "0x%04x", static_cast<unsigned>(tag.number));
    return std::string(directory_name(tag.directory)) + " " + number + " " + tag.name + " (type " +
           std::to_string(tag.type) + ", " + std::to_string(tag.value.size()) + " bytes)";
}

// How the item differs from what exiftool read; empty when it does not.
std::string difference(const item_value& expected, const std::optional<item_value>& got,
                       const std::string& trouble) {
    if (!got) {
        return trouble.empty() ? "missing" : trouble;
    }
    if (got->type != expected.type) {
        return "type " + std::to_string(got->type) + " instead of " + std::to_string(expected.type);
    }
    const auto differing = std::mismatch(expected.value.begin(), expected.value.end(),
                                         got->value.begin(), got->value.end());
    if (differing.first == expected.value.end() && differing.second == got->value.end()) {
        return {};
    }
    const auto at = static_cast<std::size_t>(differing.first - expected.value.begin());
    std::string text = got->value.size() == expected.value.size()
                           ? ""
                           : std::to_string(got->value.size()) + " bytes instead of " +
                                 std::to_string(expected.value.size()) + "; ";
    return text + "first difference at byte " + std::to_string(at) + ": expected " +
           hex_bytes(expected.value, at) + ", got " + hex_bytes(got->value, at);
}

class ExiftoolCorpusFile : public ::testing::TestWithParam<fs::path> {
protected:
    static void SetUpTestSuite() { tool_ = exiftool::find(); }

    void SetUp() override {
        if (!tool_) {
            GTEST_SKIP() << "exiftool is not on PATH (scripts/setup installs it)";
        }
        file_ = corpus_root() / GetParam();
    }

    // The sample opened by the engine; null (a failure recorded) when it did not load.
    std::unique_ptr<image> load_sample() const {
        std::wstring wide_path;
        utf8_to_wide(file_.string(), wide_path);
        std::unique_ptr<image> picture = image::from_file(wide_path);
        const status loaded = picture ? picture->last_status() : status::out_of_memory;
        if (loaded != status::ok) {
            ADD_FAILURE() << GetParam() << " did not load: status " << static_cast<int>(loaded);
            return nullptr;
        }
        return picture;
    }

    static std::optional<exiftool> tool_;
    fs::path file_;
};

std::optional<exiftool> ExiftoolCorpusFile::tool_;

TEST_P(ExiftoolCorpusFile, HasEveryIfd0ExifAndGpsFieldExiftoolReadsWithItsTypeAndBytes) {
    const exiftool_report report = tool_->read_tags(file_);
    std::string problems;
    for (const std::string& problem : report.problems) {
        problems += "\n  " + problem;
    }
    ASSERT_TRUE(problems.empty()) << GetParam() << ": exiftool's output not understood" << problems;
    const std::unique_ptr<image> picture = load_sample();
    ASSERT_NE(picture, nullptr);

    const std::vector<reported_tag> expected = first_occurrences(report.tags);
    std::ostringstream mismatches;
    std::size_t mismatch_count = 0;
    for (const reported_tag& tag : expected) {
        std::string trouble;
        const std::optional<item_value> got = item_of(*picture, flat_id(tag), trouble);
        const std::string found = difference({tag.type, tag.value}, got, trouble);
        if (!found.empty()) {
            ++mismatch_count;
            mismatches << "\n  " << describe(tag) << ": " << found;
        }
    }
    EXPECT_EQ(mismatch_count, 0U) << GetParam() << ": " << mismatch_count << " of "
                                  << expected.size() << " fields differ from exiftool's"
                                  << mismatches.str();
}

TEST_P(ExiftoolCorpusFile, ThumbnailItemIsTheExifThumbnailExiftoolExtracts) {
    const std::optional<std::vector<std::byte>> thumbnail = tool_->thumbnail(file_);
    ASSERT_TRUE(thumbnail) << "exiftool failed on " << GetParam();
    const std::unique_ptr<image> picture = load_sample();
    ASSERT_NE(picture, nullptr);
    if (thumbnail->empty()) {
        return; // no Exif thumbnail: nothing to compare
    }
    std::string trouble;
    const std::optional<item_value> got = item_of(*picture, 0x501B, trouble);
    const std::string found = difference({1, *thumbnail}, got, trouble);
    EXPECT_TRUE(found.empty()) << GetParam() << ": thumbnail (item 0x501b, type 1, "
                               << thumbnail->size() << " bytes): " << found;
}

TEST_P(ExiftoolCorpusFile, ExposesNoDirectoryPointerAsAnItem) {
    const std::unique_ptr<image> picture = load_sample();
    ASSERT_NE(picture, nullptr);
    for (const std::uint32_t pointer : {0x8769U, 0x8825U, 0xA005U}) {
        std::uint32_t size = 0;
        EXPECT_EQ(picture->property_item_size(pointer, size), status::property_not_found)
            << GetParam() << ": pointer tag " << std::hex << std::showbase << pointer
            << " is an item";
    }
}

INSTANTIATE_TEST_SUITE_P(Samples, ExiftoolCorpusFile, ::testing::ValuesIn(sample_files()),
                         test_name);

TEST(ExiftoolCorpus, HoldsTheSampleJpegsAndTiffsButNotTheDamagedOnes) {
    const std::vector<fs::path> files = sample_files();
    EXPECT_GE(files.size(), 40U) << "corpus at " << corpus_root();
    for (const fs::path& file : files) {
        EXPECT_FALSE(file.string().starts_with("jpg/invalid/")) << file;
    }
}

} // namespace
} // namespace kestrov::oracle
