// The console tool run as a user runs it, on the sample photos.
#include "base/text_conversion.h"
#include "image/bitmap_plus.h"
#include "image/property_readers.h"
#include "support/file_bytes.h"
#include "support/temporary_folder.h"
#include "tags/group_rows.h"

#include "mirtel_version.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace kestrov::cli {
namespace {

namespace fs = std::filesystem;

const fs::path corpus = fs::path(MIRTEL_SOURCE_DIR) / ".." / "shared" / "corpus";

struct run_result {
    int exit_code = -1;
    std::string output; // stdout
    std::string errors; // stderr
};

std::string quoted(const std::string& text) {
    std::string out = "'";
    for (const char c : text) {
        out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    }
    return out + "'";
}

run_result run(const std::vector<std::string>& arguments) {
    std::string command = quoted(MIRTEL_CLI_PATH);
    for (const auto& argument : arguments) {
        command += " " + quoted(argument);
    }
    const auto errors =
        fs::temp_directory_path() / ("mirtel-cli-stderr-" + std::to_string(::getpid()));
    command += " 2>" + quoted(errors.string());
    run_result result;
    FILE* pipe = ::popen(command.c_str(), "r");
    if (pipe == nullptr) {
        return result;
    }
    char buffer[4096];
    std::size_t count = 0;
    while ((count = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) {
        result.output.append(buffer, count);
    }
    const int status = ::pclose(pipe);
    result.exit_code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    result.errors = kestrov::testing::file_text(errors);
    std::error_code ignored;
    fs::remove(errors, ignored);
    return result;
}

std::string model_text(const fs::path& file, tags::tag_group group) {
    tags::tag_catalogue catalogue;
    catalogue.fill();
    gdi::bitmap_plus bitmap(file.wstring());
    tags::missing_tag_list missing;
    std::wstring text;
    for (const auto& row : tags::group_rows(group, bitmap.bitmap(), catalogue, missing)) {
        text += row.name + L"\t" + row.value + L"\n";
    }
    std::string utf8;
    to_multibyte(text, code_page_utf8, utf8);
    return utf8;
}

std::vector<fs::path> corpus_photos() {
    std::vector<fs::path> photos;
    for (const auto& entry : fs::recursive_directory_iterator(corpus)) {
        if (entry.is_regular_file() && entry.path().parent_path().filename() != "invalid" &&
            entry.path().extension() != ".md") {
            photos.push_back(entry.path());
        }
    }
    std::sort(photos.begin(), photos.end());
    return photos;
}

TEST(CliShow, PrintsExactlyWhatTheRowModelGivesForEveryPhotoAndGroup) {
    const auto photos = corpus_photos();
    ASSERT_GT(photos.size(), 30U);
    for (const auto& photo : photos) {
        for (const auto& [name, group] :
             {std::pair{"popisne", tags::group_descriptive}, std::pair{"gps", tags::group_gps},
              std::pair{"foto", tags::group_photo}, std::pair{"vse", tags::group_all}}) {
            const auto result = run({"show", "--group", name, photo.string()});
            EXPECT_EQ(result.exit_code, 0) << photo;
            EXPECT_EQ(result.output, model_text(photo, group)) << photo << " " << name;
        }
    }
}

class CliWriteTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (const auto* name : {"Canon_40D.jpg", "Nikon_D70.jpg", "gps/DSCN0010.jpg"}) {
            const auto target = folder_.path() / fs::path(name).filename();
            fs::copy_file(corpus / "jpg" / name, target);
            fs::permissions(target, fs::perms::owner_write, fs::perm_options::add);
            copies_.push_back(target.string());
        }
    }
    kestrov::testing::temporary_folder folder_;
    std::vector<std::string> copies_;
};

TEST_F(CliWriteTest, SetThenShowShowsTheNewTexts) {
    std::vector<std::string> arguments = {
        "set", "--title", "Výlet na Sněžku", "--author", "Eva Nováková", "-j", "2"};
    arguments.insert(arguments.end(), copies_.begin(), copies_.end());
    const auto set = run(arguments);
    EXPECT_EQ(set.exit_code, 0);
    EXPECT_EQ(set.output, "Zapsáno 3 z 3 souborů.\n");
    for (const auto& copy : copies_) {
        const auto shown = run({"show", copy});
        EXPECT_NE(shown.output.find("Název\tVýlet na Sněžku\n"), std::string::npos) << copy;
        EXPECT_NE(shown.output.find("Autor\tEva Nováková\n"), std::string::npos) << copy;
    }
}

