#include "tags/batch_report.h"
#include "tags/batch_writer.h"

#include "image/bitmap_plus.h"
#include "image/engine/containers/tiff_builder.h"
#include "image/engine/io/file_system.h"
#include "image/property_readers.h"
#include "support/temporary_folder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <fstream>
#include <stdexcept>

namespace kestrov::tags {
namespace {

namespace fs = std::filesystem;
using namespace imaging::testing;

class BatchWriterTest : public ::testing::Test {
protected:
    std::wstring photo(const std::string& name) {
        tiff_contents contents;
        contents.ifd0 = {ascii(0x010F, "Canon"), ascii(0x0131, "firmware"), shorts(0x0112, {3})};
        const auto bytes = build_tiff(contents, imaging::byte_order::little);
        return folder_.write(name, bytes).wstring();
    }

    static std::optional<std::wstring> text(const std::wstring& path, std::uint32_t id) {
        gdi::bitmap_plus bitmap(path);
        std::wstring value;
        if (!gdi::get_text_property(bitmap.bitmap(), id, value)) {
            return std::nullopt;
        }
        return value;
    }

    std::size_t files_in_folder() const { return folder_.file_count(); }

    kestrov::testing::temporary_folder folder_;
};

descriptive_texts author_only(const std::wstring& author) {
    descriptive_texts texts;
    texts.values[2] = author;
    return texts;
}

TEST_F(BatchWriterTest, WritesTheFilledFieldsIntoEveryFileAndKeepsTheRest) {
    const std::vector<std::wstring> files = {photo("a.tif"), photo("b.tif"), photo("c.tif")};
    std::vector<std::size_t> progress;
    const auto outcomes = write_descriptive_texts(
        files, author_only(L"Eva Nováková"), 2,
        [&progress](std::size_t done, std::size_t) { progress.push_back(done); });
    ASSERT_EQ(outcomes.size(), 3U);
    for (const auto& outcome : outcomes) {
        EXPECT_TRUE(outcome.written) << outcome.reason;
        EXPECT_EQ(text(outcome.path, 0x013B), L"Eva Nováková");
        EXPECT_EQ(text(outcome.path, 0x010F), L"Canon");
        EXPECT_EQ(text(outcome.path, 0x0131), L"firmware");
        EXPECT_EQ(text(outcome.path, 0x0320), std::nullopt);
    }
    EXPECT_EQ(progress, (std::vector<std::size_t>{1, 2, 3}));
    EXPECT_EQ(files_in_folder(), 3U);
}

TEST_F(BatchWriterTest, LinksAndTakenTemporaryNamesAreLeftAsTheyAreAndHardLinksAreNoted) {
    const auto target = photo("a.tif");
    const auto hard = photo("b.tif");
    std::ofstream(folder_.path() / "a.tif_temp_.tif") << "my notes";
    std::error_code failed;
    fs::create_hard_link(hard, folder_.path() / "b-copy.tif", failed);
    const bool hard_linked = !failed && fs::hard_link_count(hard) == 2;
    const auto link = (folder_.path() / "link.tif").wstring();
    fs::create_symlink(target, link, failed);
    const bool linked = !failed;
    std::vector<std::wstring> files = {hard};
    if (linked) {
        files.push_back(link);
    }
    const auto outcomes = write_descriptive_texts(files, author_only(L"Eva"), 2);
    ASSERT_EQ(outcomes.size(), files.size());
    for (const auto& outcome : outcomes) {
        EXPECT_TRUE(outcome.written) << outcome.reason;
    }
    if (hard_linked) {
        EXPECT_NE(batch_summary(outcomes, files.size()).find(note_line(outcomes[0])),
                  std::string::npos);
        EXPECT_EQ(text((folder_.path() / "b-copy.tif").wstring(), 0x013B), std::nullopt);
    }
    if (linked) {
        EXPECT_TRUE(fs::is_symlink(link));
        EXPECT_EQ(text(target, 0x013B), L"Eva");
        EXPECT_TRUE(outcomes[1].note.empty());
    }
    std::ifstream notes(folder_.path() / "a.tif_temp_.tif");
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(notes), {}), "my notes");
}

