// A tooltip window that shows string resources over child controls of one window.
#pragma once

#include "ui/toolkit/window.h"

namespace kestrov::winapi {

class tool_tip : public window {
public:
    tool_tip() = default;
    ~tool_tip() override;

    // Creates the tooltip window for the controls of `parent_window`.
    void create(HWND parent_window);
    // Shows string resource `string_id` of this module over `control`; 0 registers it without a
    // text.
    void add_tool(HWND control, UINT string_id);
    // Destroys the tooltip window, whoever made it.
    void destroy() override;

    HWND parent = nullptr;
};

} // namespace kestrov::winapi
