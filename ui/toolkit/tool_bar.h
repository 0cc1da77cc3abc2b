// The toolbar: flat, transparent buttons with tooltips, showing images from an image list pair
// (normal and disabled).
#pragma once

#include "ui/toolkit/window.h"

#include <commctrl.h>

namespace kestrov::winapi {

class tool_bar : public window {
public:
    tool_bar() = default;
    // The window belongs to the toolbar object, whatever `owned` says.
    ~tool_bar() override;
    void destroy() override;

    // Creates the toolbar inside `parent` (the rebar) with its normal and disabled images.
    void create(HWND parent, HIMAGELIST images, HIMAGELIST disabled_images);
    // Appends an enabled, auto-sized button sending `command_id` and showing image `image_index`.
    void add_button(int command_id, int image_index);
    void add_separator();

private:
    void insert(const TBBUTTON& button);
};

} // namespace kestrov::winapi