TEST_F(BatchWriterTest, AFileThatCannotBeReadOrWrittenIsReportedAndTheOthersAreWritten) {
    const auto read_only = photo("locked.tif");
    fs::permissions(read_only,
                    fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
    const std::vector<std::wstring> files = {
        photo("a.tif"), (folder_.path() / "missing.tif").wstring(), read_only, photo("b.tif")};
    const auto outcomes = write_descriptive_texts(files, author_only(L"Eva"), 1);
    ASSERT_EQ(outcomes.size(), 4U);
    EXPECT_TRUE(outcomes[0].written);
    EXPECT_FALSE(outcomes[1].written);
    EXPECT_FALSE(outcomes[1].reason.empty());
    EXPECT_FALSE(outcomes[2].written);
    EXPECT_EQ(text(read_only, 0x013B), std::nullopt);
    EXPECT_TRUE(outcomes[3].written);
    EXPECT_EQ(text(files[3], 0x013B), L"Eva");
}

// However a file is spelt in the list, it is written once and reported once.
TEST_F(BatchWriterTest, AFileListedUnderSeveralNamesIsWrittenOnceAndReportedOnce) {
    const auto file = photo("a.tif");
    const auto other = photo("b.tif");
    const auto spelt_again = (folder_.path() / "." / "a.tif").wstring();
    const std::vector<std::wstring> files = {file, other, spelt_again, file};
    const auto outcomes = write_descriptive_texts(files, author_only(L"Eva"), 2);
    ASSERT_EQ(outcomes.size(), 2U);
    EXPECT_EQ(outcomes[0].path, file);
    EXPECT_EQ(outcomes[0].listings, 3U);
    for (const auto& outcome : outcomes) {
        EXPECT_TRUE(outcome.written) << outcome.reason;
        EXPECT_EQ(text(outcome.path, 0x013B), L"Eva");
    }
    auto with_failure = outcomes;
    with_failure.push_back({L"c.tif", false, "chyba"});
    const auto summary = batch_summary(with_failure, files.size() + 1);
    EXPECT_EQ(summary.rfind("Zapsáno 2 z 3 souborů.", 0), 0U) << summary;
    EXPECT_EQ(summary.find("předčasně"), std::string::npos) << summary;
    EXPECT_EQ(files_in_folder(), 2U);
}

// At any moment of a run, only the file being written may have a temporary file beside it: a run
// cut short leaves no more behind than that.
TEST_F(BatchWriterTest, OnlyTheFileBeingWrittenHasATemporaryFile) {
    std::vector<std::wstring> files;
    for (unsigned i = 0; i < 5; ++i) {
        files.push_back(photo(std::to_string(i) + ".tif"));
    }
    static fs::path watched;
    static std::size_t most_seen = 0;
    watched = folder_.path();
    most_seen = 0;
    imaging::output_file::before_writes_for_testing([] {
        std::size_t seen = 0;
        for (const auto& entry : fs::directory_iterator(watched)) {
            seen += entry.path().filename().string().find("_temp_") != std::string::npos;
        }
        most_seen = std::max(most_seen, seen);
    });
    const auto outcomes = write_descriptive_texts(files, author_only(L"Eva"), 1);
    imaging::output_file::before_writes_for_testing(nullptr);
    ASSERT_EQ(outcomes.size(), files.size());
    for (const auto& outcome : outcomes) {
        EXPECT_TRUE(outcome.written) << outcome.reason;
    }
    EXPECT_LE(most_seen, 1U);
    EXPECT_EQ(files_in_folder(), files.size());
}

TEST_F(BatchWriterTest, EmptyFieldsSaveTheFileWithItsTagsUnchanged) {
    const auto file = photo("a.tif");
    const auto outcome = write_descriptive_texts(file, descriptive_texts{});
    EXPECT_TRUE(outcome.written) << outcome.reason;
    EXPECT_EQ(text(file, 0x010F), L"Canon");
    EXPECT_EQ(text(file, 0x013B), std::nullopt);
}

TEST_F(BatchWriterTest, FieldsAreWrittenToTheirTags) {
    const auto file = photo("a.tif");
    descriptive_texts texts;
    texts.values = {L"Název", L"Popis", L"Autor", L"Výrobce", L"Model", L"Software"};
    ASSERT_TRUE(write_descriptive_texts(file, texts).written);
    EXPECT_EQ(text(file, 0x0320), L"Název");
    EXPECT_EQ(text(file, 0x010E), L"Popis");
    EXPECT_EQ(text(file, 0x013B), L"Autor");
    EXPECT_EQ(text(file, 0x010F), L"Výrobce");
    EXPECT_EQ(text(file, 0x0110), L"Model");
    EXPECT_EQ(text(file, 0x0131), L"Software");
}

// Stopping begins no further file: the files begun are written completely and the rest keep their
// original bytes, whatever number of files is prepared at once.
TEST_F(BatchWriterTest, AStoppedBatchWritesTheFilesBegunAndLeavesTheRestUntouched) {
    for (const unsigned jobs : {1U, 3U}) {
        std::vector<std::wstring> files;
        for (unsigned i = 0; i < 6; ++i) {
            files.push_back(photo(std::to_string(jobs * 10 + i) + ".tif"));
        }
        std::atomic<int> asked{0};
        const auto outcomes = write_descriptive_texts(files, author_only(L"Eva"), jobs, {},
                                                      [&asked] { return asked++ < 2; });
        ASSERT_LE(outcomes.size(), 2U) << jobs;
        for (std::size_t i = 0; i < files.size(); ++i) {
            const bool begun = i < outcomes.size();
            EXPECT_EQ(text(files[i], 0x013B),
                      begun ? std::optional<std::wstring>(L"Eva") : std::nullopt)
                << i;
            if (begun) {
                EXPECT_TRUE(outcomes[i].written) << outcomes[i].reason;
                EXPECT_EQ(outcomes[i].path, files[i]);
            }
        }
    }
    EXPECT_EQ(files_in_folder(), 12U);
}

// A failure of the batch itself (here the progress callback) ends the batch without ending the
// process: the files not put in place say why, and no temporary file stays.
TEST_F(BatchWriterTest, AFailingBatchReportsItsFilesAndLeavesNoTemporaryFile) {
    std::vector<std::wstring> files;
    for (unsigned i = 0; i < 5; ++i) {
        files.push_back(photo(std::to_string(i) + ".tif"));
    }
    const auto outcomes =
        write_descriptive_texts(files, author_only(L"Eva"), 3, [](std::size_t done, std::size_t) {
            if (done == 2) {
                throw std::runtime_error("došla paměť");
            }
        });
    // Where each file is put in place as soon as it is written, the files before the failure are
    // written; none is half done.
    ASSERT_EQ(outcomes.size(), files.size());
    EXPECT_TRUE(std::any_of(outcomes.begin(), outcomes.end(),
                            [](const file_outcome& outcome) { return !outcome.written; }));
    for (const auto& outcome : outcomes) {
        if (outcome.written) {
            EXPECT_EQ(text(outcome.path, 0x013B), L"Eva");
        } else {
            EXPECT_EQ(outcome.reason, "došla paměť");
            EXPECT_EQ(text(outcome.path, 0x013B), std::nullopt);
        }
    }
    EXPECT_EQ(files_in_folder(), files.size());
}

TEST(FailureLine, NamesTheFileAndGivesTheReasonOnOneLine) {
    EXPECT_EQ(failure_line({L"C:\\fotky\\léto.jpg", false, "Přístup byl odepřen.\r\n"}),
              "C:\\fotky\\léto.jpg: Přístup byl odepřen.");
    EXPECT_EQ(failure_line({L"a.jpg", false, "první\ndruhá"}), "a.jpg: první druhá");
}

TEST(BatchSummary, CountsTheWrittenFilesListsTheFailedOnesAndSaysWhenTheRunWasStopped) {
    std::vector<file_outcome> outcomes = {{L"a.jpg", true, {}}, {L"b.jpg", false, "chyba"}};
    EXPECT_EQ(batch_summary({outcomes[0]}, 1), "");
    EXPECT_EQ(batch_summary(outcomes, 2),
              "Zapsáno 1 z 2 souborů. Tyto soubory zůstaly beze změny:\n\nb.jpg: chyba");
    EXPECT_NE(batch_summary(outcomes, 5).find("zbylých 3 souborů zůstalo beze změny"),
              std::string::npos);
    outcomes.assign(failures_listed + 3, {L"x.jpg", false, "chyba"});
    const auto many = batch_summary(outcomes, outcomes.size());
    EXPECT_EQ(std::count(many.begin(), many.end(), '\n'), 2 + failures_listed);
    EXPECT_NE(many.find("… a dalších 3."), std::string::npos);
}

} // namespace
} // namespace kestrov::tags
