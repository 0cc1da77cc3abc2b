#include "ui/toolkit/failure_boundary.h"

#include "ui/toolkit/dialog_impl.h"

namespace kestrov::winapi {

namespace {

// Plain statics, not thread_local: only the user-interface thread gets here, and the runtime's
// thread-exit destructors are best kept out of the worker threads.
std::exception_ptr kept;
dialog_impl* innermost_modal = nullptr;

} // namespace

void keep_failure(std::exception_ptr failure) noexcept {
    if (!kept) {
        kept = std::move(failure);
    }
    if (innermost_modal != nullptr) {
        // The dialog's own way of ending may fail as well; the first failure is kept already.
        try {
            innermost_modal->on_failure_kept();
        } catch (...) {
        }
    }
}

bool failure_kept() noexcept {
    return static_cast<bool>(kept);
}

std::exception_ptr take_kept_failure() noexcept {
    return std::exchange(kept, nullptr);
}

void raise_kept_failure() {
    if (kept) {
        std::rethrow_exception(take_kept_failure());
    }
}

running_modal::running_modal(dialog_impl& dialog) noexcept
    : outer_(std::exchange(innermost_modal, &dialog)) {}

running_modal::~running_modal() {
    innermost_modal = outer_;
}

} // namespace kestrov::winapi
