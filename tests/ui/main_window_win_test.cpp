// The real main window, made from the program's own resources in a scratch registry key and
// driven by messages the way a person's clicks and keys arrive.
#include "ui/main/aplikace.h"
#include "ui/main/main_messages.h"
#include "ui/main/okno_hlavni.h"
#include "ui/main/program_objects.h"

#include "app/settings.h"
#include "app/settings_store_win.h"
#include "base/kestrov_exception.h"
#include "base/text_conversion.h"
#include "image/bitmap_plus.h"
#include "image/property_readers.h"
#include "res/resource_ids.h"
#include "support/file_bytes.h"
#include "tags/group_rows.h"
#include "tags/tag_groups.h"
#include "ui/toolkit/failure_boundary.h"
#include "win/dialog_driver.h"
#include "win/message_box_closer.h"
#include "win/registry_sandbox.h"
#include "win/source_files.h"

#include <commctrl.h>
#include <objbase.h>
#include <shlobj.h>
#include <shlwapi.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace {

using kestrov::testing::dialog_driver;
using kestrov::testing::dialog_step;
using kestrov::testing::registry_sandbox;

using kestrov::testing::corpus_file;
using kestrov::testing::source_file;

std::wstring item_text(HWND list, int row, int column) {
    std::vector<wchar_t> buffer(1024);
    LVITEMW item{};
    item.iSubItem = column;
    item.pszText = buffer.data();
    item.cchTextMax = static_cast<int>(buffer.size());
    SendMessageW(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
    return buffer.data();
}

kestrov::tags::row_list rows_shown(HWND list) {
    kestrov::tags::row_list rows;
    const auto count = static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
    for (int row = 0; row < count; ++row) {
        LVITEMW item{};
        item.mask = LVIF_PARAM;
        item.iItem = row;
        SendMessageW(list, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item));
        rows.push_back({item_text(list, row, 0), item_text(list, row, 1),
                        static_cast<kestrov::tags::tag_id>(item.lParam)});
    }
    return rows;
}

std::wstring window_text(HWND window) {
    std::vector<wchar_t> buffer(512);
    GetWindowTextW(window, buffer.data(), static_cast<int>(buffer.size()));
    return buffer.data();
}

bool menu_enabled(UINT id) {
    return (GetMenuState(main_window->menu(), id, MF_BYCOMMAND) & (MF_GRAYED | MF_DISABLED)) == 0;
}

class MainWindow : public ::testing::Test {
protected:
    void SetUp() override {
        app = std::make_unique<aplikace>();
        app->start();
        pump();
        window = main_window->handle;
    }

    void TearDown() override {
        if (IsWindow(window)) {
            SendMessageW(window, WM_CLOSE, 0, 0);
        }
        pump();
        app->tear_down();
        app.reset();
        // The common file dialog initialises COM once more on the thread under Wine and leaves it
        // so; the next test's start must find the thread as a new program would.
        for (int extra = 0; extra < 4 && CoInitialize(nullptr) == S_FALSE; ++extra) {
            CoUninitialize();
            CoUninitialize();
        }
        CoUninitialize();
    }

    // Handles what is queued, as the program's loop does, accelerators included.
    void pump() {
        MSG message{};
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QUIT) {
                quit_code = static_cast<int>(message.wParam);
                continue;
            }
            if (TranslateAcceleratorW(main_window ? main_window->handle : nullptr,
                                      app->accelerators, &message) == 0) {
                TranslateMessage(&message);
                DispatchMessageW(&message);
            }
            ASSERT_FALSE(kestrov::winapi::failure_kept()) << "a handler raised";
        }
    }

    void select_group(int index) {
        const HWND combo = main_window->group_combo()->handle;
        SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
        SendMessageW(window, WM_COMMAND, MAKEWPARAM(1010, CBN_SELCHANGE),
                     reinterpret_cast<LPARAM>(combo));
        pump();
    }

    registry_sandbox sandbox;
    HWND window = nullptr;
    int quit_code = -1;
};

