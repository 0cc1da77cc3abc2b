// The one way out of a window procedure for a failure. The system calls the procedures of
// windows, dialogs and subclassed controls from its own frames, and no exception may unwind
// through those. So each procedure runs its object's handler guarded: what the handler raises is
// kept here, the message is answered as failed, and the modal dialog that runs (the innermost, if
// several are nested) ends. Where the program's own code regains control (the message loop
// after a dispatch, run_modal after its loop) the kept failure is raised again, so it reaches
// the same catch it would have reached travelling out directly.
//
// All of it belongs to the user-interface thread, the only one that runs window procedures.
#pragma once

#include <exception>
#include <utility>

namespace kestrov::winapi {

class dialog_impl;

// Keeps `failure` unless one is kept already (the first is the cause, later ones its effects),
// then tells the innermost running modal dialog, which ends.
void keep_failure(std::exception_ptr failure) noexcept;
bool failure_kept() noexcept;
// The kept failure, which is no longer kept; null when there is none.
std::exception_ptr take_kept_failure() noexcept;
// Raises the kept failure, if there is one, and forgets it.
void raise_kept_failure();

// Runs `handler` and answers its result; what it raises is kept and `failed` answered instead.
template <typename Handler, typename Result>
Result guarded(Handler&& handler, Result failed) noexcept {
    try {
        return std::forward<Handler>(handler)();
    } catch (...) {
        keep_failure(std::current_exception());
        return failed;
    }
}

// The same for a handler that answers nothing.
template <typename Handler>
void guarded(Handler&& handler) noexcept {
    try {
        std::forward<Handler>(handler)();
    } catch (...) {
        keep_failure(std::current_exception());
    }
}

// While it lives, `dialog` is the innermost running modal dialog: a failure kept meanwhile, by
// any window procedure, ends it (dialog_impl::on_failure_kept).
class running_modal {
public:
    explicit running_modal(dialog_impl& dialog) noexcept;
    ~running_modal();
    running_modal(const running_modal&) = delete;
    running_modal& operator=(const running_modal&) = delete;

private:
    dialog_impl* outer_;
};

} // namespace kestrov::winapi
