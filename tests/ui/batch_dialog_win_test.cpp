// The batch writing dialog from the program's own template, run modally on the test thread while
// a second thread fills it, drops files on its list, presses its buttons and closes it.
#include "ui/dialogs/dlg_popisne_tagy.h"

#include "app/application_base_win.h"
#include "base/text_conversion.h"
#include "image/bitmap_plus.h"
#include "res/resource_ids.h"
#include "support/file_bytes.h"
#include "tags/tag_dump.h"
#include "win/dialog_driver.h"
#include "win/source_files.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <string>
#include <thread>
#include <vector>

namespace {

namespace fs = std::filesystem;
using kestrov::testing::corpus_file;
using kestrov::testing::make_drop;
using kestrov::testing::send_press;
using kestrov::testing::wait_for_dialog;
using kestrov::testing::wait_until;
using kestrov::testing::window_text_of;

// Every property of the file as the tag dump shows it, by id; the file must load.
std::map<std::uint32_t, std::string> properties_of(const fs::path& file) {
    kestrov::gdi::bitmap_plus bitmap(file.wstring());
    std::vector<std::uint32_t> ids;
    bitmap.bitmap()->property_ids(ids);
    std::map<std::uint32_t, std::string> properties;
    for (const auto id : ids) {
        const auto dump = kestrov::tags::read_dump(*bitmap.bitmap(), id);
        properties[id] = dump ? std::to_string(dump->type) + ":" + dump->hex : "?";
    }
    return properties;
}

// The author as the engine reads it back; "" when there is none.
std::string author_of(const fs::path& file) {
    auto properties = properties_of(file);
    return properties.count(315) ? properties[315] : std::string();
}

// The dump of an author text written by the dialog: type 2, UTF-8 and one zero byte.
std::string author_dump(const std::string& ascii_text) {
    std::string hex = "2:";
    static const char digits[] = "0123456789ABCDEF";
    for (const char c : ascii_text + '\0') {
        const auto byte = static_cast<unsigned char>(c);
        hex += digits[byte >> 4];
        hex += digits[byte & 15];
        hex += ' ';
    }
    hex.pop_back();
    return hex;
}

class BatchDialog : public ::testing::Test {
protected:
    void SetUp() override {
        folder = fs::temp_directory_path() /
                 (std::string("mirtel-batch-") +
                  ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(folder);
        fs::create_directories(folder);
    }
    void TearDown() override { fs::remove_all(folder); }

    // `count` copies of a sample photo, writable.
    std::vector<fs::path> copies(const std::string& sample, int count) {
        std::vector<fs::path> files;
        for (int i = 0; i < count; ++i) {
            files.push_back(folder / (L"foto-" + std::to_wstring(i) + L".jpg"));
            fs::copy_file(corpus_file(sample), files.back());
            SetFileAttributesW(files.back().c_str(), FILE_ATTRIBUTE_NORMAL);
        }
        return files;
    }

    // Runs the dialog modally on this thread while `script` drives it from another; answers
    // whether the worker had ended by the time the modal loop returned. What the loop raised is
    // given in `failure`, where the test expects one.
    bool run(const std::function<void(HWND dialog)>& script, std::string* failure = nullptr) {
        dlg_popisne_tagy dialog(application);
        std::thread driver([&script] {
            const HWND found = wait_for_dialog(IDC_BATCH_FILES);
            if (found == nullptr) {
                ADD_FAILURE() << "the batch dialog did not open";
                return;
            }
            script(found);
            // Whatever the script left open, the dialog closes.
            PostMessageW(found, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
        });
        try {
            kestrov::winapi::run_modal(dialog, IDD_BATCH, nullptr);
        } catch (const std::exception& raised) {
            if (failure == nullptr) {
                ADD_FAILURE() << "the dialog raised: " << raised.what();
            } else {
                *failure = raised.what();
            }
        }
        const bool ended = !dialog.writing();
        driver.join();
        return ended;
    }

    kestrov::application_base application;
    fs::path folder;
};

void set_field(HWND dialog, int field, const wchar_t* text) {
    SendMessageW(GetDlgItem(dialog, field), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text));
}

void drop(HWND dialog, const std::vector<fs::path>& files) {
    std::vector<std::wstring> paths;
    for (const auto& file : files) {
        paths.push_back(file.wstring());
    }
    SendMessageW(GetDlgItem(dialog, IDC_BATCH_FILES), WM_DROPFILES,
                 reinterpret_cast<WPARAM>(make_drop(paths)), 0);
}

int listed(HWND dialog) {
    return static_cast<int>(SendMessageW(GetDlgItem(dialog, IDC_BATCH_FILES), LB_GETCOUNT, 0, 0));
}

// Waits for the run to end: the list enabled again and the caption back to the product name.
bool run_ended(HWND dialog) {
    return wait_until(
        [dialog] {
            return IsWindowEnabled(GetDlgItem(dialog, IDC_BATCH_FILES)) &&
                   window_text_of(dialog) == L"Mirtel info";
        },
        60000);
}

// Presses OK in the next message box over `dialog` and answers the texts it shows, one a line.
std::wstring close_message_box(HWND dialog) {
    const HWND box = wait_for_dialog(IDOK, {dialog}, 60000);
    if (box == nullptr) {
        return {};
    }
    std::wstring texts;
    EnumChildWindows(
        box,
        [](HWND child, LPARAM all) {
            *reinterpret_cast<std::wstring*>(all) += window_text_of(child) + L"\n";
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&texts));
    PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    return texts;
}

// Only the author filled: every listed file gets it and keeps every other property; a file
// dropped twice is listed (and written) twice, folders and other files are not listed; with
// "Upravit pouze vybrané soubory" only the selected files are written, none when none is.
TEST_F(BatchDialog, WritesTheFilledFieldIntoTheListedOrSelectedFilesAndKeepsEverythingElse) {
    const auto files = copies("jpg/Canon_40D.jpg", 3);
    const auto nikon = folder / "nikon.jpg";
    fs::copy_file(corpus_file("jpg/gps/DSCN0010.jpg"), nikon);
    SetFileAttributesW(nikon.c_str(), FILE_ATTRIBUTE_NORMAL);
    const auto canon_before = properties_of(files[0]);
    const auto nikon_before = properties_of(nikon);
    std::ofstream(folder / L"poznámky.txt") << "text";
    fs::create_directory(folder / "album.jpg");

    std::wstring caption;
    std::vector<std::byte> untouched;
    ASSERT_TRUE(run([&](HWND dialog) {
        caption = window_text_of(dialog);
        drop(dialog, {files[0], folder / "album.jpg", files[1], folder / L"poznámky.txt", nikon,
                      files[2], nikon});
        EXPECT_EQ(listed(dialog), 5);
        set_field(dialog, IDC_BATCH_AUTHOR, L"Eva Nováková");
        send_press(dialog, IDC_BATCH_WRITE);
        EXPECT_TRUE(run_ended(dialog));

        // Only the selected ones: none selected writes nothing; then the second entry alone.
        untouched = kestrov::testing::file_bytes(files[0]);
        SendMessageW(GetDlgItem(dialog, IDC_BATCH_SELECTED_ONLY), BM_SETCHECK, BST_CHECKED, 0);
        set_field(dialog, IDC_BATCH_AUTHOR, L"Jan");
        send_press(dialog, IDC_BATCH_WRITE);
        EXPECT_TRUE(run_ended(dialog));
        SendMessageW(GetDlgItem(dialog, IDC_BATCH_FILES), LB_SETSEL, TRUE, 1);
        send_press(dialog, IDC_BATCH_WRITE);
        EXPECT_TRUE(run_ended(dialog));
    }));
    EXPECT_EQ(caption, L"Mirtel info");

    const auto eva = author_dump("Eva Nov\xC3\xA1kov\xC3\xA1");
    EXPECT_EQ(kestrov::testing::file_bytes(files[0]), untouched);
    EXPECT_EQ(author_of(files[1]), author_dump("Jan"));
    for (const auto& file : {files[0], files[2], nikon}) {
        EXPECT_EQ(author_of(file), eva) << file;
    }
    for (const auto& [file, before] : {std::pair{files[0], canon_before}, {nikon, nikon_before}}) {
        auto after = properties_of(file);
        after.erase(315);
        auto expected = before;
        expected.erase(315);
        EXPECT_EQ(after, expected) << file;
    }
    EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 6);
}

// A missing file and a file that is no image are named in one box with their reasons; the others
// are written all the same.
TEST_F(BatchDialog, FilesThatCannotBeWrittenAreReportedInOneBoxAndTheOthersAreWritten) {
    const auto files = copies("jpg/Canon_40D.jpg", 2);
    const auto fake = folder / "fake.jpg";
    std::ofstream(fake) << "not a photo";
    const auto gone = folder / "gone.jpg";
    fs::copy_file(files[0], gone);

    std::wstring summary;
    ASSERT_TRUE(run([&](HWND dialog) {
        drop(dialog, {files[0], gone, fake, files[1]});
        fs::remove(gone);
        set_field(dialog, IDC_BATCH_AUTHOR, L"Eva");
        send_press(dialog, IDC_BATCH_WRITE);
        summary = close_message_box(dialog);
        EXPECT_TRUE(run_ended(dialog));
    }));
    EXPECT_NE(summary.find(L"Zapsáno 2 z 4 souborů."), std::wstring::npos) << summary;
    EXPECT_NE(summary.find(gone.wstring() + L": "), std::wstring::npos) << summary;
    EXPECT_NE(summary.find(fake.wstring() + L": "), std::wstring::npos) << summary;
    for (const auto& file : files) {
        EXPECT_EQ(author_of(file), author_dump("Eva")) << file;
    }
}

// A second press during a run starts nothing (the changed field is not written); closing during
// a run waits for the files in progress: every file afterwards is either as the first run left
// it or fully written by the second, no temporary file stays, and the worker has ended before the
// dialog goes.
TEST_F(BatchDialog, ASecondPressDoesNothingAndClosingDuringARunLeavesEveryFileWhole) {
    const auto files = copies("jpg/Canon_40D.jpg", 200);
    std::size_t progress_seen = 0;
    const bool worker_ended_first = run([&](HWND dialog) {
        drop(dialog, files);
        set_field(dialog, IDC_BATCH_AUTHOR, L"A");
        send_press(dialog, IDC_BATCH_WRITE);
        set_field(dialog, IDC_BATCH_AUTHOR, L"B");
        send_press(dialog, IDC_BATCH_WRITE);
        EXPECT_TRUE(run_ended(dialog));

        set_field(dialog, IDC_BATCH_AUTHOR, L"C");
        send_press(dialog, IDC_BATCH_WRITE);
        wait_until([&] {
            const auto caption = window_text_of(dialog);
            progress_seen = caption.find(L" / 200") != std::wstring::npos ? caption.size() : 0;
            return progress_seen > 0 && caption != L"Mirtel info – 0 / 200";
        });
        PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
        wait_until([dialog] { return !IsWindow(dialog); }, 60000);
    });
    EXPECT_TRUE(worker_ended_first);
    EXPECT_GT(progress_seen, 0U);
    std::size_t second_run = 0;
    for (const auto& file : files) {
        const auto author = author_of(file);
        EXPECT_TRUE(author == author_dump("A") || author == author_dump("C")) << file;
        if (author == author_dump("C")) {
            ++second_run;
        }
    }
    ::testing::Test::RecordProperty("written_before_closing", static_cast<int>(second_run));
    EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 200);
}

