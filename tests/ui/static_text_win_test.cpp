#include "ui/toolkit/static_text.h"

#include "base/kestrov_exception.h"
#include "ui/scripted_dialog.h"
#include "ui/test_resource_ids.h"

#include <gtest/gtest.h>

namespace kestrov::winapi {
namespace {

using testing::scripted_dialog;

LOGFONTW font_of(HFONT font) {
    LOGFONTW description{};
    GetObjectW(font, sizeof description, &description);
    return description;
}

TEST(StaticText, StylesMakeTheirFontsFromTheControlsOwnAndDestroyDeletesThem) {
    scripted_dialog dialog([](scripted_dialog& self) {
        const HWND label = self.item(IDC_TEST_STATIC).handle;
        const LOGFONTW own =
            font_of(reinterpret_cast<HFONT>(SendMessageW(label, WM_GETFONT, 0, 0)));
        static_text text;
        text.attach(label, text_styles::plain);
        EXPECT_EQ(font_of(text.font).lfHeight, own.lfHeight);

        text.attach(label, text_styles::title);
        EXPECT_EQ(font_of(text.font).lfHeight, -20);
        EXPECT_STREQ(font_of(text.font).lfFaceName, L"Verdana");
        EXPECT_EQ(font_of(text.font).lfCharSet, own.lfCharSet);

        const HFONT font = text.font;
        text.destroy();
        EXPECT_EQ(GetObjectType(font), 0U);
        EXPECT_TRUE(IsWindow(label));

        // A control without a font of its own leaves nothing to derive one from.
        const HWND bare = CreateWindowExW(0, L"Static", L"holý", WS_CHILD, 0, 0, 40, 20,
                                          self.handle, nullptr, this_module(), nullptr);
        EXPECT_THROW(text.attach(bare, text_styles::plain), kestrov_exception);
        self.end_dialog(IDOK);
    });
    dialog.run_modal();
}

TEST(StaticText, ColourMessageThroughTheDialogSetsTheStylesColourOnButtonFace) {
    scripted_dialog dialog([](scripted_dialog& self) {
        static_text text;
        text.attach(self.item(IDC_TEST_STATIC).handle, text_styles::note);
        HDC context = GetDC(self.handle);
        const INT_PTR brush = self.dialog_proc(WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(context),
                                               reinterpret_cast<LPARAM>(text.handle));
        EXPECT_EQ(brush, reinterpret_cast<INT_PTR>(GetSysColorBrush(COLOR_BTNFACE)));
        EXPECT_EQ(GetTextColor(context), RGB(0, 96, 0));
        EXPECT_EQ(GetBkMode(context), TRANSPARENT);
        ReleaseDC(self.handle, context);
        self.end_dialog(IDOK);
    });
    dialog.run_modal();
}

TEST(StaticText, OwnerDrawnTextIsDrawnOnButtonFaceWithTheFontPutBack) {
    scripted_dialog dialog([](scripted_dialog& self) {
        static_text text;
        text.attach(self.item(IDC_TEST_DRAWN_STATIC).handle, text_styles::title);
        HDC screen = GetDC(nullptr);
        HDC context = CreateCompatibleDC(screen);
        HBITMAP canvas = CreateCompatibleBitmap(screen, 200, 30);
        const HGDIOBJ old_bitmap = SelectObject(context, canvas);
        const HGDIOBJ own_font = GetCurrentObject(context, OBJ_FONT);

        DRAWITEMSTRUCT item{};
        item.CtlType = ODT_STATIC;
        item.hwndItem = text.handle;
        item.hDC = context;
        item.rcItem = {0, 0, 200, 30};
        EXPECT_EQ(
            self.dialog_proc(WM_DRAWITEM, IDC_TEST_DRAWN_STATIC, reinterpret_cast<LPARAM>(&item)),
            1);
        if (GetSysColor(COLOR_WINDOWTEXT) == 0) {
            EXPECT_EQ(GetTextColor(context), RGB(160, 0, 0));
        }
        EXPECT_EQ(GetCurrentObject(context, OBJ_FONT), own_font);
        EXPECT_EQ(GetPixel(context, 199, 29), GetSysColor(COLOR_BTNFACE));

        SelectObject(context, old_bitmap);
        DeleteObject(canvas);
        DeleteDC(context);
        ReleaseDC(nullptr, screen);
        self.end_dialog(IDOK);
    });
    dialog.run_modal();
}

} // namespace
} // namespace kestrov::winapi
