#include "ui/toolkit/failure_boundary.h"

#include "ui/toolkit/dialog_impl.h"

namespace kestrov::winapi {

namespace {

// Plain statics, not thread_local: only the user-interface thread gets here, and the runtime's
// thread-exit destructors are best kept out of the worker threads.
std::exception_ptr kept;
const dialog_impl* kept_in = nullptr;
running_modal* innermost = nullptr;

// The running modal dialog that `origin` belongs to; none for a window outside all of them.
const dialog_impl* modal_dialog_of(HWND origin) {
    if (origin == nullptr) {
        return innermost != nullptr ? &innermost->dialog() : nullptr;
    }
    for (const running_modal* running = innermost; running != nullptr; running = running->outer()) {
        const HWND dialog = running->dialog().handle;
        if (dialog != nullptr && (origin == dialog || IsChild(dialog, origin))) {
            return &running->dialog();
        }
    }
    return nullptr;
}

} // namespace

void keep_failure(std::exception_ptr failure, HWND origin) noexcept {
    if (!kept) {
        kept = std::move(failure);
        kept_in = modal_dialog_of(origin);
    }
    end_innermost_modal();
}

void end_innermost_modal() noexcept {
    if (innermost != nullptr) {
        // The dialog's own way of ending may fail as well; the first failure is kept already.
        try {
            innermost->dialog().on_failure_kept();
        } catch (...) {
        }
    }
}

bool failure_kept() noexcept {
    return static_cast<bool>(kept);
}

bool failure_kept_in(const dialog_impl& dialog) noexcept {
    return kept && kept_in == &dialog;
}

std::exception_ptr take_kept_failure() noexcept {
    kept_in = nullptr;
    return std::exchange(kept, nullptr);
}

void raise_kept_failure() {
    if (kept) {
        std::rethrow_exception(take_kept_failure());
    }
}

running_modal::running_modal(dialog_impl& dialog) noexcept
    : dialog_(&dialog), outer_(std::exchange(innermost, this)) {}

running_modal::~running_modal() {
    innermost = outer_;
}

} // namespace kestrov::winapi
