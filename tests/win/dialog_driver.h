// Drives the program's dialogs from a second thread while the test thread runs their modal loops,
// the way a person's clicks and keys arrive.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include <windows.h>

#include <shellapi.h>

namespace kestrov::testing {

// A visible dialog of this process for which `matches` holds; waits up to `milliseconds` for one
// to appear and answers nullptr when none did.
HWND wait_for_dialog_where(const std::function<bool(HWND)>& matches, int milliseconds = 20000);

// A visible dialog of this process that has control `control` and is none of `handled`; waits up
// to `milliseconds` for one to appear and answers nullptr when none did.
HWND wait_for_dialog(int control, const std::vector<HWND>& handled = {}, int milliseconds = 20000);

// Waits up to `milliseconds` for `condition` to hold, asking every 10 ms; answers whether it did.
bool wait_until(const std::function<bool()>& condition, int milliseconds = 10000);

// A window's text as its own thread answers WM_GETTEXT.
std::wstring window_text_of(HWND window);

// Tells `dialog` that `button` was clicked, as the button does (WM_COMMAND, BN_CLICKED). The sent
// press returns once the dialog has handled it; the posted one returns at once, for a driver
// whose dialog may open a modal loop of its own in answer.
void send_press(HWND dialog, int button);
void post_press(HWND dialog, int button);

// The text that the tooltip window `tips` holds for `control` of `parent`; empty when none.
std::wstring tool_tip_text(HWND tips, HWND parent, HWND control);

// Acts on the program's dialogs from a second thread, in order: each step waits for a dialog of
// this process that has control `control` and was not handled before, then acts on it.
struct dialog_step {
    int control;
    std::function<void(HWND dialog)> act;
};

class dialog_driver {
public:
    explicit dialog_driver(std::vector<dialog_step> steps);
    ~dialog_driver();
    dialog_driver(const dialog_driver&) = delete;
    dialog_driver& operator=(const dialog_driver&) = delete;
    // Joins the thread; answers how many steps found their dialog.
    std::size_t finish();

private:
    void run(const std::vector<dialog_step>& steps);

    std::size_t done_ = 0;
    std::thread thread_;
};

// A drop as the shell hands it over: a DROPFILES header, then the wide paths, each ended by a
// zero, and one more zero. The receiver releases it.
HDROP make_drop(const std::vector<std::wstring>& paths);

} // namespace kestrov::testing
