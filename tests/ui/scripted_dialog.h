// A dialog for tests: it runs a script once it is shown and inside its modal loop, records what
// reached its hooks, and ends itself if the script never does, so no test waits for a person.
#pragma once

#include "ui/toolkit/dialog_impl.h"

#include <functional>
#include <vector>

namespace kestrov::testing {

class scripted_dialog : public winapi::dialog_impl {
public:
    using script = std::function<void(scripted_dialog&)>;

    explicit scripted_dialog(script steps);

    // Runs the test template through the program's modal protocol (modal set true).
    INT_PTR run_modal();
    // Runs it directly, with `modal` left as it is.
    INT_PTR run_without_modal();

    INT_PTR dialog_proc(UINT message, WPARAM wparam, LPARAM lparam) override;
    INT_PTR on_init_dialog(HWND focus_window) override;
    void on_ok() override;
    void on_cancel() override;

    // Lets the messages posted so far be handled before the script goes on.
    void pump();

    int init_calls = 0;
    int ok_calls = 0;
    int cancel_calls = 0;
    HWND handle_at_init = nullptr;
    std::vector<UINT> messages; // every message dialog_proc received, in order

    // The result the dialog ends with when the script left it running too long.
    static constexpr INT_PTR watchdog_result = 0x7E57;

private:
    script steps_;
};

} // namespace kestrov::testing
