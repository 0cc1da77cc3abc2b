#include "image/engine/container.h"

#include "base/hresult.h"
#include "base/last_error.h"

namespace kestrov::imaging {

status unreadable_structure() {
    set_last_error(win32::error_invalid_data);
    return status::generic_error;
}

} // namespace kestrov::imaging
