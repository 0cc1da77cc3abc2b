// The one way out of a window procedure for a failure. The system calls the procedures of
// windows, dialogs and subclassed controls from its own frames, and no exception may unwind
// through those. So each procedure runs its object's handler guarded: what the handler raises is
// kept here, with the running modal dialog it arose in (none when it arose outside all of them),
// the message is answered as failed, and the innermost running modal dialog ends. Where the
// program's own code regains control, the failure is raised again: by run_modal of the dialog it
// arose in, or by the message loop when it arose outside every modal dialog. A dialog it did not
// arise in ends without raising it, and the next dialog out ends in turn, so it travels out
// through every modal loop to the catch it would have reached travelling out directly.
//
// All of it belongs to the user-interface thread, the only one that runs window procedures.
#pragma once

#include <exception>
#include <utility>

#include <windows.h>

namespace kestrov::winapi {

class dialog_impl;

// Keeps `failure` unless one is kept already (the first is the cause, later ones its effects),
// then tells the innermost running modal dialog, which ends. `origin` is the window whose
// procedure failed; none means the code of the innermost running modal dialog.
void keep_failure(std::exception_ptr failure, HWND origin = nullptr) noexcept;
bool failure_kept() noexcept;
// Whether the kept failure arose in `dialog`: its own procedure, or a control inside it.
bool failure_kept_in(const dialog_impl& dialog) noexcept;
// The kept failure, which is no longer kept; null when there is none.
std::exception_ptr take_kept_failure() noexcept;
// Raises the kept failure, if there is one, and forgets it.
void raise_kept_failure();
// Tells the innermost running modal dialog that a failure is kept, so that it ends.
void end_innermost_modal() noexcept;

// Runs `handler` and answers its result; what it raises is kept and `failed` answered instead.
template <typename Handler, typename Result>
Result guarded(HWND origin, Handler&& handler, Result failed) noexcept {
    try {
        return std::forward<Handler>(handler)();
    } catch (...) {
        keep_failure(std::current_exception(), origin);
        return failed;
    }
}

// The same for the code of the innermost running modal dialog, answering nothing.
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

    dialog_impl& dialog() const { return *dialog_; }
    const running_modal* outer() const { return outer_; }

private:
    dialog_impl* dialog_;
    running_modal* outer_;
};

} // namespace kestrov::winapi
