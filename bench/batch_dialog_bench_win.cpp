// Times the batch dialog's run: lists the files named on the command line, types the author,
// presses "Po&užít zadané hodnoty" and waits for the list to be enabled again. Prints the seconds
// from the press to that moment. Run by bench/batch_dialog.
//   batch_dialog_bench AUTHOR FILE...
#include "ui/dialogs/dlg_popisne_tagy.h"

#include "app/application_base_win.h"
#include "res/resource_ids.h"
#include "win/dialog_driver.h"

#include <chrono>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

int wmain(int argc, wchar_t** argv) {
    if (argc < 3) {
        std::fputs("batch_dialog_bench AUTHOR FILE...\n", stderr);
        return 2;
    }
    const std::wstring author = argv[1];
    const std::vector<std::wstring> files(argv + 2, argv + argc);
    kestrov::application_base application;
    dlg_popisne_tagy dialog(application);
    double seconds = -1;
    std::thread driver([&] {
        const HWND found = kestrov::testing::wait_for_dialog(IDC_BATCH_FILES);
        if (found == nullptr) {
            return;
        }
        const HWND list = GetDlgItem(found, IDC_BATCH_FILES);
        for (const auto& file : files) {
            SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(file.c_str()));
        }
        SetDlgItemTextW(found, IDC_BATCH_AUTHOR, author.c_str());
        const auto start = std::chrono::steady_clock::now();
        SendMessageW(found, WM_COMMAND, MAKEWPARAM(IDC_BATCH_WRITE, BN_CLICKED), 0);
        kestrov::testing::wait_until([list] { return IsWindowEnabled(list) != FALSE; }, 600000);
        seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        PostMessageW(found, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    });
    kestrov::winapi::run_modal(dialog, IDD_BATCH, nullptr);
    driver.join();
    if (seconds < 0) {
        std::fputs("the dialog did not open\n", stderr);
        return 1;
    }
    std::printf("%.3f\n", seconds);
    return 0;
}
