// The program's small dialogs from its own templates, each driven from a second thread as a person
// would drive it while the test thread runs the dialog's modal loop: text typed into the edit, the
// box ticked, OK or Esc pressed.
#include "ui/dialogs/dlg_nastaveni.h"
#include "ui/dialogs/dlg_program_info.h"
#include "ui/dialogs/dlg_vstup_textu.h"

#include "app/application_base_win.h"
#include "app/settings.h"
#include "app/version_info_win.h"
#include "res/resource_ids.h"
#include "win/dialog_driver.h"

#include "mirtel_version.h"

#include <commctrl.h>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <string>
#include <thread>
#include <utility>

namespace {

using namespace std::chrono_literals;

const auto text_of = kestrov::testing::window_text_of;

// The visible dialogs captioned `caption`, the first one found and how many there are.
std::pair<HWND, int> dialogs_captioned(const std::wstring& caption) {
    HWND first = nullptr;
    int count = 0;
    for (HWND found = FindWindowExW(nullptr, nullptr, L"#32770", caption.c_str()); found != nullptr;
         found = FindWindowExW(nullptr, found, L"#32770", caption.c_str())) {
        if (IsWindowVisible(found)) {
            first = first != nullptr ? first : found;
            ++count;
        }
    }
    return {first, count};
}

using kestrov::testing::dialog_driver;
using kestrov::testing::dialog_step;
using kestrov::testing::post_press;

// Drives the dialog that holds `control` from the driver's thread, once it has checked that the
// dialog is captioned `caption`. Whatever the steps see, they keep for the test thread to check
// once the dialog has ended.
dialog_step in_dialog(const std::wstring& caption, int control, std::function<void(HWND)> steps) {
    return {control, [caption, steps = std::move(steps)](HWND dialog) {
                EXPECT_EQ(text_of(dialog), caption);
                steps(dialog);
            }};
}

// Esc as the keyboard gives it to the control with the focus: the dialog's loop makes it Cancel.
void press_escape(HWND control) {
    PostMessageW(control, WM_KEYDOWN, VK_ESCAPE, 1);
    PostMessageW(control, WM_KEYUP, VK_ESCAPE, 0xC0000001);
}

void type_into(HWND control, const std::wstring& text) {
    SendMessageW(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

// The address behind a SysLink control's first anchor.
std::wstring link_address(HWND link) {
    LITEM item{};
    item.mask = LIF_ITEMINDEX | LIF_URL;
    item.iLink = 0;
    SendMessageW(link, LM_GETITEM, 0, reinterpret_cast<LPARAM>(&item));
    return item.szUrl;
}

// The tip that a tooltip window of this process shows over `control` of `parent`.
std::wstring tip_over(HWND parent, HWND control) {
    for (HWND tips = FindWindowExW(nullptr, nullptr, TOOLTIPS_CLASSW, nullptr); tips != nullptr;
         tips = FindWindowExW(nullptr, tips, TOOLTIPS_CLASSW, nullptr)) {
        std::wstring text = kestrov::testing::tool_tip_text(tips, parent, control);
        if (!text.empty()) {
            return text;
        }
    }
    return {};
}

class SmallDialogs : public ::testing::Test {
protected:
    void SetUp() override {
        application.large_icon = load_icon(SM_CXICON, SM_CYICON);
        application.small_icon = load_icon(SM_CXSMICON, SM_CYSMICON);
    }

    void TearDown() override {
        DestroyIcon(application.large_icon);
        DestroyIcon(application.small_icon);
    }

    static HICON load_icon(int width_metric, int height_metric) {
        return static_cast<HICON>(LoadImageW(
            GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_MIRTEL), IMAGE_ICON,
            GetSystemMetrics(width_metric), GetSystemMetrics(height_metric), LR_DEFAULTCOLOR));
    }

    kestrov::application_base application;
};

// OK gives back exactly what was typed, Czech and beyond the basic plane included; Esc keeps the
// caller's text whatever was typed; an emptied edit is an empty answer.
TEST_F(SmallDialogs, TextInputAnswersWhatWasTypedOnOkAndKeepsTheTextOnEscape) {
    ASSERT_EQ(application.product_name(), L"Mirtel info");
    const std::wstring typed = L"Příliš žluťoučký kůň úpěl ďábelské ódy – 𝄞 ☀";
    std::wstring text = L"Původní popis";

    std::wstring prompt_shown;
    std::wstring text_shown;
    LRESULT limit = 0;
    {
        dialog_driver driver({in_dialog(L"Mirtel info", IDC_TEXT_EDIT, [&](HWND dialog) {
            prompt_shown = text_of(GetDlgItem(dialog, IDC_TEXT_PROMPT));
            const HWND edit = GetDlgItem(dialog, IDC_TEXT_EDIT);
            text_shown = text_of(edit);
            limit = SendMessageW(edit, EM_GETLIMITTEXT, 0, 0);
            type_into(edit, typed);
            post_press(dialog, IDOK);
        })});
        EXPECT_TRUE(ask_text(application, text, L"Zadej popis obrázku"));
        EXPECT_EQ(driver.finish(), 1U);
    }
    EXPECT_EQ(prompt_shown, L"Zadej popis obrázku");
    EXPECT_EQ(text_shown, L"Původní popis");
    EXPECT_GT(limit, 1000000) << "long texts would be cut";
    EXPECT_EQ(text, typed);

    {
        dialog_driver driver({in_dialog(L"Mirtel info", IDC_TEXT_EDIT, [&](HWND dialog) {
            const HWND edit = GetDlgItem(dialog, IDC_TEXT_EDIT);
            type_into(edit, L"něco jiného");
            press_escape(edit);
        })});
        EXPECT_FALSE(ask_text(application, text, L"Zadej autora obrázku"));
        EXPECT_EQ(driver.finish(), 1U);
    }
    EXPECT_EQ(text, typed);

    {
        dialog_driver driver({in_dialog(L"Mirtel info", IDC_TEXT_EDIT, [&](HWND dialog) {
            type_into(GetDlgItem(dialog, IDC_TEXT_EDIT), L"");
            post_press(dialog, IDOK);
        })});
        EXPECT_TRUE(ask_text(application, text, L"Zadej autora obrázku"));
        EXPECT_EQ(driver.finish(), 1U);
    }
    EXPECT_EQ(text, L"");
}

// The box shows the flag as it is; OK stores the box's state in bit 0 alone, Cancel changes
// nothing.
TEST_F(SmallDialogs, PreferencesShowTheSaveAtOnceFlagAndChangeItOnlyOnOk) {
    const std::wstring caption = L"Předvolby - " + application.product_name();
    EXPECT_EQ(caption, L"Předvolby - Mirtel info");
    kestrov::settings_record settings; // every change saved at once
    LRESULT shown = -1;
    LRESULT after_click = -1;
    const auto click_box_then = [&](int button) {
        return [&, button](HWND dialog) {
            const HWND box = GetDlgItem(dialog, IDC_SAVE_AT_ONCE);
            shown = SendMessageW(box, BM_GETCHECK, 0, 0);
            SendMessageW(box, BM_CLICK, 0, 0);
            after_click = SendMessageW(box, BM_GETCHECK, 0, 0);
            post_press(dialog, button);
        };
    };

    {
        dialog_driver driver({in_dialog(caption, IDC_SAVE_AT_ONCE, click_box_then(IDOK))});
        EXPECT_TRUE(change_preferences(application, settings, nullptr));
        EXPECT_EQ(driver.finish(), 1U);
    }
    EXPECT_EQ(shown, BST_CHECKED);
    EXPECT_EQ(after_click, BST_UNCHECKED);
    EXPECT_FALSE(kestrov::saves_at_once(settings));
    EXPECT_EQ(settings.param, 2U);

    {
        dialog_driver driver({in_dialog(caption, IDC_SAVE_AT_ONCE, click_box_then(IDCANCEL))});
        EXPECT_FALSE(change_preferences(application, settings, nullptr));
        EXPECT_EQ(driver.finish(), 1U);
    }
    EXPECT_EQ(shown, BST_UNCHECKED);
    EXPECT_EQ(after_click, BST_CHECKED);
    EXPECT_EQ(settings.param, 2U);
}

// Asked for again while it is open (from the dialog's own thread, as the main window's command
// would be), the about box comes to the front and no second one opens.
kestrov::application_base* about_box_application = nullptr;
std::atomic<bool> asked_again{false};

void CALLBACK ask_for_about_box_again(HWND, UINT, UINT_PTR timer, DWORD) {
    KillTimer(nullptr, timer);
    show_about_box(*about_box_application, nullptr);
    asked_again = true;
}

struct about_box_seen {
    std::wstring name;
    LONG_PTR name_style = 0;
    std::wstring version;
    std::wstring copyright;
    std::wstring web_address;
    std::wstring email_address;
    std::wstring web_tip;
    std::wstring email_tip;
    int boxes_open = 0;
};

// The about box shows the product name drawn by its owner, the version line and the legal notice
// from the version resource, and the maker's links with their tips; it opens once at a time, and
// again once it has been closed.
TEST_F(SmallDialogs, AboutBoxShowsTheVersionResourceAndTheLinksAndOpensOnceAtATime) {
    const std::wstring caption = L"O aplikaci - " + application.product_name();
    EXPECT_EQ(caption, L"O aplikaci - Mirtel info");
    about_box_application = &application;
    for (int round = 0; round < 2; ++round) {
        about_box_seen seen;
        asked_again = false;
        dialog_driver driver({in_dialog(caption, IDC_ABOUT_NAME, [&](HWND dialog) {
            const HWND name = GetDlgItem(dialog, IDC_ABOUT_NAME);
            seen.name = text_of(name);
            seen.name_style = GetWindowLongPtrW(name, GWL_STYLE);
            seen.version = text_of(GetDlgItem(dialog, IDC_ABOUT_VERSION));
            seen.copyright = text_of(GetDlgItem(dialog, IDC_ABOUT_COPYRIGHT));
            seen.web_address = link_address(GetDlgItem(dialog, IDC_ABOUT_WEB));
            seen.email_address = link_address(GetDlgItem(dialog, IDC_ABOUT_EMAIL));
            seen.web_tip = tip_over(dialog, GetDlgItem(dialog, IDC_ABOUT_WEB));
            seen.email_tip = tip_over(dialog, GetDlgItem(dialog, IDC_ABOUT_EMAIL));
            const auto deadline = std::chrono::steady_clock::now() + 20s;
            while (!asked_again && std::chrono::steady_clock::now() < deadline) {
                std::this_thread::sleep_for(20ms);
            }
            seen.boxes_open = dialogs_captioned(caption).second;
            // Every box found is closed, so a second one opened by mistake ends the test too.
            for (HWND box = dialogs_captioned(caption).first; box != nullptr;
                 box = dialogs_captioned(caption).first) {
                post_press(box, IDOK);
                std::this_thread::sleep_for(100ms);
            }
        })});
        SetTimer(nullptr, 0, 200, ask_for_about_box_again);
        show_about_box(application, nullptr);
        ASSERT_EQ(driver.finish(), 1U);
        EXPECT_TRUE(asked_again);
        EXPECT_EQ(seen.boxes_open, 1);
        EXPECT_EQ(seen.name, L"Mirtel info");
        EXPECT_EQ(seen.name_style & (SS_TYPEMASK | SS_NOTIFY), SS_OWNERDRAW | SS_NOTIFY);
        EXPECT_EQ(seen.version, L"verze: " MIRTEL_VERSION_TEXT L"  (64-bitová verze)");
        EXPECT_FALSE(seen.copyright.empty());
        EXPECT_EQ(seen.copyright, kestrov::version_string(L"LegalCopyright"));
        EXPECT_EQ(seen.web_address, maker_web_page);
        EXPECT_EQ(seen.email_address, std::wstring(L"mailto:") + maker_email);
        EXPECT_EQ(seen.web_tip, L"Zobrazit web autora - Kestrov");
        EXPECT_EQ(seen.email_tip, L"Odeslat email autorovi aplikace - Kestrov");
    }
}

} // namespace
