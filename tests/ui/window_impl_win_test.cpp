#include "ui/toolkit/window_impl.h"

#include "ui/recording_control.h"
#include "ui/test_window.h"
#include "ui/toolkit/reflection.h"

#include <gtest/gtest.h>

namespace kestrov::winapi {
namespace {

using testing::recording_control;
using testing::test_window;

class once_registered : public window_impl {
public:
    const wchar_t* class_name() const override { return L"mirtel_registered_once"; }
};

TEST(WindowImpl, RegisterClassTwiceRegistersOnlyTheFirstTime) {
    UnregisterClassW(L"mirtel_registered_once", this_module());
    once_registered first;
    EXPECT_TRUE(first.register_class());
    once_registered second;
    EXPECT_FALSE(second.register_class());
}

TEST(WindowImpl, TheObjectSeesItsWindowFromItsFirstMessageOn) {
    test_window top;
    top.open();
    EXPECT_TRUE(top.owned);
    EXPECT_EQ(GetWindowLongPtrW(top.handle, GWLP_USERDATA), reinterpret_cast<LONG_PTR>(&top));
    // Creation's own messages reach the object, WM_NCCREATE first, with the handle already set.
    ASSERT_FALSE(top.seen.empty());
    EXPECT_EQ(top.seen.front().message, UINT{WM_NCCREATE});
    for (const UINT early : {UINT{WM_NCCALCSIZE}, UINT{WM_CREATE}}) {
        EXPECT_TRUE(top.saw(early)) << early;
    }
    SetWindowTextW(top.handle, L"Nový titulek");
    EXPECT_TRUE(top.saw(WM_SETTEXT));
    for (const auto& received : top.seen) {
        EXPECT_EQ(received.handle_then, top.handle) << received.message;
    }
}

// A top-level test window with one subclassed push button (id 7) to reflect to.
class reflection_in_window : public ::testing::Test {
protected:
    void SetUp() override {
        top.open();
        button.attach(CreateWindowExW(0, L"Button", L"Tlačítko", WS_CHILD | BS_PUSHBUTTON, 0, 0, 80,
                                      24, top.handle, reinterpret_cast<HMENU>(7), this_module(),
                                      nullptr));
        button.answer_reflected = 0x5A5A;
    }

    LRESULT send(UINT message, WPARAM wparam, LPARAM lparam) {
        button.received.clear();
        return SendMessageW(top.handle, message, wparam, lparam);
    }

    test_window top;
    recording_control<> button;
};

TEST_F(reflection_in_window, DrawItemIsReflectedOnlyForControls) {
    DRAWITEMSTRUCT item{};
    item.CtlID = 7;
    item.hwndItem = button.handle;
    EXPECT_EQ(send(WM_DRAWITEM, 7, reinterpret_cast<LPARAM>(&item)), 0x5A5A);
    EXPECT_EQ(button.reflected(), std::vector<UINT>{reflected_draw_item});
    // wParam 0 is a menu item.
    send(WM_DRAWITEM, 0, reinterpret_cast<LPARAM>(&item));
    EXPECT_TRUE(button.reflected().empty());
}

TEST_F(reflection_in_window, ACommandWithoutControlGoesToTheDefault) {
    EXPECT_EQ(send(WM_COMMAND, MAKEWPARAM(40001, 0), 0), 0);
    EXPECT_TRUE(button.reflected().empty());

    // A real click: the button's WM_COMMAND comes back to it.
    button.answer_reflected = 0;
    button.received.clear();
    SendMessageW(button.handle, BM_CLICK, 0, 0);
    EXPECT_EQ(button.reflected(), std::vector<UINT>{reflected_command});
}

TEST_F(reflection_in_window, ParentNotifyForAClickGoesToTheItemUnderTheIdOrNowhere) {
    EXPECT_EQ(send(WM_PARENTNOTIFY, MAKEWPARAM(WM_LBUTTONDOWN, 7), MAKELPARAM(5, 5)), 0x5A5A);
    EXPECT_EQ(button.reflected(), std::vector<UINT>{reflected_parent_notify});

    EXPECT_EQ(send(WM_PARENTNOTIFY, MAKEWPARAM(WM_LBUTTONDOWN, 99), MAKELPARAM(5, 5)), 0);
    EXPECT_TRUE(button.reflected().empty());
}

TEST_F(reflection_in_window, TheDialogColourIsTheWindowBrush) {
    EXPECT_EQ(send(WM_CTLCOLORDLG, 0, 0),
              reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_WINDOW)));
}

// A child window class that records the reflected messages it receives.
std::vector<UINT> child_reflected;

LRESULT CALLBACK recording_child_proc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message >= reflected_offset && message < 2 * reflected_offset) {
        child_reflected.push_back(message);
    }
    return DefWindowProcW(hwnd, message, wparam, lparam);
}

TEST(WindowImplReflection, ACreatedOrDestroyedChildHearsOfItThroughItsParent) {
    WNDCLASSEXW child_class{};
    child_class.cbSize = sizeof child_class;
    child_class.lpfnWndProc = recording_child_proc;
    child_class.hInstance = this_module();
    child_class.lpszClassName = L"mirtel_recording_child";
    RegisterClassExW(&child_class);

    test_window top;
    top.open();
    child_reflected.clear();
    const HWND child = CreateWindowExW(0, L"mirtel_recording_child", L"", WS_CHILD, 0, 0, 10, 10,
                                       top.handle, nullptr, this_module(), nullptr);
    DestroyWindow(child);
    EXPECT_EQ(child_reflected,
              (std::vector<UINT>{reflected_parent_notify, reflected_parent_notify}));
}

} // namespace
} // namespace kestrov::winapi
