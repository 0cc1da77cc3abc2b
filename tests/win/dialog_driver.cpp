#include "win/dialog_driver.h"

#include <commctrl.h>
#include <shlobj.h>

#include <algorithm>
#include <chrono>
#include <cstring>

namespace kestrov::testing {

namespace {

struct dialog_search {
    const std::function<bool(HWND)>* matches;
    HWND found;
};

BOOL CALLBACK match_dialog(HWND candidate, LPARAM data) {
    auto* sought = reinterpret_cast<dialog_search*>(data);
    DWORD process = 0;
    GetWindowThreadProcessId(candidate, &process);
    wchar_t name[16] = {};
    GetClassNameW(candidate, name, 16);
    if (process == GetCurrentProcessId() && std::wstring(name) == L"#32770" &&
        IsWindowVisible(candidate) && (*sought->matches)(candidate)) {
        sought->found = candidate;
        return FALSE;
    }
    return TRUE;
}

} // namespace

HWND wait_for_dialog_where(const std::function<bool(HWND)>& matches, int milliseconds) {
    dialog_search wanted{&matches, nullptr};
    wait_until(
        [&wanted] {
            EnumWindows(match_dialog, reinterpret_cast<LPARAM>(&wanted));
            return wanted.found != nullptr;
        },
        milliseconds);
    return wanted.found;
}

HWND wait_for_dialog(int control, const std::vector<HWND>& handled, int milliseconds) {
    return wait_for_dialog_where(
        [control, &handled](HWND candidate) {
            return GetDlgItem(candidate, control) != nullptr &&
                   std::find(handled.begin(), handled.end(), candidate) == handled.end();
        },
        milliseconds);
}

bool wait_until(const std::function<bool()>& condition, int milliseconds) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    while (!condition()) {
        if (std::chrono::steady_clock::now() > end) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

std::wstring window_text_of(HWND window) {
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(
        GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
    return text;
}

void send_press(HWND dialog, int button) {
    SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, button)));
}

void post_press(HWND dialog, int button) {
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, button)));
}

std::wstring tool_tip_text(HWND tips, HWND parent, HWND control) {
    wchar_t buffer[256] = {};
    TOOLINFOW tool{};
    tool.cbSize = sizeof tool;
    tool.hwnd = parent;
    tool.uId = reinterpret_cast<UINT_PTR>(control);
    tool.lpszText = buffer;
    SendMessageW(tips, TTM_GETTEXTW, std::size(buffer), reinterpret_cast<LPARAM>(&tool));
    return buffer;
}

dialog_driver::dialog_driver(std::vector<dialog_step> steps)
    : thread_([this, steps = std::move(steps)] { run(steps); }) {}

dialog_driver::~dialog_driver() {
    finish();
}

std::size_t dialog_driver::finish() {
    if (thread_.joinable()) {
        thread_.join();
    }
    return done_;
}

void dialog_driver::run(const std::vector<dialog_step>& steps) {
    std::vector<HWND> handled;
    for (const auto& step : steps) {
        const HWND found = wait_for_dialog(step.control, handled);
        if (found == nullptr) {
            return;
        }
        handled.push_back(found);
        step.act(found);
        ++done_;
    }
}

HDROP make_drop(const std::vector<std::wstring>& paths) {
    std::wstring names;
    for (const auto& path : paths) {
        names += path;
        names.push_back(L'\0');
    }
    names.push_back(L'\0');
    const std::size_t bytes = sizeof(DROPFILES) + names.size() * sizeof(wchar_t);
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, bytes);
    auto* header = static_cast<DROPFILES*>(GlobalLock(memory));
    header->pFiles = sizeof(DROPFILES);
    header->fWide = TRUE;
    std::memcpy(reinterpret_cast<char*>(header) + sizeof(DROPFILES), names.data(),
                names.size() * sizeof(wchar_t));
    GlobalUnlock(memory);
    return static_cast<HDROP>(memory);
}

} // namespace kestrov::testing
