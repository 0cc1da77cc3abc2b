#include "image/bitmap_plus.h"

#include "image/gdiplus_exception.h"

namespace kestrov::gdi {

bitmap_plus::bitmap_plus(const std::wstring& path) {
    load(path);
}

bitmap_plus::~bitmap_plus() {
    bitmap_plus::release();
}

void bitmap_plus::load(const std::wstring& path) {
    release();
    auto loaded = imaging::image::from_file(path);
    if (!loaded) {
        throw gdiplus_exception::allocation_failed();
    }
    const imaging::status result = loaded->last_status();
    if (result != imaging::status::ok) {
        throw gdiplus_exception(result);
    }
    bitmap_ = std::move(loaded);
    file_name_ = path;
}

void bitmap_plus::release() {
    bitmap_.reset();
    file_name_.clear();
}

} // namespace kestrov::gdi
