// The status bar along the bottom of the main window.
#pragma once

#include "ui/toolkit/window.h"

namespace kestrov::winapi {

class status_bar : public window {
public:
    status_bar() = default;
    // The window belongs to the status bar object, whatever `owned` says.
    ~status_bar() override;
    void destroy() override;

    void create(HWND parent);
};

} // namespace kestrov::winapi
