#include "ui/toolkit/control_impl.h"

#include "base/kestrov_exception.h"
#include "ui/recording_control.h"
#include "ui/scripted_dialog.h"
#include "ui/test_resource_ids.h"
#include "ui/toolkit/failure_boundary.h"

#include <gtest/gtest.h>

#include <string>

namespace kestrov::winapi {
namespace {

using testing::recording_control;
using testing::scripted_dialog;
using recorder = recording_control<>;

LONG_PTR procedure_of(HWND control) {
    return GetWindowLongPtrW(control, GWLP_WNDPROC);
}

TEST(ControlImpl, AttachTakesOverTheProcedureAndTheDestructorGivesItBack) {
    scripted_dialog dialog([](scripted_dialog& self) {
        const HWND edit = self.item(IDC_TEST_EDIT).handle;
        const LONG_PTR own_procedure = procedure_of(edit);
        {
            recorder control;
            control.attach(edit);
            EXPECT_EQ(GetWindowLongPtrW(edit, GWLP_USERDATA), reinterpret_cast<LONG_PTR>(&control));
            EXPECT_EQ(procedure_of(edit),
                      reinterpret_cast<LONG_PTR>(&recorder::static_subclass_proc));
            // Messages reach the object and still do what the control does.
            SetWindowTextW(edit, L"123");
            EXPECT_TRUE(control.got(WM_SETTEXT));
            EXPECT_EQ(window(edit).text(), L"123");
        }
        EXPECT_EQ(procedure_of(edit), own_procedure);
        EXPECT_TRUE(IsWindow(edit));
        self.end_dialog(IDOK);
    });
    EXPECT_EQ(dialog.run_modal(), IDOK);
}

TEST(ControlImpl, AttachingAgainRestoresTheFirstControlsProcedure) {
    scripted_dialog dialog([](scripted_dialog& self) {
        const HWND first = self.item(IDC_TEST_EDIT).handle;
        const HWND second = self.item(IDC_TEST_SECOND_EDIT).handle;
        const LONG_PTR first_own = procedure_of(first);

        recorder control;
        control.attach(first);
        control.attach(second);
        EXPECT_EQ(procedure_of(first), first_own);
        EXPECT_EQ(procedure_of(second),
                  reinterpret_cast<LONG_PTR>(&recorder::static_subclass_proc));
        control.received.clear();
        SetWindowTextW(first, L"nic");
        EXPECT_FALSE(control.got(WM_SETTEXT));
        self.end_dialog(IDOK);
    });
    dialog.run_modal();
}

TEST(ControlImpl, DestroyOfAnOwnedControlDestroysIt) {
    scripted_dialog dialog([](scripted_dialog& self) {
        const HWND made = CreateWindowExW(0, L"Edit", L"", WS_CHILD, 0, 0, 40, 20, self.handle,
                                          nullptr, this_module(), nullptr);
        recorder control;
        control.attach(made);
        control.owned = true;
        control.destroy();
        EXPECT_FALSE(IsWindow(made));
        EXPECT_EQ(control.previous_proc, nullptr);
        self.end_dialog(IDOK);
    });
    dialog.run_modal();
}

// A control whose handler fails when the control loses the focus.
class failing_control : public recorder {
public:
    LRESULT window_proc(UINT message, WPARAM wparam, LPARAM lparam) override {
        if (message == WM_KILLFOCUS) {
            throw kestrov_exception("Ovládací prvek selhal");
        }
        return recorder::window_proc(message, wparam, lparam);
    }
};

// What a control's handler raises inside the system's own focus change never unwinds through
// the system's frames: the code that moved the focus goes on, the running dialog ends, and the
// failure comes out of its modal loop, once.
TEST(ControlImpl, AFailureInAControlsHandlerEndsTheRunningDialogAndComesOutOfItsLoop) {
    failing_control edit;
    bool went_on = false;
    scripted_dialog dialog([&](scripted_dialog& self) {
        edit.attach(self.item(IDC_TEST_EDIT).handle);
        SetFocus(edit.handle);
        SetFocus(self.item(IDC_TEST_SECOND_EDIT).handle);
        went_on = failure_kept();
    });
    std::string failure;
    try {
        dialog.run_modal();
    } catch (const kestrov_exception& raised) {
        failure = raised.what();
    }
    EXPECT_EQ(failure, "Ovládací prvek selhal");
    EXPECT_TRUE(went_on);
    EXPECT_FALSE(failure_kept());
}

} // namespace
} // namespace kestrov::winapi
