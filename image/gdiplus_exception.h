// A failure of the imaging library: a kestrov_exception that also carries the library's status.
#pragma once

#include "base/kestrov_exception.h"
#include "image/engine/status.h"

namespace kestrov::gdi {

class gdiplus_exception : public kestrov_exception {
public:
    // A library call failed with `status`: the text of the thread's last Win32 error, code E_FAIL.
    explicit gdiplus_exception(imaging::status status);

    // The image object could not even be allocated.
    static gdiplus_exception allocation_failed();
    // No encoder fits the file's name.
    static gdiplus_exception no_encoder();

    imaging::status status() const noexcept { return status_; }

private:
    gdiplus_exception(std::string message, hresult code, imaging::status status);

    imaging::status status_;
};

} // namespace kestrov::gdi
