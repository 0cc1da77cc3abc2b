#include "ui/toolkit/status_bar.h"

#include "ui/toolkit/bar_support.h"

#include <commctrl.h>

namespace kestrov::winapi {

status_bar::~status_bar() {
    destroy_bar_quietly(*this);
}

void status_bar::destroy() {
    destroy_bar(*this);
}

void status_bar::create(HWND parent) {
    destroy();
    require_window(parent);
    handle =
        create_bar_window(STATUSCLASSNAMEW, L"", WS_CHILD | WS_VISIBLE | SBARS_TOOLTIPS, parent);
    owned = true;
}

} // namespace kestrov::winapi