// Opening photos shows, for every group, exactly the rows the console tool prints; the title
// names the file; the commands follow the open image and the tracked row.
TEST_F(MainWindow, OpenedPhotosShowTheRowsOfEveryGroupAndTheCommandsFollow) {
    EXPECT_EQ(window_text(window), L"Mirtel info");
    EXPECT_FALSE(menu_enabled(IDM_CLOSE));
    EXPECT_FALSE(menu_enabled(IDM_SAVE));
    for (const std::string file :
         {"jpg/gps/DSCN0010.jpg", "jpg/Canon_40D.jpg", "tiff/Picoawards.tiff"}) {
        const std::wstring path = corpus_file(file);
        main_window->open_file(path);
        pump();
        ASSERT_NE(main_window->image(), nullptr) << file;
        EXPECT_EQ(window_text(window),
                  std::wstring(PathFindFileNameW(path.c_str())) + L" - Mirtel info");
        EXPECT_EQ(app->current_file, path);
        EXPECT_TRUE(menu_enabled(IDM_CLOSE));
        EXPECT_TRUE(menu_enabled(IDM_TAG_DUMP));
        EXPECT_FALSE(menu_enabled(IDM_EDIT));
        kestrov::gdi::bitmap_plus reference(path);
        for (int index = 0; index < 4; ++index) {
            select_group(index);
            kestrov::tags::missing_tag_list missing;
            const auto expected = kestrov::tags::group_rows(
                kestrov::tags::group_entries[static_cast<std::size_t>(index)].value,
                reference.bitmap(), *tag_catalogue, missing);
            EXPECT_EQ(rows_shown(main_window->property_list()->handle), expected)
                << file << " group " << index;
            EXPECT_EQ(main_window->property_list()->tracked_row, -1);
        }
    }
    // A tracked row enables editing and removing.
    const HWND list = main_window->property_list()->handle;
    ASSERT_GT(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0), 0);
    LVITEMW state{};
    state.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    state.state = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageW(list, LVM_SETITEMSTATE, 0, reinterpret_cast<LPARAM>(&state));
    pump();
    EXPECT_TRUE(menu_enabled(IDM_EDIT));
    EXPECT_TRUE(menu_enabled(IDM_REMOVE));

    // A file that cannot be loaded: the error is shown, and the window shows no file at all.
    {
        const auto broken = std::filesystem::temp_directory_path() / L"mirtel-broken.jpg";
        std::ofstream(broken, std::ios::binary) << "not a photo";
        kestrov::testing::message_box_closer closer(L"Mirtel info", IDOK);
        main_window->open_file(broken.wstring());
        EXPECT_TRUE(closer.result().found);
        pump();
        std::filesystem::remove(broken);
        EXPECT_EQ(main_window->image(), nullptr);
        EXPECT_EQ(window_text(window), L"Mirtel info");
        EXPECT_EQ(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0), 0);
        main_window->open_file(corpus_file("tiff/Picoawards.tiff"));
    }

    // Closing the file empties the list and greys what needs an image.
    SendMessageW(window, WM_COMMAND, IDM_CLOSE, 0);
    pump();
    EXPECT_EQ(window_text(window), L"Mirtel info");
    EXPECT_EQ(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0), 0);
    EXPECT_FALSE(menu_enabled(IDM_CLOSE));
    EXPECT_FALSE(menu_enabled(IDM_EDIT));
    EXPECT_TRUE(app->current_file.empty());
}

