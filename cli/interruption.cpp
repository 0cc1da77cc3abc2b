#include "cli/interruption.h"

#include <atomic>
#include <csignal>

namespace kestrov::cli {

namespace {

// A handler may touch nothing but a lock-free atomic.
std::atomic<bool> stop_requested{false};
static_assert(std::atomic<bool>::is_always_lock_free);

constexpr int stopping_signals[] = {SIGINT, SIGTERM};

void ask_to_stop(int signal_number) {
    stop_requested = true;
    std::signal(signal_number, SIG_DFL);
}

} // namespace

interruption_guard::interruption_guard() {
    stop_requested = false;
    for (const int signal_number : stopping_signals) {
        std::signal(signal_number, ask_to_stop);
    }
}

interruption_guard::~interruption_guard() {
    for (const int signal_number : stopping_signals) {
        std::signal(signal_number, SIG_DFL);
    }
}

bool interruption_guard::requested() {
    return stop_requested;
}

} // namespace kestrov::cli
