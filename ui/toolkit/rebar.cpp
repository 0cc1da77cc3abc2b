#include "ui/toolkit/rebar.h"

#include "base/kestrov_exception.h"
#include "ui/toolkit/bar_support.h"
#include "ui/toolkit/tool_bar.h"

#include <commctrl.h>

namespace kestrov::winapi {

namespace {

// WS_CHILD | WS_VISIBLE | RBS_BANDBORDERS | CCS_NODIVIDER | CCS_NOPARENTALIGN | CCS_TOP: the main
// window's layout places the rebar itself.
constexpr DWORD rebar_style = 0x50000449;
constexpr UINT tool_bar_band_id = 1011;
constexpr UINT control_band_id = 1010;
constexpr UINT tool_bar_band_width = 240;

struct band_size {
    UINT min_width;
    UINT min_height;
    UINT width;
};

void insert_band(HWND bar, HWND child, band_size size, UINT id) {
    REBARBANDINFOW band{};
    band.cbSize = sizeof band;
    band.fMask = RBBIM_STYLE | RBBIM_TEXT | RBBIM_CHILD | RBBIM_CHILDSIZE | RBBIM_SIZE | RBBIM_ID;
    band.fStyle = RBBS_BREAK | RBBS_GRIPPERALWAYS;
    band.hwndChild = child;
    band.cxMinChild = size.min_width;
    band.cyMinChild = size.min_height;
    band.cyIntegral = 1;
    band.cx = size.width;
    band.wID = id;
    if (SendMessageW(bar, RB_INSERTBANDW, static_cast<WPARAM>(-1),
                     reinterpret_cast<LPARAM>(&band)) == 0) {
        raise_last_error();
    }
}

} // namespace

rebar::~rebar() {
    destroy_bar_quietly(*this);
}

void rebar::destroy() {
    destroy_bar(*this);
}

void rebar::create(HWND parent) {
    destroy();
    handle = create_bar_window(REBARCLASSNAMEW, L"kestrov_rebar", rebar_style, parent);
    REBARINFO info{};
    info.cbSize = sizeof info;
    if (SendMessageW(handle, RB_SETBARINFO, 0, reinterpret_cast<LPARAM>(&info)) == 0) {
        raise_last_error();
    }
}

void rebar::insert_toolbar_band(const tool_bar& bar) {
    require_window(handle);
    const auto images =
        reinterpret_cast<HIMAGELIST>(SendMessageW(bar.handle, TB_GETIMAGELIST, 0, 0));
    if (images == nullptr) {
        raise_last_error();
    }
    int image_width = 0;
    int image_height = 0;
    if (!ImageList_GetIconSize(images, &image_width, &image_height)) {
        raise_last_error();
    }
    // The images are square; 8 pixels leave room for the button's frame.
    const auto height = static_cast<UINT>(image_width + 8);
    insert_band(handle, bar.handle, {tool_bar_band_width, height, tool_bar_band_width},
                tool_bar_band_id);
}

void rebar::insert_control_band(const window& control) {
    require_window(handle);
    require_window(control.handle);
    RECT area{};
    if (!GetWindowRect(control.handle, &area)) {
        raise_last_error();
    }
    const auto width = static_cast<UINT>(area.right - area.left);
    const auto height = static_cast<UINT>(area.bottom - area.top);
    insert_band(handle, control.handle, {width, height, width}, control_band_id);
}

} // namespace kestrov::winapi
