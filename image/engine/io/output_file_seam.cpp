// The test seams of output_file and of replacing, shared by both platforms' implementations.
#include "image/engine/io/file_system.h"

#include "base/hresult.h"
#include "base/last_error.h"

#include <memory>
#include <utility>

namespace kestrov::imaging {

namespace {
thread_local std::optional<std::uint64_t> bytes_until_failure;
thread_local std::uint64_t bytes_until_throw = 0;
// Held by pointer: every thread_local here stays trivially destructible, so no thread that writes a
// file has to run a destructor as it ends. (The Windows runtime's thread-exit destructors crashed
// worker threads of the batch dialog now and then under Wine.)
thread_local std::exception_ptr* error_to_throw = nullptr;
thread_local void (*write_hook)() = nullptr;
thread_local failing_step step_to_fail = failing_step::none;
thread_local std::uint32_t step_error = 0;
} // namespace

void output_file::before_writes_for_testing(void (*hook)()) {
    write_hook = hook;
}

void fail_next_for_testing(failing_step step, std::uint32_t error) {
    step_to_fail = step;
    step_error = error;
}

bool fails_for_testing(failing_step step) {
    if (step == failing_step::none || step != step_to_fail) {
        return false;
    }
    step_to_fail = failing_step::none;
    set_last_error(step_error);
    return true;
}

void output_file::fail_writes_after_for_testing(std::optional<std::uint64_t> bytes) {
    bytes_until_failure = bytes;
}

void output_file::throw_from_writes_after_for_testing(std::uint64_t bytes,
                                                      std::exception_ptr error) {
    bytes_until_throw = bytes;
    delete std::exchange(error_to_throw, nullptr);
    if (error) {
        error_to_throw = new std::exception_ptr(std::move(error));
    }
}

bool output_file::test_seam_allows(std::size_t count) {
    if (write_hook) {
        write_hook();
    }
    if (error_to_throw) {
        if (bytes_until_throw < count) {
            const std::unique_ptr<std::exception_ptr> error(std::exchange(error_to_throw, nullptr));
            std::rethrow_exception(*error);
        }
        bytes_until_throw -= count;
    }
    if (!bytes_until_failure) {
        return true;
    }
    if (*bytes_until_failure < count) {
        bytes_until_failure = 0;
        set_last_error(win32::error_disk_full);
        return false;
    }
    *bytes_until_failure -= count;
    return true;
}

} // namespace kestrov::imaging
