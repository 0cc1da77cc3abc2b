#include "ui/toolkit/combo_box.h"
#include "ui/toolkit/image_list_pair.h"
#include "ui/toolkit/rebar.h"
#include "ui/toolkit/status_bar.h"
#include "ui/toolkit/tool_bar.h"

#include "base/kestrov_exception.h"
#include "res/resource_ids.h"
#include "ui/test_window.h"

#include <gtest/gtest.h>

#include <commctrl.h>

namespace kestrov::winapi {
namespace {

using testing::test_window;

// The main window's bars as the program builds them.
class bars : public ::testing::Test {
protected:
    void SetUp() override {
        frame.open();
        for (const int bitmap :
             {IDB_TOOLBAR_OPEN, IDB_TOOLBAR_SAVE, IDB_TOOLBAR_QUIT, IDB_TOOLBAR_SETTINGS}) {
            images.add_bitmap(bitmap);
        }
        strip.create(frame.handle);
        buttons.create(strip.handle, images.normal, images.grey);
        strip.insert_toolbar_band(buttons);
    }

    REBARBANDINFOW band(UINT index) {
        REBARBANDINFOW info{};
        info.cbSize = sizeof info;
        info.fMask = RBBIM_CHILDSIZE | RBBIM_ID | RBBIM_CHILD;
        SendMessageW(strip.handle, RB_GETBANDINFOW, index, reinterpret_cast<LPARAM>(&info));
        return info;
    }

    test_window frame;
    image_list_pair images{true};
    rebar strip;
    tool_bar buttons;
};

TEST_F(bars, TheToolbarBandIsAsHighAsTheImagesPlusEight) {
    const auto info = band(0);
    EXPECT_EQ(info.hwndChild, buttons.handle);
    EXPECT_EQ(info.cyMinChild, 24U);
    EXPECT_EQ(info.wID, 1011U);
}

TEST_F(bars, ButtonsAreAppendedAndTheComboBandTakesTheComboSize) {
    buttons.add_button(40002, 0);
    buttons.add_separator();
    buttons.add_button(40001, 2);
    ASSERT_EQ(SendMessageW(buttons.handle, TB_BUTTONCOUNT, 0, 0), 3);
    TBBUTTON last{};
    SendMessageW(buttons.handle, TB_GETBUTTON, 2, reinterpret_cast<LPARAM>(&last));
    EXPECT_EQ(last.idCommand, 40001);
    EXPECT_EQ(last.iBitmap, 2);

    combo_box groups;
    groups.create(strip.handle);
    RECT size{};
    GetWindowRect(groups.handle, &size);
    strip.insert_control_band(groups);
    const auto info = band(1);
    EXPECT_EQ(info.hwndChild, groups.handle);
    EXPECT_EQ(info.wID, 1010U);
    EXPECT_EQ(info.cyMinChild, static_cast<UINT>(size.bottom - size.top));
}

TEST_F(bars, BarsDestroyTheirWindowsWhateverOwnedSaysAndThenRefuseButtons) {
    status_bar status;
    status.create(frame.handle);
    const HWND windows[] = {status.handle, buttons.handle, strip.handle};
    EXPECT_FALSE(buttons.owned);
    status.destroy();
    buttons.destroy();
    strip.destroy();
    for (const HWND gone : windows) {
        EXPECT_FALSE(IsWindow(gone));
    }
    EXPECT_THROW(buttons.add_button(40002, 0), kestrov_exception);
    EXPECT_THROW(buttons.add_separator(), kestrov_exception);
}

} // namespace
} // namespace kestrov::winapi
