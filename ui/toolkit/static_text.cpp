#include "ui/toolkit/static_text.h"

#include "ui/toolkit/reflection.h"
#include "ui/toolkit/static_text_colour.h"

#include <cwchar>
#include <exception>

namespace kestrov::winapi {

namespace {

void change_font(LOGFONTW& font, std::uint8_t style) {
    const auto set_face = [&font](const wchar_t* face) {
        std::wcsncpy(font.lfFaceName, face, LF_FACESIZE - 1);
        font.lfFaceName[LF_FACESIZE - 1] = L'\0';
    };
    if (style == text_styles::heading) {
        font.lfHeight = -15;
        set_face(L"Segoe UI Semibold");
    } else if (style == text_styles::title) {
        font.lfHeight = -20;
        set_face(L"Verdana");
    }
}

} // namespace

static_text::~static_text() {
    try {
        static_text::destroy();
    } catch (const std::exception&) {
    }
}

void static_text::attach(HWND control, std::uint8_t style) {
    require_window(control);
    destroy();
    handle = control;
    text_style = style;

    LOGFONTW description{};
    const auto current = reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0));
    if (GetObjectW(current, sizeof description, &description) == 0) {
        raise_last_error();
    }
    change_font(description, style);
    font = CreateFontIndirectW(&description);
    if (font == nullptr) {
        raise_last_error();
    }
    subclass();
}

void static_text::destroy() {
    restore_procedure(true);
    handle = nullptr;
    if (font != nullptr) {
        const HFONT old = std::exchange(font, nullptr);
        if (!DeleteObject(old)) {
            raise_last_error();
        }
    }
    owned = false;
}

LRESULT static_text::window_proc(UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == reflected_ctlcolor_static) {
        return on_ctlcolor(reinterpret_cast<HDC>(wparam));
    }
    if (message == reflected_draw_item && lparam != 0) {
        return on_draw_item(*reinterpret_cast<const DRAWITEMSTRUCT*>(lparam));
    }
    return control_impl::window_proc(message, wparam, lparam);
}

// The control draws its own text here, so the font is not selected: a static control that is not
// owner-drawn keeps its own font and takes only the colour and the background.
LRESULT static_text::on_ctlcolor(HDC context) {
    SetBkMode(context, TRANSPARENT);
    SetTextColor(context, style_text_colour(text_style).value_or(GetSysColor(COLOR_WINDOWTEXT)));
    return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
}

LRESULT static_text::on_draw_item(const DRAWITEMSTRUCT& item) {
    const std::wstring content = text();
    if (const auto drawn = drawn_text_colour(text_style, GetSysColor(COLOR_WINDOWTEXT))) {
        SetTextColor(item.hDC, *drawn);
    }
    SetBkMode(item.hDC, TRANSPARENT);
    const HGDIOBJ previous = SelectObject(item.hDC, font);
    RECT area = item.rcItem;
    FillRect(item.hDC, &area, GetSysColorBrush(COLOR_BTNFACE));
    DrawTextW(item.hDC, content.c_str(), -1, &area, DT_SINGLELINE);
    SelectObject(item.hDC, previous);
    return 1;
}

} // namespace kestrov::winapi
