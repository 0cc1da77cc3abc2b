#include "ui/toolkit/dialog_impl.h"

#include "base/kestrov_exception.h"
#include "ui/recording_control.h"
#include "ui/scripted_dialog.h"
#include "ui/test_resource_ids.h"
#include "ui/toolkit/reflection.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace kestrov::winapi {
namespace {

using testing::recording_control;
using testing::scripted_dialog;

// Presses a dialog button the way a click does: the button sends WM_COMMAND to the dialog.
void click_button(scripted_dialog& dialog, int id) {
    SendMessageW(dialog.item(id).handle, BM_CLICK, 0, 0);
}

TEST(DialogImpl, IsBoundAtInitDialogThroughDwlpUser) {
    LONG_PTR user_slot = -1;
    scripted_dialog dialog([&](scripted_dialog& self) {
        user_slot = GetWindowLongPtrW(self.handle, DWLP_USER);
        self.end_dialog(5);
    });
    EXPECT_EQ(dialog.run_modal(), 5);
    EXPECT_EQ(dialog.init_calls, 1);
    EXPECT_NE(dialog.handle_at_init, nullptr);
    EXPECT_EQ(user_slot, reinterpret_cast<LONG_PTR>(&dialog));
    // The template's WM_SETFONT came before WM_INITDIALOG and found no object.
    EXPECT_EQ(std::count(dialog.messages.begin(), dialog.messages.end(), UINT{WM_SETFONT}), 0);
}

TEST(DialogImpl, OkOfAModalDialogEndsItWithOneAndIsReflectedToTheButton) {
    recording_control<> ok_button;
    scripted_dialog dialog([&](scripted_dialog& self) {
        ok_button.attach(self.item(IDOK).handle);
        click_button(self, IDOK);
    });
    EXPECT_EQ(dialog.run_modal(), IDOK);
    EXPECT_EQ(dialog.ok_calls, 1);
    EXPECT_EQ(ok_button.reflected(), std::vector<UINT>{reflected_command});

    scripted_dialog cancelled([](scripted_dialog& self) { click_button(self, IDCANCEL); });
    EXPECT_EQ(cancelled.run_modal(), IDCANCEL);
    EXPECT_EQ(cancelled.cancel_calls, 1);
}

TEST(DialogImpl, WithoutModalOkAndCancelReachTheHooksButDoNotEndTheDialog) {
    bool open_after_buttons = false;
    scripted_dialog dialog([&](scripted_dialog& self) {
        click_button(self, IDOK);
        click_button(self, IDCANCEL);
        self.pump();
        open_after_buttons = IsWindowVisible(self.handle) != FALSE;
        self.end_dialog(9);
    });
    EXPECT_EQ(dialog.run_without_modal(), 9);
    EXPECT_TRUE(open_after_buttons);
    EXPECT_EQ(dialog.ok_calls, 1);
    EXPECT_EQ(dialog.cancel_calls, 1);
}

TEST(DialogImpl, ReflectionRowsThatCanGoWrong) {
    recording_control<> button;
    std::vector<UINT> drawn_with_menu_wparam;
    std::vector<UINT> click_on_item;
    INT_PTR click_without_item = -1;
    INT_PTR accelerator = -1;
    scripted_dialog dialog([&](scripted_dialog& self) {
        button.attach(self.item(IDC_TEST_BUTTON).handle);
        button.answer_reflected = 0x77;

        DRAWITEMSTRUCT item{};
        item.hwndItem = button.handle;
        SendMessageW(self.handle, WM_DRAWITEM, 0, reinterpret_cast<LPARAM>(&item));
        drawn_with_menu_wparam = button.reflected();

        button.received.clear();
        SendMessageW(self.handle, WM_PARENTNOTIFY, MAKEWPARAM(WM_LBUTTONDOWN, IDC_TEST_BUTTON),
                     MAKELPARAM(3, 3));
        click_on_item = button.reflected();

        click_without_item =
            self.dialog_proc(WM_PARENTNOTIFY, MAKEWPARAM(WM_LBUTTONDOWN, 4321), MAKELPARAM(3, 3));
        accelerator = self.dialog_proc(WM_COMMAND, MAKEWPARAM(40002, 1), 0);
        self.end_dialog(IDCANCEL);
    });
    dialog.run_modal();
    EXPECT_TRUE(drawn_with_menu_wparam.empty());
    EXPECT_EQ(click_on_item, std::vector<UINT>{reflected_parent_notify});
    EXPECT_EQ(click_without_item, 0);
    EXPECT_EQ(accelerator, 0);
}

TEST(DialogImpl, DialogColourIsTheSystemsUnlessTheBackgroundIsTurnedOff) {
    INT_PTR with_system_background = -1;
    INT_PTR without = -1;
    scripted_dialog dialog([&](scripted_dialog& self) {
        with_system_background = self.dialog_proc(WM_CTLCOLORDLG, 0, 0);
        self.system_background = false;
        without = self.dialog_proc(WM_CTLCOLORDLG, 0, 0);
        self.end_dialog(IDCANCEL);
    });
    dialog.run_modal();
    EXPECT_EQ(with_system_background, 0);
    EXPECT_EQ(without, reinterpret_cast<INT_PTR>(GetSysColorBrush(COLOR_WINDOW)));
}

TEST(DialogImpl, AfterTheLoopDestroyOnlyUnbindsAndEndDialogRaises) {
    scripted_dialog dialog([](scripted_dialog& self) {
        EXPECT_THROW(self.item(4321), kestrov_exception);
        self.end_dialog(IDOK);
    });
    EXPECT_EQ(dialog.run_modal(), IDOK);
    EXPECT_THROW(dialog.end_dialog(IDOK), kestrov_exception);
    dialog.destroy();
    EXPECT_EQ(dialog.handle, nullptr);
}

TEST(DialogImpl, RunModalOfAMissingTemplateRaisesInsteadOfLookingCancelled) {
    scripted_dialog dialog([](scripted_dialog& self) { self.end_dialog(IDOK); });
    EXPECT_THROW(run_modal(dialog, IDD_TEST_MISSING, nullptr), kestrov_exception);
    EXPECT_EQ(dialog.init_calls, 0);
}

} // namespace
} // namespace kestrov::winapi
