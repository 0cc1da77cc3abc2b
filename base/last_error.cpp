#include "base/last_error.h"

namespace kestrov {

namespace {
thread_local std::uint32_t thread_last_error = 0;
} // namespace

std::uint32_t last_error() noexcept {
    return thread_last_error;
}

void set_last_error(std::uint32_t error) noexcept {
    thread_last_error = error;
}

} // namespace kestrov
