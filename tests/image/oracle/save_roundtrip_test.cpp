// Saving is lossless, judged over the sample photos by readers that are not ours: every JPEG and
// TIFF of the corpus (the damaged ones of jpg/invalid aside) is copied to a temporary folder,
// loaded, changed, saved, and then exiftool, exiv2 and ImageMagick read the saved copies and
// untouched copies side by side (saved_copy_check.h says what must match). Each reader runs once
// per test over all the files, so the whole suite takes seconds, not minutes.
#include "image/bitmap_plus.h"
#include "image/engine/image.h"
#include "image/oracle/exiftool_oracle.h"
#include "image/oracle/peer_tools.h"
#include "image/oracle/saved_copy_check.h"
#include "image/property_writer.h"

#include "base/kestrov_exception.h"
#include "base/text_conversion.h"
#include "support/temporary_folder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <iostream>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include <unistd.h>

namespace kestrov::oracle {
namespace {

namespace fs = std::filesystem;

std::string hex_id(std::uint32_t id) {
    char text[8];
    std::snprintf(text, sizeof text, "%04X", static_cast<unsigned>(id));
    return text;
}

// The UTF-8 a text must read back as.
std::string utf8_of(std::wstring_view text) {
    std::string bytes;
    to_multibyte(text, code_page_utf8, bytes);
    return bytes;
}

// A change of a sample before its save; fills in what the peers must see changed. May raise.
using change = std::function<void(gdi::bitmap_plus& bitmap, saved_copy& copy)>;

// Removes item `id`; false when the image has none. Raises on any other failure.
bool remove_item(gdi::bitmap_plus& bitmap, std::uint32_t id) {
    imaging::image* image = bitmap.bitmap();
    const imaging::status result = image->remove_property_item(id);
    image->last_status(); // not finding the item is recorded as the last status too
    if (result != imaging::status::ok && result != imaging::status::property_not_found) {
        throw kestrov_exception("removing 0x" + hex_id(id) + " answered status " +
                                std::to_string(static_cast<int>(result)));
    }
    return result == imaging::status::ok;
}

class SaveRoundtrip : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        tools_ = peer_tools::find(missing_tool_);
        samples_ = corpus_samples();
    }

    void SetUp() override {
        if (!tools_) {
            GTEST_SKIP() << missing_tool_ << " is not installed (scripts/setup installs it)";
        }
        ASSERT_GE(samples_.size(), 40U) << "corpus at " << corpus_root();
        std::set<std::string> names;
        for (const sample& each : samples_) {
            ASSERT_TRUE(names.insert(each.name).second) << "two samples copied as " << each.name;
        }
        temporary_.emplace();
        folder_ = temporary_->path();
        fs::create_directories(folder_ / "before");
        for (const sample& each : samples_) {
            copy_sample(each, folder_ / "before" / each.name);
        }
    }

    // MIRTEL_KEEP_SAVED_COPIES=1 keeps the folder of a failed test for a look at the files.
    void TearDown() override {
        const char* keep = std::getenv("MIRTEL_KEEP_SAVED_COPIES");
        if (temporary_ && HasFailure() && keep != nullptr && std::string_view(keep) == "1") {
            std::cerr << "saved copies kept in " << folder_ << "\n";
            temporary_->keep();
        }
    }

    static void copy_sample(const sample& source, const fs::path& to) {
        fs::copy_file(corpus_root() / source.relative, to);
        fs::permissions(to, fs::perms::owner_read | fs::perms::owner_write, fs::perm_options::add);
    }

    // Copies every sample into `subfolder`, changes and saves each copy, and checks after each
    // that the folder holds just the copies: no temporary file left behind.
    std::vector<saved_copy> save_copies(const std::string& subfolder, const std::string& what,
                                        const change& edit) {
        const fs::path into = folder_ / subfolder;
        fs::create_directories(into);
        std::set<std::string> names;
        for (const sample& each : samples_) {
            copy_sample(each, into / each.name);
            names.insert(each.name);
        }
        std::vector<saved_copy> copies;
        for (const sample& each : samples_) {
            saved_copy copy(each, what, subfolder + "/" + each.name);
            try {
                gdi::bitmap_plus bitmap((into / each.name).wstring());
                edit(bitmap, copy);
            } catch (const kestrov_exception& error) {
                copy.failure = std::string("raised \"") + error.what() + "\"";
            }
            std::vector<fs::path> strays;
            for (const auto& entry : fs::directory_iterator(into)) {
                if (!names.contains(entry.path().filename().string())) {
                    strays.push_back(entry.path());
                }
            }
            for (const fs::path& stray : strays) {
                copy.failure += (copy.failure.empty() ? "" : "; ") +
                                ("left a stray file \"" + stray.filename().string() + "\"");
                fs::remove(stray); // so that the next copy is judged on its own
            }
            copies.push_back(std::move(copy));
        }
        return copies;
    }