// Help texts in the status bar and the toolbar's tooltips; drops; accelerators while the list has
// the focus; and what closing stores.
TEST_F(MainWindow, HelpDropsAcceleratorsAndClosing) {
    const HWND status = main_window->status()->handle;
    const auto status_text = [status] {
        std::vector<wchar_t> buffer(256);
        SendMessageW(status, SB_GETTEXTW, 0, reinterpret_cast<LPARAM>(buffer.data()));
        return std::wstring(buffer.data());
    };
    SendMessageW(window, WM_MENUSELECT, MAKEWPARAM(IDM_QUIT, 0), 0);
    EXPECT_EQ(status_text(), L"Ukončit aplikaci.");
    SendMessageW(window, WM_MENUSELECT, MAKEWPARAM(0, MF_POPUP), 0);
    EXPECT_EQ(status_text(), L"Mirtel info");

    NMTTDISPINFOW tip{};
    tip.hdr.code = TTN_GETDISPINFOW;
    tip.hdr.idFrom = IDM_QUIT;
    tip.hdr.hwndFrom = window;
    SendMessageW(window, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&tip));
    ASSERT_NE(tip.lpszText, nullptr);
    EXPECT_EQ(std::wstring(tip.lpszText), L"Ukončit aplikaci");

    // A real drop: three photos open the first; a text file first opens nothing.
    const auto drop = [this](const std::vector<std::wstring>& paths) {
        SendMessageW(window, WM_DROPFILES,
                     reinterpret_cast<WPARAM>(kestrov::testing::make_drop(paths)), 0);
        pump();
    };
    drop({corpus_file("README.md"), corpus_file("jpg/Canon_40D.jpg")});
    EXPECT_EQ(main_window->image(), nullptr);
    drop({corpus_file("jpg/gps/DSCN0010.jpg"), corpus_file("jpg/Canon_40D.jpg"),
          corpus_file("tiff/Picoawards.tiff")});
    ASSERT_NE(main_window->image(), nullptr);
    EXPECT_EQ(window_text(window), L"DSCN0010.jpg - Mirtel info");

    // Ctrl+Delete and Ctrl+O translate while the list has the focus.
    SetFocus(main_window->property_list()->handle);
    MSG key{};
    key.hwnd = main_window->property_list()->handle;
    key.message = WM_KEYDOWN;
    key.wParam = VK_DELETE;
    const auto translated = [&](WPARAM virtual_key) {
        key.wParam = virtual_key;
        return TranslateAcceleratorW(window, app->accelerators, &key) != 0;
    };
    // TranslateAcceleratorW reads the Ctrl key's state from the thread's key state.
    BYTE keys[256]{};
    GetKeyboardState(keys);
    keys[VK_CONTROL] = 0x80;
    SetKeyboardState(keys);
    EXPECT_TRUE(translated(VK_DELETE)); // no row tracked: nothing to remove
    {
        // Ctrl+O opens the file dialog (which has no owner); cancelling it changes nothing.
        kestrov::testing::message_box_closer closer(L"Open", IDCANCEL);
        EXPECT_TRUE(translated('O'));
        EXPECT_TRUE(closer.result().found);
        EXPECT_EQ(window_text(window), L"DSCN0010.jpg - Mirtel info");
    }
    keys[VK_CONTROL] = 0;
    SetKeyboardState(keys);
    EXPECT_FALSE(translated(VK_DELETE));
    pump();

    // Closing stores the group and the placement.
    select_group(2);
    SendMessageW(window, WM_CLOSE, 0, 0);
    pump();
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(quit_code, 0);
    kestrov::settings_record stored;
    stored.cb_skupina = 0;
    kestrov::load_settings(stored);
    EXPECT_EQ(stored.cb_skupina, kestrov::tags::group_photo);
    EXPECT_TRUE(kestrov::load_window_rect().has_value());
}

// The file dialog has no owner, so the window stays usable while it is open: a second Ctrl+O
// opens no second dialog, and a file chosen after the window's teardown is not opened into it.
TEST_F(MainWindow, TheOwnerlessFileDialogOpensOnceAndNothingAfterTheTeardown) {
    const HWND main = window;
    std::size_t dialogs_seen = 0;
    std::thread chooser([main, &dialogs_seen] {
        const auto open_dialogs = [] {
            std::vector<HWND> found;
            EnumWindows(
                [](HWND candidate, LPARAM list) {
                    DWORD process = 0;
                    GetWindowThreadProcessId(candidate, &process);
                    if (process == GetCurrentProcessId() && IsWindowVisible(candidate) &&
                        window_text(candidate) == L"Open") {
                        reinterpret_cast<std::vector<HWND>*>(list)->push_back(candidate);
                    }
                    return TRUE;
                },
                reinterpret_cast<LPARAM>(&found));
            return found;
        };
        std::vector<HWND> dialogs;
        for (int wait = 0; wait < 400 && dialogs.empty(); ++wait) {
            std::this_thread::sleep_for(std::chrono::milliseconds(25));
            dialogs = open_dialogs();
        }
        if (dialogs.empty()) {
            return;
        }
        PostMessageW(main, WM_COMMAND, IDM_OPEN, 0);
        PostMessageW(main, WM_ENDSESSION, TRUE, 0);
        std::this_thread::sleep_for(std::chrono::milliseconds(700));
        dialogs_seen = open_dialogs().size();
        // A file typed into the dialog's name field, then OK.
        const HWND dialog = open_dialogs().front();
        HWND edit = nullptr;
        EnumChildWindows(
            dialog,
            [](HWND child, LPARAM found) {
                wchar_t name[32] = {};
                GetClassNameW(child, name, 32);
                if (std::wstring(name) == L"Edit" && IsWindowVisible(child)) {
                    *reinterpret_cast<HWND*>(found) = child;
                    return FALSE;
                }
                return TRUE;
            },
            reinterpret_cast<LPARAM>(&edit));
        if (edit != nullptr) {
            const std::wstring path = corpus_file("jpg/Canon_40D.jpg");
            SendMessageW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()));
        }
        PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    });
    SendMessageW(window, WM_COMMAND, IDM_OPEN, 0);
    chooser.join();
    pump();
    EXPECT_EQ(dialogs_seen, 1U);
    EXPECT_EQ(main_window->property_list(), nullptr);
    EXPECT_EQ(main_window->image(), nullptr);
}

