// A subclassed control that records the messages it receives and passes them on, so tests can see
// what reflection sent it.
#pragma once

#include "ui/toolkit/control_impl.h"
#include "ui/toolkit/window.h"

#include <algorithm>
#include <vector>

namespace kestrov::testing {

struct received_message {
    UINT message;
    WPARAM wparam;
    LPARAM lparam;
};

template <typename T = winapi::window>
class recording_control : public winapi::control_impl<T> {
public:
    LRESULT window_proc(UINT message, WPARAM wparam, LPARAM lparam) override {
        received.push_back({message, wparam, lparam});
        if (answer_reflected != 0 && message >= 0x2000 && message < 0x3000) {
            return answer_reflected;
        }
        return winapi::control_impl<T>::window_proc(message, wparam, lparam);
    }

    bool got(UINT message) const {
        return std::any_of(
            received.begin(), received.end(),
            [message](const received_message& seen) { return seen.message == message; });
    }
    // Reflected messages only (0x2000 and up), in order.
    std::vector<UINT> reflected() const {
        std::vector<UINT> numbers;
        for (const auto& seen : received) {
            if (seen.message >= 0x2000 && seen.message < 0x3000) {
                numbers.push_back(seen.message);
            }
        }
        return numbers;
    }

    std::vector<received_message> received;
    // When not 0, reflected messages are answered with it instead of being passed on.
    LRESULT answer_reflected = 0;
};

} // namespace kestrov::testing
