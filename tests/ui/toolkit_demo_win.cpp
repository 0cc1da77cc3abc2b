// A window with the main window's bars, built by the toolkit the way the program builds them: a
// rebar with the toolbar (two buttons disabled, so both image lists show) and the group combo,
// and a status bar. For looking at the bars; it closes itself after the milliseconds given as its
// argument (10 seconds by default).
#include "app/application_base_win.h"
#include "app/message_box_style.h"
#include "res/resource_ids.h"
#include "ui/toolkit/combo_box.h"
#include "ui/toolkit/image_list_pair.h"
#include "ui/toolkit/rebar.h"
#include "ui/toolkit/status_bar.h"
#include "ui/toolkit/tool_bar.h"
#include "ui/toolkit/window_impl.h"

#include <cwchar>
#include <exception>

namespace {

using namespace kestrov::winapi;

constexpr UINT_PTR close_timer = 1;

class demo_frame : public window_impl {
public:
    const wchar_t* class_name() const override { return L"mirtel_toolkit_demo"; }

    void initialize(UINT lifetime_ms) {
        for (const int bitmap :
             {IDB_TOOLBAR_OPEN, IDB_TOOLBAR_SAVE, IDB_TOOLBAR_QUIT, IDB_TOOLBAR_SETTINGS}) {
            images_.add_bitmap(bitmap);
        }
        register_class();
        create(class_name(), L"Mirtel info – lišty", this_module());
        SetWindowPos(handle, nullptr, 60, 60, 640, 360, SWP_NOZORDER);

        bars_.create(handle);
        buttons_.create(bars_.handle, images_.normal, images_.grey);
        bars_.insert_toolbar_band(buttons_);
        buttons_.add_button(40002, 0);
        buttons_.add_button(40004, 1);
        buttons_.add_separator();
        buttons_.add_button(40005, 3);
        buttons_.add_separator();
        buttons_.add_button(40001, 2);
        // Nothing is open yet: saving and the preferences show their grey images.
        SendMessageW(buttons_.handle, TB_ENABLEBUTTON, 40004, FALSE);
        SendMessageW(buttons_.handle, TB_ENABLEBUTTON, 40005, FALSE);

        groups_.create(bars_.handle);
        groups_.add_item(L"Popisné údaje", 1);
        groups_.add_item(L"GPS - poloha", 2);
        groups_.add_item(L"Fotografické parametry", 4);
        groups_.add_item(L"Všechny", 7);
        groups_.select(0);
        bars_.insert_control_band(groups_);

        status_.create(handle);
        SendMessageW(status_.handle, SB_SETTEXTW, 0, reinterpret_cast<LPARAM>(L"Mirtel info"));

        ShowWindow(handle, SW_SHOW);
        RECT client{};
        GetClientRect(handle, &client);
        PostMessageW(handle, WM_SIZE, SIZE_RESTORED, MAKELPARAM(client.right, client.bottom));
        SetTimer(handle, close_timer, lifetime_ms, nullptr);
    }

    LRESULT window_proc(UINT message, WPARAM wparam, LPARAM lparam) override {
        switch (message) {
        case WM_SIZE:
            layout(wparam, lparam);
            return 0;
        case WM_TIMER:
            if (wparam == close_timer) {
                PostMessageW(handle, WM_CLOSE, 0, 0);
            }
            return 0;
        case WM_DESTROY:
            PostQuitMessage(0);
            return 0;
        default:
            return default_proc(message, wparam, lparam);
        }
    }

private:
    // The status bar places itself along the bottom; the rebar spans the top.
    void layout(WPARAM wparam, LPARAM lparam) {
        if (status_.handle != nullptr) {
            SendMessageW(status_.handle, WM_SIZE, wparam, lparam);
        }
        if (bars_.handle != nullptr) {
            MoveWindow(bars_.handle, 0, 0, LOWORD(lparam), 35, TRUE);
        }
    }

    image_list_pair images_{true};
    rebar bars_;
    tool_bar buttons_;
    combo_box groups_;
    status_bar status_;
};

} // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, wchar_t* arguments, int) {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_BAR_CLASSES | ICC_COOL_CLASSES};
    InitCommonControlsEx(&controls);
    const unsigned long given = std::wcstoul(arguments, nullptr, 10);
    try {
        demo_frame frame;
        frame.initialize(given != 0 ? static_cast<UINT>(given) : 10000);
        MSG message;
        while (GetMessageW(&message, nullptr, 0, 0) > 0) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    } catch (const std::exception& failure) {
        kestrov::application_base().show_message_ansi(failure.what(),
                                                      kestrov::message_box_flags::icon_error, 0);
        return 1;
    }
    return 0;
}
