#include "message_box_closer.h"

#include "win/dialog_driver.h"

namespace kestrov::testing {

namespace {

BOOL CALLBACK collect_text(HWND child, LPARAM context) {
    reinterpret_cast<std::vector<std::wstring>*>(context)->push_back(window_text_of(child));
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
    const HWND box = wait_for_dialog_where(
        [this](HWND candidate) { return window_text_of(candidate) == caption_; });
    if (box == nullptr) {
        return;
    }
    seen_.found = true;
    seen_.caption = window_text_of(box);
    EnumChildWindows(box, collect_text, reinterpret_cast<LPARAM>(&seen_.texts));
    seen_.default_button = default_button(box);
    PostMessageW(box, WM_COMMAND, MAKEWPARAM(button_, BN_CLICKED), 0);
}

} // namespace kestrov::testing