std::size_t temporary_files_in(const fs::path& folder) {
    std::size_t found = 0;
    for (const auto& entry : fs::directory_iterator(folder)) {
        found += entry.path().filename().wstring().find(L"_temp_") != std::wstring::npos;
    }
    return found;
}

// The end of the Windows session during a run: the dialog stops the run between files and
// answers only once the files in progress are done, so no temporary file is left; the files not
// begun stay as they were.
TEST_F(BatchDialog, TheEndOfTheSessionStopsTheRunAndWaitsForTheFilesInProgress) {
    const auto files = copies("jpg/Canon_40D.jpg", 300);
    LRESULT may_end = 0;
    std::size_t temporary = 1;
    ASSERT_TRUE(run([&](HWND dialog) {
        drop(dialog, files);
        set_field(dialog, IDC_BATCH_AUTHOR, L"A");
        send_press(dialog, IDC_BATCH_WRITE);
        wait_until([dialog] {
            const auto caption = window_text_of(dialog);
            return caption.find(L" / 300") != std::wstring::npos &&
                   caption != L"Mirtel info – 0 / 300";
        });
        may_end = SendMessageW(dialog, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF);
        temporary = temporary_files_in(folder);
        SendMessageW(dialog, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF);
        temporary += temporary_files_in(folder);
        EXPECT_TRUE(run_ended(dialog));
    }));
    EXPECT_NE(may_end, 0);
    EXPECT_EQ(temporary, 0U);
    std::size_t written = 0;
    for (const auto& file : files) {
        const auto author = author_of(file);
        EXPECT_TRUE(author.empty() || author == author_dump("A")) << file;
        written += !author.empty();
    }
    EXPECT_GT(written, 0U);
    EXPECT_LT(written, files.size()) << "the run was not stopped";
}

