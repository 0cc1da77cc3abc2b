#include "ui/toolkit/tool_tip.h"

#include "ui/scripted_dialog.h"
#include "ui/test_resource_ids.h"
#include "win/dialog_driver.h"

#include <gtest/gtest.h>

#include <commctrl.h>

namespace kestrov::winapi {
namespace {

using testing::scripted_dialog;

TEST(ToolTip, ShowsStringResourcesOrNoTextOverTheParentsControls) {
    scripted_dialog dialog([](scripted_dialog& self) {
        tool_tip tips;
        tips.create(self.handle);
        const HWND button = self.item(IDC_TEST_BUTTON).handle;
        const HWND edit = self.item(IDC_TEST_EDIT).handle;
        tips.add_tool(button, IDS_TEST_TIP);
        tips.add_tool(edit, 0);
        EXPECT_EQ(SendMessageW(tips.handle, TTM_GETTOOLCOUNT, 0, 0), 2);
        EXPECT_EQ(testing::tool_tip_text(tips.handle, self.handle, button), L"Otevřít obrázek");
        EXPECT_EQ(testing::tool_tip_text(tips.handle, self.handle, edit), L"");

        const HWND made = tips.handle;
        tips.owned = false; // the tooltip window is the object's whatever owned says
        tips.destroy();
        EXPECT_FALSE(IsWindow(made));
        self.end_dialog(IDOK);
    });
    dialog.run_modal();
}

} // namespace
} // namespace kestrov::winapi