TEST_F(CliWriteTest, FilesThatCannotBeReadOrWrittenAreReportedAndTheOthersWritten) {
    fs::permissions(copies_[1],
                    fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
    const auto not_a_photo = folder_.path() / "notes.jpg";
    std::FILE* file = std::fopen(not_a_photo.string().c_str(), "w");
    std::fputs("not a photo", file);
    std::fclose(file);
    const auto set = run({"set", "--author", "Eva", copies_[0], copies_[1], not_a_photo.string(),
                          (folder_.path() / "missing.jpg").string(), copies_[2]});
    EXPECT_EQ(set.exit_code, 1);
    EXPECT_EQ(set.output, "Zapsáno 2 z 5 souborů.\n");
    EXPECT_NE(run({"show", copies_[0]}).output.find("Autor\tEva\n"), std::string::npos);
    EXPECT_EQ(run({"show", copies_[1]}).output.find("Autor\tEva\n"), std::string::npos);
    EXPECT_NE(run({"show", copies_[2]}).output.find("Autor\tEva\n"), std::string::npos);
}

// Interrupted by Ctrl+C, `set` finishes the files it is writing and stops: no temporary file is
// left, and every file is either written or as it was. Killed outright, it leaves at most the
// one file it was putting in place.
TEST(CliSetInterrupted, StopsCleanlyAndLeavesNoTemporaryFiles) {
    for (const int signal_number : {SIGINT, SIGKILL}) {
        kestrov::testing::temporary_folder folder;
        std::vector<std::string> arguments = {MIRTEL_CLI_PATH, "set", "--author", "Eva", "-j", "2"};
        constexpr int file_count = 1500;
        for (int i = 0; i < file_count; ++i) {
            const auto copy = folder.path() / (std::to_string(i) + ".jpg");
            fs::copy_file(corpus / "jpg" / "Canon_40D.jpg", copy);
            fs::permissions(copy, fs::perms::owner_write, fs::perm_options::add);
            arguments.push_back(copy.string());
        }
        const auto first = folder.path() / "0.jpg";
        struct stat before {};
        ASSERT_EQ(::stat(first.c_str(), &before), 0);
        const auto errors = folder.path() / "stderr.txt";
        const pid_t child = ::fork();
        if (child == 0) {
            std::vector<char*> argv;
            for (auto& argument : arguments) {
                argv.push_back(argument.data());
            }
            argv.push_back(nullptr);
            // Descriptors, not streams: the test's unflushed output must not be written twice.
            ::dup2(::open("/dev/null", O_WRONLY), 1);
            ::dup2(::open(errors.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600), 2);
            ::execv(argv[0], argv.data());
            ::_exit(127);
        }
        ASSERT_GT(child, 0);
        // Once the first file is replaced, the run is well under way.
        for (int wait = 0; wait < 20000; ++wait) {
            struct stat now {};
            if (::stat(first.c_str(), &now) == 0 && now.st_ino != before.st_ino) {
                break;
            }
            ::usleep(500);
        }
        ::kill(child, signal_number);
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);

        std::size_t temporary = 0;
        std::size_t written = 0;
        for (int i = 0; i < file_count; ++i) {
            const auto file = folder.path() / (std::to_string(i) + ".jpg");
            gdi::bitmap_plus bitmap(file.wstring());
            std::wstring author;
            written += gdi::get_text_property(bitmap.bitmap(), 0x013B, author) && author == L"Eva";
        }
        for (const auto& entry : fs::directory_iterator(folder.path())) {
            temporary += entry.path().filename().string().find("_temp_") != std::string::npos;
        }
        if (signal_number == SIGINT) {
            ASSERT_TRUE(WIFEXITED(status));
            EXPECT_EQ(WEXITSTATUS(status), 1);
            const std::string said = kestrov::testing::file_text(errors);
            EXPECT_NE(said.find("Zápis byl přerušen; zbylých " +
                                std::to_string(file_count - written) + " souborů"),
                      std::string::npos)
                << said;
            EXPECT_EQ(temporary, 0U);
        } else {
            EXPECT_LE(temporary, 1U);
        }
        EXPECT_GT(written, 0U);
        EXPECT_LT(written, static_cast<std::size_t>(file_count));
    }
}