    // Runs the peers once over the untouched copies and `copies` together, and reports every
    // copy that differs from what its change was meant to do.
    void check(const std::vector<saved_copy>& copies) {
        std::vector<std::string> names;
        for (const sample& each : samples_) {
            names.push_back("before/" + each.name);
        }
        for (const saved_copy& copy : copies) {
            names.push_back(copy.path);
        }
        const peer_readings readings = tools_->read(folder_, names);
        std::string problems;
        for (const std::string& problem : readings.problems) {
            problems += "\n  " + problem;
        }
        ASSERT_TRUE(problems.empty()) << "the peers' output not understood:" << problems;
        ASSERT_NO_FATAL_FAILURE(read_originals(readings));

        std::string report;
        std::size_t differing = 0;
        for (const saved_copy& copy : copies) {
            const std::vector<std::string> lines =
                differences(copy, originals_.at(copy.source->name), "before/" + copy.source->name,
                            readings, folder_);
            if (lines.empty()) {
                continue;
            }
            if (++differing > 30) {
                continue; // counted, not shown: the first ones tell the story
            }
            report += "\n" + copy.source->relative.generic_string() + " (" + copy.what + "):";
            for (std::size_t i = 0; i < lines.size() && i < 15; ++i) {
                report += "\n    " + lines[i];
            }
            if (lines.size() > 15) {
                report += "\n    ... and " + std::to_string(lines.size() - 15) + " more";
            }
        }
        for (const std::string& complaint : readings.complaints) {
            report += "\n" + complaint;
        }
        EXPECT_EQ(differing, 0U) << differing << " of " << copies.size()
                                 << " saved copies differ from what was meant:" << report;
    }

    // Reads the untouched copies, and makes sure the peers read them fully: a check that
    // compares nothing would pass whatever the engine did.
    void read_originals(const peer_readings& readings) {
        std::size_t with_maker_notes = 0;
        std::size_t maker_notes_found = 0;
        std::size_t with_thumbnails = 0;
        for (const sample& each : samples_) {
            const std::string name = "before/" + each.name;
            const tag_values& tags = tags_of(readings.exiftool, name);
            ASSERT_GE(tags.size(), 10U) << "exiftool read too little of " << name;
            ASSERT_FALSE(tags_of(readings.pixels, name).empty())
                << "identify did not read " << name;
            with_maker_notes += std::any_of(tags.begin(), tags.end(), [](const auto& tag) {
                return tag.first.starts_with("MakerNotes:");
            });
            with_thumbnails += tags.contains("EXIF:IFD1:ThumbnailImage");
            const original& kept = originals_[each.name] =
                read_original(each, folder_ / name, tags);
            maker_notes_found += kept.maker_note.has_value();
        }
        // The corpus has 21 samples with maker notes exiftool decodes and 33 with an Exif
        // thumbnail.
        ASSERT_GE(with_maker_notes, 20U) << "exiftool read too few maker notes";
        ASSERT_GE(maker_notes_found, 20U) << "the maker notes' offsets not found";
        ASSERT_GE(with_thumbnails, 30U) << "exiftool read too few thumbnails";
    }

    // Sets each descriptive tag of every sample to `text`, one tag per copy and save, and
    // checks all the saved copies.
    void set_each_descriptive_tag(const std::string& kind, std::wstring_view text) {
        const std::string utf8 = utf8_of(text);
        std::vector<saved_copy> copies;
        for (const descriptive_tag& tag : descriptive_tags) {
            const auto edit = [&tag, &text, &utf8](gdi::bitmap_plus& bitmap, saved_copy& copy) {
                gdi::set_text_property(bitmap.bitmap(), tag.id, text);
                bitmap.save();
                copy.exiftool.set[tag.exiftool_key] = utf8;
                // UTF-8 and one zero byte, type ASCII.
                copy.exiv2.set[tag.exiv2_key] =
                    "Ascii " + std::to_string(utf8.size() + 1) + " " + utf8;
                copy.camera_renamed = tag.names_the_camera;
                expect_other_places(copy, tag.id, utf8);
                // A file without Exif gains a block, whose byte order exiftool then reports.
                copy.exiftool.may_appear.insert("File:ExifByteOrder");
            };
            std::vector<saved_copy> saved =
                save_copies("set-" + hex_id(tag.id) + "-" + kind,
                            "0x" + hex_id(tag.id) + " set to " + kind + " text", edit);
            std::move(saved.begin(), saved.end(), std::back_inserter(copies));
        }
        check(copies);
    }

    static std::optional<peer_tools> tools_;
    static std::string missing_tool_;
    static std::vector<sample> samples_;
    std::optional<kestrov::testing::temporary_folder> temporary_;
    fs::path folder_;
    std::map<std::string, original> originals_; // by sample name
};

std::optional<peer_tools> SaveRoundtrip::tools_;
std::string SaveRoundtrip::missing_tool_;
std::vector<sample> SaveRoundtrip::samples_;

