#include "ui/main/image_file_checks.h"
#include "ui/main/listbox_soubory.h"
#include "ui/main/listview_seznam.h"
#include "ui/main/main_messages.h"

#include "support/temporary_folder.h"
#include "ui/test_window.h"
#include "win/dialog_driver.h"
#include "win/source_files.h"

#include <gtest/gtest.h>

#include <commctrl.h>
#include <shellapi.h>
#include <shlobj.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using kestrov::testing::temporary_folder;
using kestrov::testing::test_window;

std::wstring cell_text(HWND list, int row, int column) {
    wchar_t buffer[128] = {};
    LVITEMW item{};
    item.iSubItem = column;
    item.pszText = buffer;
    item.cchTextMax = 128;
    SendMessageW(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
    return buffer;
}

LPARAM item_data(HWND list, int row) {
    LVITEMW item{};
    item.mask = LVIF_PARAM;
    item.iItem = row;
    SendMessageW(list, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item));
    return item.lParam;
}

int column_width(HWND list, int column) {
    return static_cast<int>(SendMessageW(list, LVM_GETCOLUMNWIDTH, static_cast<WPARAM>(column), 0));
}

// Takes the posted message `message` for `window` off the queue; false when none is waiting.
bool take_posted(HWND window, UINT message, MSG& taken) {
    return PeekMessageW(&taken, window, message, message, PM_REMOVE) != FALSE;
}

void drain_posted(HWND window) {
    MSG ignored;
    while (PeekMessageW(&ignored, window, WM_APP, 0xBFFF, PM_REMOVE)) {
    }
}

TEST(ListviewSeznam, RowsTrackedRowDoubleClickAndColumnSizing) {
    test_window top;
    top.open();
    HWND list_handle = nullptr;
    {
        listview_seznam list;
        EXPECT_EQ(list.tracked_row, -1);
        list.create_list(top.handle);
        list_handle = list.handle;
        ASSERT_TRUE(IsWindow(list_handle));
        EXPECT_EQ(GetParent(list_handle), top.handle);
        EXPECT_EQ(GetWindowLongPtrW(list_handle, GWLP_ID), 1001);
        EXPECT_EQ(column_width(list_handle, 0), 240);
        EXPECT_EQ(column_width(list_handle, 1), 200);
        wchar_t title[32] = {};
        LVCOLUMNW column{};
        column.mask = LVCF_TEXT;
        column.pszText = title;
        column.cchTextMax = 32;
        SendMessageW(list_handle, LVM_GETCOLUMNW, 1, reinterpret_cast<LPARAM>(&column));
        EXPECT_STREQ(title, L"Hodnota");

        EXPECT_EQ(list.insert_row(L"Název", 0x0320), 0);
        EXPECT_EQ(list.insert_row(L"Autor", 0x013B), 1);
        EXPECT_EQ(list.insert_row(L"Zeměpisná šířka", 0x0002), 2);
        list.set_value_text(0, L"Výlet");
        list.set_value_text(1, L"Eva Nováková");
        ASSERT_EQ(SendMessageW(list_handle, LVM_GETITEMCOUNT, 0, 0), 3);
        EXPECT_EQ(cell_text(list_handle, 1, 0), L"Autor");
        EXPECT_EQ(cell_text(list_handle, 1, 1), L"Eva Nováková");
        EXPECT_EQ(cell_text(list_handle, 0, 1), L"Výlet");
        EXPECT_EQ(cell_text(list_handle, 2, 1), L"");
        EXPECT_EQ(item_data(list_handle, 0), 0x0320);
        EXPECT_EQ(item_data(list_handle, 1), 0x013B);
        EXPECT_EQ(item_data(list_handle, 2), 0x0002);

        // As a refill leaves it: nothing tracked, nothing waiting.
        list.reset_tracked_row();
        drain_posted(top.handle);
        LVITEMW state{};
        state.stateMask = LVIS_SELECTED;
        state.state = LVIS_SELECTED;
        SendMessageW(list_handle, LVM_SETITEMSTATE, 2, reinterpret_cast<LPARAM>(&state));
        EXPECT_EQ(list.tracked_row, 2);
        MSG posted{};
        ASSERT_TRUE(take_posted(top.handle, WM_APP_SELECTION_CHANGED, posted));
        EXPECT_EQ(posted.wParam, 0u);
        EXPECT_EQ(posted.lParam, 0);
        // Selecting a second row tracks that one.
        drain_posted(top.handle);
        SendMessageW(list_handle, LVM_SETITEMSTATE, 0, reinterpret_cast<LPARAM>(&state));
        EXPECT_EQ(list.tracked_row, 0);
        EXPECT_TRUE(take_posted(top.handle, WM_APP_SELECTION_CHANGED, posted));

        drain_posted(top.handle);
        SendMessageW(list_handle, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(400, 300));
        ASSERT_TRUE(take_posted(top.handle, WM_APP_EDIT_REQUEST, posted));
        EXPECT_EQ(posted.wParam, 1001u);
        EXPECT_EQ(posted.lParam, reinterpret_cast<LPARAM>(list_handle));

        // The name column keeps its width; the value column takes the rest, or nothing.
        SendMessageW(list_handle, LVM_SETCOLUMNWIDTH, 0, MAKELPARAM(150, 0));
        SendMessageW(list_handle, WM_SIZE, SIZE_RESTORED, MAKELPARAM(640, 200));
        EXPECT_EQ(column_width(list_handle, 0), 150);
        EXPECT_EQ(column_width(list_handle, 1), 490);
        SendMessageW(list_handle, WM_SIZE, SIZE_RESTORED, MAKELPARAM(100, 200));
        EXPECT_EQ(column_width(list_handle, 0), 150);
        EXPECT_EQ(column_width(list_handle, 1), 0);
    }
    EXPECT_FALSE(IsWindow(list_handle));
    EXPECT_TRUE(IsWindow(top.handle));
}

