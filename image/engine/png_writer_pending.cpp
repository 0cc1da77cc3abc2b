// Saving PNG files is not in the tree yet: until it is, a save is refused rather than done wrong.
#include "image/engine/container_writer.h"

#include "app/hresult.h"
#include "app/last_error.h"

namespace kestrov::imaging {

status write_png(byte_source&, const decoded_metadata&, byte_sink&) {
    set_last_error(win32::error_not_supported);
    return status::not_implemented;
}

} // namespace kestrov::imaging
