// The program's owner of one image loaded from a file.
#pragma once

#include "image/engine/image.h"

#include <memory>
#include <string>

namespace kestrov::gdi {

class bitmap_plus {
public:
    bitmap_plus() = default;
    // Loads the file at once; raises as `load` does.
    explicit bitmap_plus(const std::wstring& path);
    bitmap_plus(const bitmap_plus&) = delete;
    bitmap_plus& operator=(const bitmap_plus&) = delete;
    virtual ~bitmap_plus();

    // Replaces the held image with the file at `path`. Raises gdiplus_exception with the library's
    // status when the file cannot be read, and is then empty.
    void load(const std::wstring& path);
    // Drops the held image, which closes its file.
    virtual void release();

    imaging::image* bitmap() const { return bitmap_.get(); }
    const std::wstring& file_name() const { return file_name_; }

private:
    std::unique_ptr<imaging::image> bitmap_;
    std::wstring file_name_;
};

} // namespace kestrov::gdi
