#include "image/gdiplus_exception.h"

#include "base/last_error.h"
#include "base/system_message.h"

namespace kestrov::gdi {

gdiplus_exception::gdiplus_exception(imaging::status status)
    : gdiplus_exception(system_message(hresult_from_win32(last_error())), e_fail, status) {}

gdiplus_exception::gdiplus_exception(std::string message, hresult code, imaging::status status)
    : kestrov_exception(std::move(message), code), status_(status) {}

gdiplus_exception gdiplus_exception::allocation_failed() {
    return {"Nepodařilo se vytvořit instanci objektu Gdiplus::Bitmap", last_error_hresult(true),
            imaging::status::ok};
}

gdiplus_exception gdiplus_exception::no_encoder() {
    return {system_message(e_invalidarg), e_invalidarg, imaging::status::ok};
}

} // namespace kestrov::gdi