TEST_F(CliWriteTest, DumpShowsLengthTypeAndBytesAndRemoveTakesItemsAway) {
    const auto dump = run({"dump", copies_[0], "271"});
    EXPECT_EQ(dump.exit_code, 0);
    EXPECT_EQ(dump.output, "Počet bytů dat: 6\nTyp: 2\n43 61 6E 6F 6E 00\n");
    EXPECT_EQ(run({"dump", copies_[0], "0x011A"}).output,
              "Počet bytů dat: 8\nTyp: 5\n48 00 00 00 01 00 00 00\n");
    EXPECT_EQ(run({"dump", copies_[0], "0"}).exit_code, 1);

    EXPECT_EQ(run({"remove", copies_[0], "0x011A", "271"}).exit_code, 0);
    const auto gone = run({"dump", copies_[0], "271"});
    EXPECT_EQ(gone.exit_code, 1);
    EXPECT_TRUE(gone.output.empty());
    EXPECT_EQ(run({"remove", copies_[0], "271"}).exit_code, 1);
}

TEST(CliShow, ADamagedFileIsShownAsFarAsReadableWithAWarningOnStderr) {
    // A photo cut off after its Exif segment, in the middle of the next segment's header.
    std::string bytes = kestrov::testing::file_text(corpus / "jpg" / "Canon_40D.jpg");
    std::size_t end = 2;
    for (bool exif = false; !exif && end + 4 <= bytes.size();) {
        exif = static_cast<unsigned char>(bytes[end + 1]) == 0xE1;
        end += 2 + static_cast<unsigned char>(bytes[end + 2]) * 256U +
               static_cast<unsigned char>(bytes[end + 3]);
    }
    ASSERT_LT(end + 2, bytes.size());
    kestrov::testing::temporary_folder folder;
    const auto damaged = folder.path() / "cut.jpg";
    std::ofstream(damaged, std::ios::binary)
        .write(bytes.data(), static_cast<std::streamsize>(end + 2));

    const auto path = damaged.string();
    const std::string warning = "Varování: ";
    for (const auto& [command, shown] :
         {std::pair{std::vector<std::string>{"show", "--group", "vse", path}, "Canon"},
          std::pair{std::vector<std::string>{"dump", path, "271"}, "43 61 6E 6F 6E 00"}}) {
        const auto result = run(command);
        EXPECT_EQ(result.exit_code, 0) << command[0];
        EXPECT_NE(result.output.find(shown), std::string::npos) << command[0];
        ASSERT_FALSE(result.errors.empty()) << command[0];
        EXPECT_EQ(result.errors.back(), '\n');
        for (std::size_t line = 0; line < result.errors.size();
             line = result.errors.find('\n', line) + 1) {
            EXPECT_EQ(result.errors.compare(line, warning.size(), warning), 0) << result.errors;
        }
    }
    // A sound file gives no warnings.
    EXPECT_TRUE(run({"show", (corpus / "jpg" / "Canon_40D.jpg").string()}).errors.empty());
}

TEST(CliArguments, WrongCommandLinesExitWithTwo) {
    EXPECT_EQ(run({}).exit_code, 2);
    EXPECT_EQ(run({"bogus"}).exit_code, 2);
    EXPECT_EQ(run({"show"}).exit_code, 2);
    EXPECT_EQ(run({"show", "--group", "vsechny", "a.jpg"}).exit_code, 2);
    EXPECT_EQ(run({"dump", "a.jpg", "abc"}).exit_code, 2);
    EXPECT_EQ(run({"set", "-j", "0", "a.jpg"}).exit_code, 2);
    EXPECT_EQ(run({"--help"}).exit_code, 0);
    EXPECT_EQ(run({"--version"}).output, "mirtel-cli " MIRTEL_VERSION_TEXT "\n");
}

} // namespace
} // namespace kestrov::cli