// Procedures put on top of the dialog and its list: the caption and new entries are refused.
WNDPROC dialog_own_procedure = nullptr;
WNDPROC list_own_procedure = nullptr;

LRESULT CALLBACK refuse_caption(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_SETTEXT) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    return CallWindowProcW(dialog_own_procedure, window, message, wparam, lparam);
}

LRESULT CALLBACK refuse_entries(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == LB_ADDSTRING) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return LB_ERR;
    }
    return CallWindowProcW(list_own_procedure, window, message, wparam, lparam);
}

// Handlers that fail while a run goes on (the caption cannot show the progress, the list refuses
// a dropped file) do not cut the run short of its report: the run's files are written, the box
// names the file that could not be, and only then does the dialog end and the first failure go on.
TEST_F(BatchDialog, AFailureDuringARunEndsTheDialogOnlyAfterTheRunsReport) {
    const auto files = copies("jpg/Canon_40D.jpg", 3);
    const auto fake = folder / "fake.jpg";
    std::ofstream(fake) << "not a photo";

    std::wstring summary;
    bool ended_itself = false;
    std::string failure;
    EXPECT_TRUE(run(
        [&](HWND dialog) {
            drop(dialog, {fake, files[0], files[1]});
            set_field(dialog, IDC_BATCH_AUTHOR, L"Eva");
            const HWND list = GetDlgItem(dialog, IDC_BATCH_FILES);
            dialog_own_procedure = reinterpret_cast<WNDPROC>(SetWindowLongPtrW(
                dialog, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&refuse_caption)));
            list_own_procedure = reinterpret_cast<WNDPROC>(
                SetWindowLongPtrW(list, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&refuse_entries)));
            send_press(dialog, IDC_BATCH_WRITE);
            drop(dialog, {files[2]});
            summary = close_message_box(dialog);
            ended_itself = wait_until([dialog] { return !IsWindow(dialog); });
        },
        &failure));
    EXPECT_NE(summary.find(L"Zapsáno 2 z 3 souborů."), std::wstring::npos) << summary;
    EXPECT_NE(summary.find(fake.wstring() + L": "), std::wstring::npos) << summary;
    EXPECT_TRUE(ended_itself);
    EXPECT_FALSE(failure.empty());
    EXPECT_EQ(author_of(files[0]), author_dump("Eva"));
    EXPECT_EQ(author_of(files[1]), author_dump("Eva"));
    EXPECT_EQ(author_of(files[2]), "");
}

} // namespace
