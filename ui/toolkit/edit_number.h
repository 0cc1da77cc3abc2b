// A dialog's edit control for an unsigned number. It shows a tooltip saying what it accepts and,
// when the user leaves it with something unusable, shows the last accepted value again.
#pragma once

#include "ui/toolkit/control_impl.h"

#include <cstdint>

namespace kestrov::winapi {

class edit_number : public control_impl<window> {
public:
    edit_number() = default;
    // Also destroys a hint that is still there: once the object is gone nothing else would.
    ~edit_number() override;

    // Binds to `edit`: digits only, no bounds, the value 0 shown, a new hint, subclassed.
    void attach(HWND edit);
    // Sets the bounds (0 leaves a side open) and rewrites the hint to match.
    void set_bounds(std::uint32_t new_minimum, std::uint32_t new_maximum);
    // The number in the edit when it is a valid unsigned number within the bounds.
    bool get_value(std::uint32_t& out) const;
    // Puts the control's own procedure back; the hint stays until the edit is destroyed.
    void destroy() override;
    LRESULT window_proc(UINT message, WPARAM wparam, LPARAM lparam) override;

    std::uint32_t minimum = 0; // 0: no lower bound
    std::uint32_t maximum = 0; // 0: no upper bound
    std::uint32_t value = 0;   // the last accepted value
    HWND hint = nullptr;       // the edit's own tooltip

private:
    void create_hint();
    void destroy_hint();
    // Accepts the edit's number, or shows the last accepted one again.
    bool validate();
};

} // namespace kestrov::winapi