// Types `text` into the text input dialog and presses OK.
dialog_step type_text(std::wstring text) {
    return {1003, [text](HWND dialog) {
                SendMessageW(GetDlgItem(dialog, 1003), WM_SETTEXT, 0,
                             reinterpret_cast<LPARAM>(text.c_str()));
                PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
            }};
}

// Presses OK in the error box (a dialog with an OK button, not handled before).
dialog_step press_ok_in_error_box() {
    return {IDOK, [](HWND box) { PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0); }};
}

// Reads what the file on disk holds now.
std::wstring text_in_file(const std::wstring& path, std::uint32_t tag) {
    kestrov::gdi::bitmap_plus saved(path);
    std::wstring text;
    kestrov::gdi::get_text_property(saved.bitmap(), tag, text);
    return text;
}

// Editing, adding and removing, saved at once or left for Ctrl+S; and the refusals that must
// not end the program: a read-only file, a GIF that holds no tags.
TEST_F(MainWindow, EditingAddingAndRemovingSaveSafelyAndFailuresLetTheProgramGoOn) {
    const auto folder = std::filesystem::temp_directory_path() / L"mirtel-editing";
    const auto clean = [&folder] {
        std::error_code ignored;
        for (const auto& entry : std::filesystem::directory_iterator(folder, ignored)) {
            SetFileAttributesW(entry.path().c_str(), FILE_ATTRIBUTE_NORMAL);
        }
        std::filesystem::remove_all(folder, ignored);
    };
    clean();
    std::filesystem::create_directories(folder);
    const auto photo = folder / L"canon.jpg";
    std::filesystem::copy_file(corpus_file("jpg/Canon_40D.jpg"), photo);
    SetFileAttributesW(photo.c_str(), FILE_ATTRIBUTE_NORMAL); // the samples are read-only
    main_window->open_file(photo.wstring());
    pump();
    const HWND list = main_window->property_list()->handle;
    const auto track = [&](std::uint32_t tag) {
        LVFINDINFOW find{};
        find.flags = LVFI_PARAM;
        find.lParam = static_cast<LPARAM>(tag);
        const auto row = SendMessageW(list, LVM_FINDITEMW, static_cast<WPARAM>(-1),
                                      reinterpret_cast<LPARAM>(&find));
        LVITEMW state{};
        state.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
        state.state = LVIS_SELECTED | LVIS_FOCUSED;
        SendMessageW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(row),
                     reinterpret_cast<LPARAM>(&state));
        pump();
        return row;
    };

    // Saved at once: a double click on "Výrobce" edits it.
    ASSERT_GE(track(0x010F), 0);
    {
        dialog_driver driver({type_text(L"Žluťoučký kůň")});
        // What the list posts on a double click (its own test checks that it does).
        PostMessageW(window, WM_APP_EDIT_REQUEST, 1001, reinterpret_cast<LPARAM>(list));
        pump();
        EXPECT_EQ(driver.finish(), 1U);
    }
    EXPECT_EQ(text_in_file(photo.wstring(), 0x010F), L"Žluťoučký kůň");
    EXPECT_FALSE(main_window->modified);
    EXPECT_EQ(main_window->property_list()->tracked_row, -1);
    EXPECT_FALSE(menu_enabled(IDM_EDIT));

    // Left for Ctrl+S: the file keeps its text until the save.
    kestrov::set_saves_at_once(*settings, false);
    track(0x010F);
    {
        dialog_driver driver({type_text(L"Canon")});
        SendMessageW(window, WM_COMMAND, IDM_EDIT, 0);
        pump();
    }
    EXPECT_TRUE(main_window->modified);
    EXPECT_TRUE(menu_enabled(IDM_SAVE));
    EXPECT_EQ(text_in_file(photo.wstring(), 0x010F), L"Žluťoučký kůň");
    SendMessageW(window, WM_COMMAND, IDM_SAVE, 0);
    pump();
    EXPECT_FALSE(main_window->modified);
    EXPECT_EQ(text_in_file(photo.wstring(), 0x010F), L"Canon");
    kestrov::set_saves_at_once(*settings, true);

    // The add dialog offers what the photo lacks, whatever group is shown.
    select_group(1);
    kestrov::tags::missing_tag_list missing;
    kestrov::tags::descriptive_rows(main_window->image()->bitmap(), *tag_catalogue, missing);
    ASSERT_FALSE(missing.empty());
    std::vector<std::wstring> offered;
    {
        dialog_driver driver({{1015,
                               [&offered](HWND dialog) {
                                   const HWND combo = GetDlgItem(dialog, 1015);
                                   const auto count = SendMessageW(combo, CB_GETCOUNT, 0, 0);
                                   for (LRESULT i = 0; i < count; ++i) {
                                       std::vector<wchar_t> text(256);
                                       SendMessageW(combo, CB_GETLBTEXT, static_cast<WPARAM>(i),
                                                    reinterpret_cast<LPARAM>(text.data()));
                                       offered.emplace_back(text.data());
                                   }
                                   PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                                                0);
                               }},
                              type_text(L"Nový text")});
        SendMessageW(window, WM_COMMAND, IDM_ADD, 0);
        pump();
        EXPECT_EQ(driver.finish(), 2U);
    }
    ASSERT_EQ(offered.size(), missing.size());
    for (std::size_t i = 0; i < missing.size(); ++i) {
        EXPECT_EQ(offered[i], tag_catalogue->name_of(missing[i]));
    }
    EXPECT_EQ(text_in_file(photo.wstring(), static_cast<std::uint32_t>(missing[0])), L"Nový text");

    // Removing "Rozlišení" takes XResolution only.
    select_group(2);
    ASSERT_GE(track(0x011A), 0);
    SendMessageW(window, WM_COMMAND, IDM_REMOVE, 0);
    pump();
    {
        kestrov::gdi::bitmap_plus saved(photo.wstring());
        std::uint32_t size = 0;
        EXPECT_NE(saved.bitmap()->property_item_size(0x011A, size), kestrov::imaging::status::ok);
        EXPECT_EQ(saved.bitmap()->property_item_size(0x011B, size), kestrov::imaging::status::ok);
    }

    // A read-only file: the box says why, the change stays in memory, the file is untouched.
    select_group(0);
    SetFileAttributesW(photo.c_str(), FILE_ATTRIBUTE_READONLY);
    const auto before = kestrov::testing::file_bytes(photo);
    track(0x010F);
    {
        dialog_driver driver({type_text(L"Nikon"), press_ok_in_error_box()});
        SendMessageW(window, WM_COMMAND, IDM_EDIT, 0);
        pump();
        EXPECT_EQ(driver.finish(), 2U) << "no error box";
    }
    EXPECT_TRUE(main_window->modified);
    EXPECT_TRUE(IsWindow(window));
    EXPECT_EQ(kestrov::testing::file_bytes(photo), before);
    SetFileAttributesW(photo.c_str(), FILE_ATTRIBUTE_NORMAL);

    // A GIF holds no tags: adding one is refused, and the file stays as it was.
    const auto gif = folder / L"tiny.gif";
    std::filesystem::copy_file(source_file("fuzz/seeds/tiny.gif"), gif);
    SetFileAttributesW(gif.c_str(), FILE_ATTRIBUTE_NORMAL);
    const auto gif_before = kestrov::testing::file_bytes(gif);
    main_window->open_file(gif.wstring());
    pump();
    ASSERT_NE(main_window->image(), nullptr);
    {
        dialog_driver driver({{1015,
                               [](HWND dialog) {
                                   PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                                                0);
                               }},
                              type_text(L"Autor"),
                              press_ok_in_error_box()});
        SendMessageW(window, WM_COMMAND, IDM_ADD, 0);
        pump();
        EXPECT_EQ(driver.finish(), 3U) << "no error box";
    }
    EXPECT_TRUE(IsWindow(window));
    EXPECT_EQ(kestrov::testing::file_bytes(gif), gif_before);
    main_window->close_file();
    clean();
}

