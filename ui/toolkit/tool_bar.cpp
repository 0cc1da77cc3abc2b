#include "ui/toolkit/tool_bar.h"

#include "base/kestrov_exception.h"
#include "ui/toolkit/bar_support.h"

namespace kestrov::winapi {

namespace {
// WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | TBSTYLE_TRANSPARENT | TBSTYLE_FLAT |
// TBSTYLE_WRAPABLE | TBSTYLE_TOOLTIPS | CCS_NODIVIDER | CCS_NORESIZE | CCS_TOP: the rebar, not the
// toolbar, decides size and place.
constexpr DWORD tool_bar_style = 0x56008B45;
} // namespace

tool_bar::~tool_bar() {
    destroy_bar_quietly(*this);
}

void tool_bar::destroy() {
    destroy_bar(*this);
}

void tool_bar::create(HWND parent, HIMAGELIST images, HIMAGELIST disabled_images) {
    require_window(parent);
    destroy();
    handle = create_bar_window(TOOLBARCLASSNAMEW, L"", tool_bar_style, parent);
    SendMessageW(handle, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
    SendMessageW(handle, TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(images));
    SendMessageW(handle, TB_SETEXTENDEDSTYLE, 0, TBSTYLE_EX_DRAWDDARROWS);
    SendMessageW(handle, TB_SETDISABLEDIMAGELIST, 0, reinterpret_cast<LPARAM>(disabled_images));
}

void tool_bar::add_button(int command_id, int image_index) {
    TBBUTTON button{};
    button.iBitmap = image_index;
    button.idCommand = command_id;
    button.fsState = TBSTATE_ENABLED;
    button.fsStyle = BTNS_AUTOSIZE;
    insert(button);
}

void tool_bar::add_separator() {
    static const wchar_t empty[] = L"";
    TBBUTTON separator{};
    separator.fsState = TBSTATE_ENABLED;
    separator.fsStyle = BTNS_SEP;
    separator.iString = reinterpret_cast<INT_PTR>(empty);
    insert(separator);
}

void tool_bar::insert(const TBBUTTON& button) {
    require_window(handle);
    if (SendMessageW(handle, TB_INSERTBUTTONW, static_cast<WPARAM>(-1),
                     reinterpret_cast<LPARAM>(&button)) == 0) {
        raise_last_error();
    }
}

} // namespace kestrov::winapi
