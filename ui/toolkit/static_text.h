// A dialog's static control with its own font and colour, drawn by the object when the dialog
// gives the control the SS_OWNERDRAW style.
#pragma once

#include "ui/toolkit/control_impl.h"

#include <cstdint>

namespace kestrov::winapi {

// The text styles: plain, a semibold heading, a large heading, and a green note.
namespace text_styles {
inline constexpr std::uint8_t plain = 0;
inline constexpr std::uint8_t heading = 1;
inline constexpr std::uint8_t title = 2;
inline constexpr std::uint8_t note = 3;
} // namespace text_styles

class static_text : public control_impl<window> {
public:
    static_text() = default;
    ~static_text() override;

    // Binds to `control`, makes the style's font from the control's own font and subclasses it.
    // A control without a font of its own raises: there is nothing to derive the font from.
    void attach(HWND control, std::uint8_t style);
    // Puts the control's procedure back and deletes the font; the control itself stays.
    void destroy() override;
    LRESULT window_proc(UINT message, WPARAM wparam, LPARAM lparam) override;

    HFONT font = nullptr;
    std::uint8_t text_style = text_styles::plain;

private:
    LRESULT on_ctlcolor(HDC context);
    LRESULT on_draw_item(const DRAWITEMSTRUCT& item);
};

} // namespace kestrov::winapi