// A shutdown that another program cancelled changes nothing; after the closing teardown of
// WM_ENDSESSION no command may reach a child that is gone.
TEST_F(MainWindow, CommandsAfterTheEndOfSessionTouchNothing) {
    main_window->open_file(corpus_file("jpg/Canon_40D.jpg"));
    SendMessageW(window, WM_ENDSESSION, FALSE, 0);
    pump();
    ASSERT_NE(main_window->property_list(), nullptr);
    EXPECT_GT(SendMessageW(main_window->property_list()->handle, LVM_GETITEMCOUNT, 0, 0), 0);
    SendMessageW(window, WM_ENDSESSION, TRUE, 0);
    pump();
    for (const int command : {IDM_CLOSE, IDM_SAVE, IDM_OPEN}) {
        SendMessageW(window, WM_COMMAND, static_cast<WPARAM>(command), 0);
        pump();
    }
    main_window->open_file(corpus_file("jpg/gps/DSCN0010.jpg"));
    SendMessageW(window, WM_SIZE, SIZE_RESTORED, MAKELPARAM(300, 200));
    pump();
    EXPECT_EQ(main_window->property_list(), nullptr);
}

// The program whose message boxes cannot be shown: each one it asks for is recorded and fails.
class aplikace_without_boxes : public aplikace {
public:
    void show_message_ansi(const char* text, std::uint32_t, std::uint32_t) override {
        asked.emplace_back(text);
        throw kestrov::kestrov_exception("Okno se zprávou nelze ukázat");
    }
    std::vector<std::string> asked;
};

