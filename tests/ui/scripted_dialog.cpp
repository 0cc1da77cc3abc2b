#include "ui/scripted_dialog.h"

#include "ui/test_resource_ids.h"

#include <gtest/gtest.h>

#include <exception>

namespace kestrov::testing {

namespace {
constexpr UINT run_script = WM_APP + 1;
constexpr UINT_PTR watchdog_timer = 0x7E57;
// Long enough for any script under a slow emulator; only a broken test ever reaches it.
constexpr UINT watchdog_milliseconds = 20000;
} // namespace

scripted_dialog::scripted_dialog(script steps) : steps_(std::move(steps)) {}

INT_PTR scripted_dialog::run_modal() {
    return winapi::run_modal(*this, IDD_TEST_CONTROLS, nullptr);
}

INT_PTR scripted_dialog::run_without_modal() {
    return DialogBoxParamW(winapi::this_module(), MAKEINTRESOURCEW(IDD_TEST_CONTROLS), nullptr,
                           winapi::static_dialog_proc, reinterpret_cast<LPARAM>(this));
}

INT_PTR scripted_dialog::on_init_dialog(HWND focus_window) {
    ++init_calls;
    handle_at_init = handle;
    SetTimer(handle, watchdog_timer, watchdog_milliseconds, nullptr);
    PostMessageW(handle, run_script, 0, 0);
    return dialog_impl::on_init_dialog(focus_window);
}

INT_PTR scripted_dialog::dialog_proc(UINT message, WPARAM wparam, LPARAM lparam) {
    messages.push_back(message);
    if (message == run_script) {
        try {
            steps_(*this);
        } catch (const std::exception& failure) {
            ADD_FAILURE() << "the script raised: " << failure.what();
            end_dialog(-3);
        }
        return TRUE;
    }
    if (message == WM_TIMER && wparam == watchdog_timer) {
        ADD_FAILURE() << "the dialog was still open when the watchdog fired";
        end_dialog(watchdog_result);
        return TRUE;
    }
    return dialog_impl::dialog_proc(message, wparam, lparam);
}

void scripted_dialog::on_ok() {
    ++ok_calls;
    dialog_impl::on_ok();
}

void scripted_dialog::on_cancel() {
    ++cancel_calls;
    dialog_impl::on_cancel();
}

void scripted_dialog::pump() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (!IsDialogMessageW(handle, &message)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }
}

} // namespace kestrov::testing
