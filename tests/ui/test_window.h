// A top-level window for tests: it records every message its object receives, with the handle the
// object held at that moment.
#pragma once

#include "ui/toolkit/window_impl.h"

#include <algorithm>
#include <vector>

namespace kestrov::testing {

class test_window : public winapi::window_impl {
public:
    struct seen_message {
        UINT message;
        HWND handle_then;
    };

    const wchar_t* class_name() const override { return L"mirtel_test_window"; }

    LRESULT window_proc(UINT message, WPARAM wparam, LPARAM lparam) override {
        seen.push_back({message, handle});
        return window_impl::window_proc(message, wparam, lparam);
    }

    // Registers the class when needed and creates the window, hidden.
    void open() {
        register_class();
        create(class_name(), L"Zkušební okno", winapi::this_module());
    }

    bool saw(UINT message) const {
        return std::any_of(seen.begin(), seen.end(),
                           [message](const seen_message& m) { return m.message == message; });
    }

    std::vector<seen_message> seen;
};

} // namespace kestrov::testing