// The whole program through its run: a failure in the main window's handler while the batch
// dialog runs ends the dialog and travels out of the message loop, past the batch command's own
// catch (which is for the dialog's failures), and the program ends with exit code 1, even though
// the box that should tell of it cannot be shown either.
TEST(Program, AFailureWhileADialogRunsEndsTheDialogAndTheRunWithOneEvenWhenItsBoxFails) {
    registry_sandbox sandbox;
    auto program = std::make_unique<aplikace_without_boxes>();
    auto* failing = program.get();
    app = std::move(program);
    bool dialog_ended_itself = false;
    std::thread person([&dialog_ended_itself] {
        HWND main = nullptr;
        kestrov::testing::wait_until(
            [&main] { return (main = FindWindowW(L"mirtel", nullptr)) != nullptr; });
        PostMessageW(main, WM_COMMAND, IDM_BATCH, 0);
        const HWND dialog = kestrov::testing::wait_for_dialog(IDC_BATCH_FILES);
        if (dialog == nullptr) {
            ADD_FAILURE() << "the batch dialog did not open";
            PostMessageW(main, WM_CLOSE, 0, 0);
            return;
        }
        // The menu loses an item the window's command states expect, and the window is told the
        // list's selection changed.
        DeleteMenu(GetMenu(main), IDM_SAVE, MF_BYCOMMAND);
        PostMessageW(main, WM_APP_SELECTION_CHANGED, 0, 0);
        dialog_ended_itself =
            kestrov::testing::wait_until([dialog] { return !IsWindow(dialog); }, 5000);
        if (!dialog_ended_itself) {
            PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
        }
    });
    int exit_code = -1;
    EXPECT_NO_THROW(exit_code = app->run());
    person.join();
    EXPECT_EQ(exit_code, 1);
    EXPECT_TRUE(dialog_ended_itself);
    EXPECT_EQ(failing->asked.size(), 1U);
    EXPECT_FALSE(kestrov::winapi::failure_kept());

    app->tear_down();
    app.reset();
    // Nothing of this run may reach the next test's loops, its WM_QUIT least of all.
    MSG left{};
    while (PeekMessageW(&left, nullptr, 0, 0, PM_REMOVE)) {
    }
    for (int extra = 0; extra < 4 && CoInitialize(nullptr) == S_FALSE; ++extra) {
        CoUninitialize();
        CoUninitialize();
    }
    CoUninitialize();
}

} // namespace
