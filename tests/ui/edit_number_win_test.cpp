#include "ui/toolkit/edit_number.h"

#include "ui/scripted_dialog.h"
#include "ui/test_resource_ids.h"

#include <gtest/gtest.h>

#include <commctrl.h>

namespace kestrov::winapi {
namespace {

using testing::scripted_dialog;

std::wstring hint_text(const edit_number& edit) {
    wchar_t buffer[128] = {};
    TOOLINFOW tool{};
    tool.cbSize = sizeof tool;
    tool.hwnd = edit.handle;
    tool.lpszText = buffer;
    SendMessageW(edit.hint, TTM_GETTEXTW, 128, reinterpret_cast<LPARAM>(&tool));
    return buffer;
}

// Types `text` into the edit and moves the focus away, as a user leaving the field does.
void type_and_leave(scripted_dialog& dialog, const edit_number& edit, const wchar_t* text) {
    SetFocus(edit.handle);
    SetWindowTextW(edit.handle, text);
    SetFocus(dialog.item(IDC_TEST_BUTTON).handle);
}

TEST(EditNumber, AttachMakesADigitsOnlyEditShowingZeroWithAHint) {
    scripted_dialog dialog([](scripted_dialog& self) {
        const HWND control = self.item(IDC_TEST_EDIT).handle;
        SetWindowTextW(control, L"abc");
        edit_number edit;
        edit.attach(control);
        EXPECT_NE(GetWindowLongPtrW(control, GWL_STYLE) & ES_NUMBER, 0);
        EXPECT_EQ(window(control).text(), L"0");
        EXPECT_EQ(hint_text(edit), L"Zadejte číselnou hodnotu");

        edit.set_bounds(10, 20);
        EXPECT_EQ(hint_text(edit), L"Zadejte hodnotu v rozsahu 10 - 20");
        self.end_dialog(IDOK);
    });
    dialog.run_modal();
}

TEST(EditNumber, LeavingItEmptyOrUnusableShowsTheLastAcceptedValue) {
    scripted_dialog dialog([](scripted_dialog& self) {
        edit_number edit;
        edit.attach(self.item(IDC_TEST_EDIT).handle);
        type_and_leave(self, edit, L"");
        EXPECT_EQ(window(edit.handle).text(), L"0");

        type_and_leave(self, edit, L"1250");
        EXPECT_EQ(edit.value, 1250U);
        type_and_leave(self, edit, L"99999999999");
        EXPECT_EQ(edit.value, 1250U);
        EXPECT_EQ(window(edit.handle).text(), L"1250");

        edit.set_bounds(10, 2000);
        type_and_leave(self, edit, L"9");
        EXPECT_EQ(window(edit.handle).text(), L"1250");
        self.end_dialog(IDOK);
    });
    dialog.run_modal();
}

TEST(EditNumber, GetValueAcceptsTheLargestUnsignedNumberAndNothingBeyond) {
    scripted_dialog dialog([](scripted_dialog& self) {
        edit_number edit;
        edit.attach(self.item(IDC_TEST_EDIT).handle);
        std::uint32_t out = 7;
        SetWindowTextW(edit.handle, L"4294967295");
        EXPECT_TRUE(edit.get_value(out));
        EXPECT_EQ(out, 4294967295U);
        EXPECT_EQ(edit.value, 0U); // reading accepts nothing

        out = 7;
        SetWindowTextW(edit.handle, L"4294967296");
        EXPECT_FALSE(edit.get_value(out));
        EXPECT_EQ(out, 7U);
        EXPECT_EQ(window(edit.handle).text(), L"4294967296"); // nor does it repair
        self.end_dialog(IDOK);
    });
    dialog.run_modal();
}

TEST(EditNumber, TheHintGoesWithTheEditOrWithTheObject) {
    edit_number edit;
    HWND hint = nullptr;
    scripted_dialog dialog([&](scripted_dialog& self) {
        edit.attach(self.item(IDC_TEST_EDIT).handle);
        hint = edit.hint;

        // Detached before the edit goes: only the object can still remove its hint.
        HWND detached_hint = nullptr;
        {
            edit_number other;
            other.attach(self.item(IDC_TEST_SECOND_EDIT).handle);
            other.destroy();
            detached_hint = other.hint;
            EXPECT_TRUE(IsWindow(detached_hint));
        }
        EXPECT_FALSE(IsWindow(detached_hint));
        self.end_dialog(IDOK);
    });
    dialog.run_modal();
    EXPECT_FALSE(IsWindow(hint));
    EXPECT_EQ(edit.hint, nullptr);
}

} // namespace
} // namespace kestrov::winapi