TEST(ListboxSoubory, DroppedImagesAreListedInDropOrderAndEverythingElseSkipped) {
    const temporary_folder folder;
    const fs::path photo = folder.path() / L"Výlet.jpg";
    fs::copy_file(kestrov::testing::corpus_file("jpg/Canon_40D.jpg"), photo);
    const fs::path notes = folder.path() / L"poznámky.txt";
    std::ofstream(notes) << "text";
    const fs::path album = folder.path() / "album.jpg";
    fs::create_directory(album);

    test_window top;
    top.open();
    listbox_soubory files;
    files.attach(CreateWindowExW(0, L"ListBox", L"",
                                 WS_CHILD | WS_VSCROLL | WS_BORDER | LBS_NOTIFY | LBS_MULTIPLESEL |
                                     LBS_NOINTEGRALHEIGHT,
                                 0, 0, 300, 200, top.handle, reinterpret_cast<HMENU>(1024),
                                 kestrov::winapi::this_module(), nullptr));
    SendMessageW(files.handle, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(L"C:\\dřívější.png"));

    const HDROP drop =
        kestrov::testing::make_drop({photo.wstring(), album.wstring(), notes.wstring(),
                                     (folder.path() / L"chybí.jpg").wstring(), photo.wstring()});
    SendMessageW(files.handle, WM_DROPFILES, reinterpret_cast<WPARAM>(drop), 0);

    ASSERT_EQ(SendMessageW(files.handle, LB_GETCOUNT, 0, 0), 3);
    EXPECT_EQ(files.item_text(0), L"C:\\dřívější.png");
    for (const int index : {1, 2}) {
        EXPECT_EQ(files.item_text(index), photo.wstring()) << index;
        EXPECT_EQ(SendMessageW(files.handle, LB_GETITEMDATA, static_cast<WPARAM>(index), 0), 0)
            << index;
    }
}

TEST(ImageFileChecks, OnlyExistingFilesWithADecodableExtensionPass) {
    const temporary_folder folder;
    const auto make_file = [&folder](const char* name) {
        std::ofstream(folder.path() / name) << "x";
        return (folder.path() / name).wstring();
    };
    EXPECT_TRUE(kestrov::is_openable_image_file(make_file("IMG_0001.JPG").c_str()));
    EXPECT_TRUE(kestrov::is_openable_image_file(make_file("scan.tiff").c_str()));
    EXPECT_FALSE(kestrov::is_openable_image_file(make_file("IMG_0002").c_str()));
    EXPECT_FALSE(kestrov::is_openable_image_file(make_file("notes.txt").c_str()));
    EXPECT_FALSE(kestrov::is_openable_image_file(make_file("archive.jpg.txt").c_str()));
    EXPECT_FALSE(kestrov::is_openable_image_file((folder.path() / "missing.jpg").c_str()));
    fs::create_directory(folder.path() / "photos.png");
    EXPECT_FALSE(kestrov::is_openable_image_file((folder.path() / "photos.png").c_str()));
    EXPECT_FALSE(kestrov::is_openable_image_file(L""));
    EXPECT_FALSE(kestrov::is_openable_image_file(nullptr));

    // The dialogs' filters: seven, the images first, everything last.
    ASSERT_EQ(kestrov::image_file_type_count, 7u);
    EXPECT_STREQ(kestrov::image_file_types[0].pszName, L"Grafické soubory");
    EXPECT_STREQ(kestrov::image_file_types[0].pszSpec,
                 L"*.jpg;*.jpeg;*.png;*.bmp;*.gif;*.tif;*.tiff");
    EXPECT_STREQ(kestrov::image_file_types[6].pszName, L"Všechny soubory");
    EXPECT_STREQ(kestrov::image_file_types[6].pszSpec, L"*.*");
}

} // namespace
