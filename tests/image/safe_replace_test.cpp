// What a save does to the file system around the file it changes: nothing but that file changes,
// whatever else is there (files named like its temporary file, links, hard links, attributes), and
// every failure on the way says what it was.
#include "base/hresult.h"
#include "base/kestrov_exception.h"
#include "base/system_message.h"
#include "image/bitmap_plus.h"
#include "image/edited_photo.h"
#include "image/engine/containers/tiff_builder.h"
#include "image/engine/io/file_system.h"
#include "image/gdiplus_exception.h"
#include "image/property_readers.h"
#include "image/property_writer.h"
#include "image/saving.h"
#include "support/failure_of.h"
#include "support/file_bytes.h"
#include "support/temporary_folder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <string>

#ifndef _WIN32
#include <sys/stat.h>
#include <sys/xattr.h>
#endif

namespace kestrov::gdi {
namespace {

namespace fs = std::filesystem;
using namespace imaging::testing;
using kestrov::testing::failure_of;
using kestrov::testing::file_text;

std::vector<std::byte> tiff(const std::string& artist) {
    tiff_contents contents;
    contents.ifd0 = {ascii(0x013B, artist), shorts(0x0112, {1})};
    return build_tiff(contents, imaging::byte_order::little);
}

std::wstring artist_of(const fs::path& path) {
    bitmap_plus bitmap(path.wstring());
    std::wstring text;
    EXPECT_TRUE(get_text_property(bitmap.bitmap(), 0x013B, text));
    return text;
}

std::set<std::string> names_in(const fs::path& folder) {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) {
        names.insert(entry.path().filename().string());
    }
    return names;
}

// Whether this system lets a test make symbolic links (Windows may need a privilege for it).
bool make_link(const fs::path& target, const fs::path& link) {
    std::error_code failed;
    fs::create_symlink(target, link, failed);
    return !failed;
}

class SafeReplace : public ::testing::Test {
protected:
    fs::path photo() { return folder_.write("a.tif", tiff("Eva")); }
    static void save_with_artist(const fs::path& path, const std::wstring& artist) {
        kestrov::testing::edited_photo(path, artist).save();
    }
    kestrov::testing::temporary_folder folder_;
};

TEST_F(SafeReplace, FilesAndLinksNamedLikeTheTemporaryFileAreNeverTouched) {
    const auto path = photo();
    // A note of the user's, a leftover of a save that was cut short, and a link to a file
    // elsewhere all take the names a save would try first.
    std::ofstream(folder_.path() / "a.tif_temp_.tif") << "my notes";
    std::ofstream(folder_.path() / "a.tif_temp_2.tif") << "leftover";
    const auto victim = folder_.path() / "victim.txt";
    std::ofstream(victim) << "somebody's file";
    const bool linked = make_link(victim, folder_.path() / "a.tif_temp_3.tif");

    save_with_artist(path, L"Petr");
    EXPECT_EQ(artist_of(path), L"Petr");
    EXPECT_EQ(file_text(folder_.path() / "a.tif_temp_.tif"), "my notes");
    EXPECT_EQ(file_text(folder_.path() / "a.tif_temp_2.tif"), "leftover");
    EXPECT_EQ(file_text(victim), "somebody's file");
    if (linked) {
        EXPECT_TRUE(fs::is_symlink(folder_.path() / "a.tif_temp_3.tif"));
    }
    std::set<std::string> expected{"a.tif", "a.tif_temp_.tif", "a.tif_temp_2.tif", "victim.txt"};
    if (linked) {
        expected.insert("a.tif_temp_3.tif");
    }
    EXPECT_EQ(names_in(folder_.path()), expected);
}

TEST_F(SafeReplace, ThroughASymbolicLinkTheFileItNamesIsReplacedAndTheLinkStays) {
    const auto elsewhere = folder_.path() / "elsewhere";
    fs::create_directory(elsewhere);
    const auto target = elsewhere / "a.tif";
    {
        std::ofstream out(target, std::ios::binary);
        const auto bytes = tiff("Eva");
        out.write(reinterpret_cast<const char*>(bytes.data()),
                  static_cast<std::streamsize>(bytes.size()));
    }
    const auto link = folder_.path() / "link.tif";
    if (!make_link(target, link)) {
        GTEST_SKIP() << "this system makes no symbolic links here";
    }
    save_with_artist(link, L"Petr");
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(fs::read_symlink(link), target);
    EXPECT_EQ(artist_of(target), L"Petr");
    EXPECT_EQ(names_in(folder_.path()), (std::set<std::string>{"elsewhere", "link.tif"}));
    EXPECT_EQ(names_in(elsewhere), std::set<std::string>{"a.tif"});
}

TEST_F(SafeReplace, OtherHardLinksKeepTheOldContentAndTheSaveSaysSo) {
    const auto path = photo();
    const auto other = folder_.path() / "b.tif";
    std::error_code failed;
    fs::create_hard_link(path, other, failed);
    if (failed || fs::hard_link_count(path) != 2) {
        GTEST_SKIP() << "this system counts no hard links here";
    }
    kestrov::testing::edited_photo bitmap(path);
    EXPECT_TRUE(bitmap.save().other_names_keep_old_content);
    EXPECT_EQ(artist_of(path), L"Petr");
    EXPECT_EQ(artist_of(other), L"Eva");
    // The file has one name now: the next save has nothing to tell.
    set_text_property(bitmap.bitmap(), 0x013B, L"Jana");
    EXPECT_FALSE(bitmap.save().other_names_keep_old_content);
}

TEST_F(SafeReplace, AReplaceThatFailsKeepsTheFileTheEditsAndItsOwnError) {
    const auto path = photo();
    const auto original = file_text(path);
    kestrov::testing::edited_photo bitmap(path);
    imaging::fail_next_for_testing(imaging::failing_step::replace, win32::error_sharing_violation);
    if (const auto error = failure_of<kestrov_exception>(
            [&] { bitmap.save(); }, "a failed replace was reported as saved")) {
        EXPECT_EQ(error->code(), hresult_from_win32(win32::error_sharing_violation));
    }
    EXPECT_EQ(file_text(path), original);
    EXPECT_EQ(names_in(folder_.path()), std::set<std::string>{"a.tif"});
    std::wstring artist;
    ASSERT_NE(bitmap.bitmap(), nullptr);
    EXPECT_TRUE(get_text_property(bitmap.bitmap(), 0x013B, artist));
    EXPECT_EQ(artist, L"Petr");
    // The edits are still there to be saved.
    bitmap.save();
    EXPECT_EQ(artist_of(path), L"Petr");
}

TEST_F(SafeReplace, TheReplaceIsMadeDurableAndAFailedFlushIsReported) {
    const auto path = photo();
    kestrov::testing::edited_photo bitmap(path);
    imaging::fail_next_for_testing(imaging::failing_step::durable_replace, win32::error_io_device);
    if (const auto error = failure_of<kestrov_exception>(
            [&] { bitmap.save(); },
            "a save whose folder was not flushed was reported as durable")) {
        EXPECT_EQ(std::string(error->what()), replaced_but_not_durable(win32::error_io_device));
    }
    imaging::fail_next_for_testing(imaging::failing_step::none, 0);
    // The new content is in place (nothing is as it was), and the image shows it.
    EXPECT_EQ(artist_of(path), L"Petr");
    ASSERT_NE(bitmap.bitmap(), nullptr);
    EXPECT_EQ(names_in(folder_.path()), std::set<std::string>{"a.tif"});
}

TEST_F(SafeReplace, AWriterThatRefusesNamesItsOwnCauseNotAnEarlierError) {
    // The first directory already holds as many entries as any reader reads; one more is refused.
    tiff_contents contents;
    for (std::uint16_t tag = 0xC000; tag < 0xC000 + 999; ++tag) {
        contents.ifd0.push_back(shorts(tag, {1}));
    }
    contents.ifd0.push_back(ascii(0x013B, "Eva"));
    const auto path = folder_.write("full.tif", build_tiff(contents, imaging::byte_order::big));
    const auto original = file_text(path);
    bitmap_plus bitmap(path.wstring());
    set_text_property(bitmap.bitmap(), 0x010E, L"Popis");
    if (const auto error = failure_of<gdiplus_exception>(
            [&] { bitmap.save(); }, "a directory past the entry limit was written")) {
        EXPECT_EQ(error->status(), imaging::status::value_overflow);
        EXPECT_EQ(std::string(error->what()),
                  system_message(hresult_from_win32(win32::error_file_too_large)));
    }
    EXPECT_EQ(file_text(path), original);
    EXPECT_EQ(names_in(folder_.path()), std::set<std::string>{"full.tif"});
}

#ifndef _WIN32
TEST_F(SafeReplace, ModeOwnerAndExtendedAttributesStayAndNobodyElseReadsTheNewContent) {
    const auto path = photo();
    ASSERT_EQ(::chmod(path.c_str(), 0600), 0);
    const char tags[] = "dovolená";
    if (::setxattr(path.c_str(), "user.xdg.tags", tags, sizeof tags - 1, 0) != 0) {
        GTEST_SKIP() << "this file system keeps no extended attributes";
    }
    struct stat before {};
    ASSERT_EQ(::stat(path.c_str(), &before), 0);

    // Whenever the new content is written, the file it goes into is the owner's alone.
    static fs::path watched;
    static int writes_seen_by_others = 0;
    watched = folder_.path();
    writes_seen_by_others = 0;
    imaging::output_file::before_writes_for_testing([] {
        for (const auto& entry : fs::directory_iterator(watched)) {
            struct stat info {};
            if (entry.path().filename() != "a.tif" && ::stat(entry.path().c_str(), &info) == 0 &&
                (info.st_mode & 0077) != 0) {
                ++writes_seen_by_others;
            }
        }
    });
    save_with_artist(path, L"Petr");
    imaging::output_file::before_writes_for_testing(nullptr);
    EXPECT_EQ(writes_seen_by_others, 0);

    struct stat after {};
    ASSERT_EQ(::stat(path.c_str(), &after), 0);
    EXPECT_NE(after.st_ino, before.st_ino); // replaced, not written over
    EXPECT_EQ(after.st_mode, before.st_mode);
    EXPECT_EQ(after.st_uid, before.st_uid);
    EXPECT_EQ(after.st_gid, before.st_gid);
    char read[64] = {};
    const auto size = ::getxattr(path.c_str(), "user.xdg.tags", read, sizeof read);
    EXPECT_EQ(std::string(read, size > 0 ? static_cast<std::size_t>(size) : 0), "dovolená");
    EXPECT_EQ(artist_of(path), L"Petr");
}
#endif

} // namespace
} // namespace kestrov::gdi
