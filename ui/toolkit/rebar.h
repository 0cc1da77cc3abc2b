// The rebar that carries the toolbar and the group combo box, each in a band of its own.
#pragma once

#include "ui/toolkit/window.h"

namespace kestrov::winapi {

class tool_bar;

class rebar : public window {
public:
    rebar() = default;
    // The window belongs to the rebar object, whatever `owned` says.
    ~rebar() override;
    void destroy() override;

    void create(HWND parent);
    // Appends a band with the toolbar, as high as its images plus a margin.
    void insert_toolbar_band(const tool_bar& bar);
    // Appends a band with another child window at its current size.
    void insert_control_band(const window& control);
};

} // namespace kestrov::winapi
