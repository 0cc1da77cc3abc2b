#include "message_box_closer.h"

#include <chrono>

namespace kestrov::testing {

namespace {

struct search {
    const std::wstring* caption;
    HWND found = nullptr;
};

std::wstring window_text(HWND window) {
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(
        GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
    return text;
}

BOOL CALLBACK match_box(HWND window, LPARAM context) {
    auto* wanted = reinterpret_cast<search*>(context);
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    wchar_t class_name[16] = {};
    GetClassNameW(window, class_name, 16);
    if (process == GetCurrentProcessId() && std::wstring(class_name) == L"#32770" &&
        IsWindowVisible(window) && window_text(window) == *wanted->caption) {
        wanted->found = window;
        return FALSE;
    }
    return TRUE;
}

BOOL CALLBACK collect_text(HWND child, LPARAM context) {
    reinterpret_cast<std::vector<std::wstring>*>(context)->push_back(window_text(child));
    return TRUE;
}

// The button drawn as the default one, which Enter presses.
int default_button(HWND box) {
    for (HWND child = GetWindow(box, GW_CHILD); child != nullptr;
         child = GetWindow(child, GW_HWNDNEXT)) {
        const auto style = static_cast<DWORD>(GetWindowLongPtrW(child, GWL_STYLE));
        if ((style & BS_TYPEMASK) == BS_DEFPUSHBUTTON) {
            return GetDlgCtrlID(child);
        }
    }
    return 0;
}

} // namespace

message_box_closer::message_box_closer(std::wstring caption, int button)
    : caption_(std::move(caption)), button_(button), thread_([this] { run(); }) {}

message_box_closer::~message_box_closer() {
    if (thread_.joinable()) {
        thread_.join();
    }
}

message_box_seen message_box_closer::result() {
    if (thread_.joinable()) {
        thread_.join();
    }
    return seen_;
}

void message_box_closer::run() {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    search wanted{&caption_};
    while (std::chrono::steady_clock::now() < deadline) {
        wanted.found = nullptr;
        EnumWindows(match_box, reinterpret_cast<LPARAM>(&wanted));
        if (wanted.found != nullptr) {
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    if (wanted.found == nullptr) {
        return;
    }
    seen_.found = true;
    seen_.caption = window_text(wanted.found);
    EnumChildWindows(wanted.found, collect_text, reinterpret_cast<LPARAM>(&seen_.texts));
    seen_.default_button = default_button(wanted.found);
    PostMessageW(wanted.found, WM_COMMAND, MAKEWPARAM(button_, BN_CLICKED), 0);
}

} // namespace kestrov::testing
