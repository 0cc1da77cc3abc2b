// Closes a message box that the test thread is about to show, from a second thread, and records
// what the box looked like. Nothing in the tests waits for a person.
#pragma once

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include <windows.h>

namespace kestrov::testing {

struct message_box_seen {
    bool found = false;
    std::wstring caption;
    std::vector<std::wstring> texts; // texts of the box's child windows: message and buttons
    int default_button = 0;          // the id of the default push button, 0 when none
};

class message_box_closer {
public:
    // Waits for a dialog box of this process captioned `caption` and presses `button` in it.
    message_box_closer(std::wstring caption, int button);
    ~message_box_closer();
    message_box_closer(const message_box_closer&) = delete;
    message_box_closer& operator=(const message_box_closer&) = delete;

    // Joins the closing thread and returns what it saw.
    message_box_seen result();

private:
    void run();

    std::wstring caption_;
    int button_;
    message_box_seen seen_;
    std::thread thread_;
};

} // namespace kestrov::testing
