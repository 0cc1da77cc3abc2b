#include "ui/toolkit/window.h"

#include "base/kestrov_exception.h"
#include "ui/test_window.h"

#include <gtest/gtest.h>

namespace kestrov::winapi {
namespace {

using testing::test_window;

TEST(Window, DestroyLeavesAWindowItDoesNotOwnAlive) {
    test_window top;
    top.open();
    {
        window wrapper(top.handle);
        wrapper.destroy();
        EXPECT_EQ(wrapper.handle, nullptr);
        EXPECT_TRUE(IsWindow(top.handle));
        const window scoped(top.handle);
    } // nor do their destructors
    EXPECT_TRUE(IsWindow(top.handle));
    EXPECT_THROW(window(reinterpret_cast<HWND>(static_cast<INT_PTR>(0x12345))), kestrov_exception);
}

TEST(Window, DestroyOfAnOwnedWindowDestroysItOnceAndSoDoesTheDestructor) {
    test_window top;
    top.open();
    const HWND created = top.handle;
    top.destroy();
    EXPECT_FALSE(IsWindow(created));
    EXPECT_FALSE(top.owned);
    EXPECT_TRUE(top.saw(WM_DESTROY));
    EXPECT_NO_THROW(top.destroy());

    HWND scoped_window = nullptr;
    {
        test_window scoped;
        scoped.open();
        scoped_window = scoped.handle;
    }
    EXPECT_FALSE(IsWindow(scoped_window));
}

TEST(Window, TextAndParentOfAChild) {
    test_window top;
    top.open();
    const window child(CreateWindowExW(0, L"Static", L"Popisné údaje – GPS", WS_CHILD, 0, 0, 50, 20,
                                       top.handle, nullptr, this_module(), nullptr));
    EXPECT_EQ(child.text(), L"Popisné údaje – GPS");
    EXPECT_EQ(child.parent().handle, top.handle);
    EXPECT_THROW(window().parent(), kestrov_exception);
}

} // namespace
} // namespace kestrov::winapi