TEST_F(SaveRoundtrip, SavingWithoutAChangeKeepsEveryTagTheImageDataAndThePixels) {
    check(save_copies("unchanged", "saved unchanged",
                      [](gdi::bitmap_plus& bitmap, saved_copy&) { bitmap.save(); }));
}

TEST_F(SaveRoundtrip, SettingEachDescriptiveTagToPlainAsciiChangesOnlyThatTag) {
    set_each_descriptive_tag("ASCII", L"Mirtel wrote this, plain ASCII: 1+1=2 (ok)");
}

TEST_F(SaveRoundtrip, SettingEachDescriptiveTagToCzechTextChangesOnlyThatTag) {
    set_each_descriptive_tag("Czech", L"Žluťoučký kůň úpěl ďábelské ódy");
}

TEST_F(SaveRoundtrip, SettingEachDescriptiveTagToAnEmptyTextChangesOnlyThatTag) {
    set_each_descriptive_tag("empty", L"");
}

// The console tool as a user runs it, one file at a time: `mirtel-cli set --author` changes the
// author and nothing else, maker-note tags and embedded images included.
TEST_F(SaveRoundtrip, TheConsoleToolSettingTheAuthorChangesOnlyThatTag) {
    const std::string author = "Eva Nováková";
    const auto edit = [&author](gdi::bitmap_plus& bitmap, saved_copy& copy) {
        std::string path;
        to_multibyte(bitmap.file_name(), code_page_utf8, path);
        bitmap.release(); // the tool replaces the file
        const auto result = run_command(shell_quote(MIRTEL_CLI_PATH) + " set --author " +
                                        shell_quote(author) + " " + shell_quote(path) + " 2>&1");
        if (result.exit_code != 0) {
            throw kestrov_exception("mirtel-cli set answered " + std::to_string(result.exit_code) +
                                    ": " + result.standard_output);
        }
        copy.exiftool.set["EXIF:IFD0:Artist"] = author;
        expect_other_places(copy, 0x013B, author);
        copy.exiv2.set["Exif.Image.Artist"] =
            "Ascii " + std::to_string(author.size() + 1) + " " + author;
        copy.exiftool.may_appear.insert("File:ExifByteOrder");
    };
    check(save_copies("cli-author", "mirtel-cli set --author", edit));
}

// Two saves in a row on one loaded image: the first removes XResolution, the second (on the
// image as the first save reloaded it) GPSLatitude and a descriptive tag. The final file lacks
// all three and has everything else.
TEST_F(SaveRoundtrip, RemovingTagsInTwoSavesInARowRemovesJustThem) {
    std::size_t resolutions = 0;
    std::size_t latitudes = 0;
    std::size_t descriptions = 0;
    const auto edit = [&](gdi::bitmap_plus& bitmap, saved_copy& copy) {
        std::vector<std::uint32_t> removed;
        if (remove_item(bitmap, 0x011A)) {
            ++resolutions;
            removed.push_back(0x011A);
            copy.exiftool.removed.insert("EXIF:IFD0:XResolution");
            copy.exiv2.removed.insert("Exif.Image.XResolution");
        }
        bitmap.save();
        if (remove_item(bitmap, 0x0002)) {
            ++latitudes;
            removed.push_back(0x0002);
            // exiftool derives these two from GPSLatitude.
            copy.exiftool.removed.insert(
                {"EXIF:GPS:GPSLatitude", "Composite:GPSLatitude", "Composite:GPSPosition"});
            copy.exiv2.removed.insert("Exif.GPSInfo.GPSLatitude");
        }
        // Not Make or Model: the peers decode maker notes by them (see saved_copy).
        for (const descriptive_tag& tag : descriptive_tags) {
            if (!tag.names_the_camera && remove_item(bitmap, tag.id)) {
                ++descriptions;
                removed.push_back(tag.id);
                copy.exiftool.removed.insert(tag.exiftool_key);
                copy.exiv2.removed.insert(tag.exiv2_key);
                expect_other_places(copy, tag.id, std::nullopt);
                break;
            }
        }
        bitmap.save();
        for (const std::uint32_t id : removed) {
            std::uint32_t size = 0;
            if (bitmap.bitmap()->property_item_size(id, size) !=
                imaging::status::property_not_found) {
                copy.failure +=
                    "0x" + hex_id(id) + " is an item again after the saves reloaded it; ";
            }
        }
    };
    check(save_copies("removed",
                      "XResolution removed and saved, then GPSLatitude and a "
                      "descriptive tag removed and saved",
                      edit));
    // The corpus exercises every removal.
    EXPECT_GE(resolutions, samples_.size() / 2);
    EXPECT_GE(latitudes, 3U);
    EXPECT_GE(descriptions, samples_.size() / 2);
}

} // namespace
} // namespace kestrov::oracle
