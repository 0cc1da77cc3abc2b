// The list view classes under control_impl<list_view_report>. They add nothing of their own: the
// property list built on them carries its behaviour.
#pragma once

#include "ui/toolkit/window.h"

namespace kestrov::winapi {

class list_view : public window {
protected:
    list_view() = default;
};

class list_view_report : public list_view {
protected:
    list_view_report() = default;
};

} // namespace kestrov::winapi
