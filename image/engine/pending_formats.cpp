// Stand-ins for the container readers that are not in the tree yet: such files are recognised
// and answered as an unknown format. Built only while those readers are missing.
#include "image/engine/container.h"

#include "app/hresult.h"
#include "app/last_error.h"

namespace kestrov::imaging {

namespace {
status not_readable_yet(byte_source&, decoded_metadata&) {
    set_last_error(win32::error_unsupported_type);
    return status::unknown_image_format;
}
} // namespace

status read_png(byte_source& s, decoded_metadata& o) {
    return not_readable_yet(s, o);
}
status read_gif(byte_source& s, decoded_metadata& o) {
    return not_readable_yet(s, o);
}
status read_bmp(byte_source& s, decoded_metadata& o) {
    return not_readable_yet(s, o);
}
status read_ico(byte_source& s, decoded_metadata& o) {
    return not_readable_yet(s, o);
}
status read_emf(byte_source& s, decoded_metadata& o) {
    return not_readable_yet(s, o);
}
status read_wmf(byte_source& s, decoded_metadata& o) {
    return not_readable_yet(s, o);
}

} // namespace kestrov::imaging
