// Starts a program and answers, in milliseconds, how long it took to reach its goal:
//   gui_open_bench window MIRTEL_EXE PHOTO   until the main window's list holds rows
//   gui_open_bench exit PROGRAM ARGUMENT...  until the program has ended
// The window is closed once its rows are there. Prints the milliseconds, or nothing when the
// goal was not reached within a minute.
#include <chrono>
#include <cstdio>
#include <string>

#include <windows.h>

#include <commctrl.h>

namespace {

using bench_clock = std::chrono::steady_clock;

std::wstring quoted_command(int count, wchar_t** arguments) {
    std::wstring command;
    for (int i = 0; i < count; ++i) {
        command += (i == 0 ? L"\"" : L" \"") + std::wstring(arguments[i]) + L"\"";
    }
    return command;
}

struct search {
    DWORD process_id;
    HWND found;
};

BOOL CALLBACK find_main_window(HWND window, LPARAM context) {
    auto& wanted = *reinterpret_cast<search*>(context);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    wchar_t name[32]{};
    GetClassNameW(window, name, 32);
    if (owner == wanted.process_id && lstrcmpW(name, L"mirtel") == 0) {
        wanted.found = window;
        return FALSE;
    }
    return TRUE;
}

// The rows in the main window's list of the process; 0 while there is no such list yet.
LRESULT rows_shown(DWORD process_id) {
    search wanted{process_id, nullptr};
    EnumWindows(find_main_window, reinterpret_cast<LPARAM>(&wanted));
    if (wanted.found == nullptr) {
        return 0;
    }
    const HWND list = FindWindowExW(wanted.found, nullptr, WC_LISTVIEWW, nullptr);
    DWORD_PTR rows = 0;
    if (list == nullptr ||
        !SendMessageTimeoutW(list, LVM_GETITEMCOUNT, 0, 0, SMTO_ABORTIFHUNG, 1000, &rows)) {
        return 0;
    }
    if (rows > 0) {
        PostMessageW(wanted.found, WM_CLOSE, 0, 0);
    }
    return static_cast<LRESULT>(rows);
}

} // namespace

int wmain(int count, wchar_t** arguments) {
    if (count < 3) {
        std::fputs("usage: gui_open_bench window|exit PROGRAM ARGUMENT...\n", stderr);
        return 2;
    }
    const bool until_rows = lstrcmpW(arguments[1], L"window") == 0;
    std::wstring command = quoted_command(count - 2, arguments + 2);
    // What the program prints goes nowhere, so that only the time reaches this one's output.
    SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    const HANDLE nowhere = CreateFileW(L"NUL", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                       &inherit, OPEN_EXISTING, 0, nullptr);
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = nowhere;
    startup.hStdError = nowhere;
    PROCESS_INFORMATION process{};
    const auto start = bench_clock::now();
    if (!CreateProcessW(arguments[2], command.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                        &startup, &process)) {
        std::fputs("the program did not start\n", stderr);
        return 1;
    }
    bool reached = false;
    if (until_rows) {
        const auto give_up = start + std::chrono::minutes(1);
        while (!reached && bench_clock::now() < give_up &&
               WaitForSingleObject(process.hProcess, 0) == WAIT_TIMEOUT) {
            reached = rows_shown(process.dwProcessId) > 0;
            if (!reached) {
                Sleep(1);
            }
        }
    } else {
        reached = WaitForSingleObject(process.hProcess, 60000) == WAIT_OBJECT_0;
    }
    const auto elapsed = bench_clock::now() - start;
    WaitForSingleObject(process.hProcess, 60000);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    CloseHandle(nowhere);
    if (!reached) {
        return 1;
    }
    std::printf("%.1f\n", std::chrono::duration<double, std::milli>(elapsed).count());
    return 0;
}
