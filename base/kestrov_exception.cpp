#include "base/kestrov_exception.h"

#include "base/last_error.h"
#include "base/system_message.h"

namespace kestrov {

namespace {
hresult last_error_code() {
    return hresult_from_win32(last_error());
}
} // namespace

kestrov_exception::kestrov_exception() : kestrov_exception(last_error_code()) {}

kestrov_exception::kestrov_exception(const char* message) : code_(e_invalidarg) {
    if (message != nullptr) {
        message_ = std::make_shared<const std::string>(message);
    }
}

kestrov_exception::kestrov_exception(const std::string& message)
    : message_(std::make_shared<const std::string>(message)), code_(e_invalidarg) {}

kestrov_exception::kestrov_exception(hresult code)
    : message_(std::make_shared<const std::string>(system_message(code))), code_(code) {}

kestrov_exception::kestrov_exception(std::string message, hresult code)
    : message_(std::make_shared<const std::string>(std::move(message))), code_(code) {}

const char* kestrov_exception::what() const noexcept {
    return message_ ? message_->c_str() : "Unknown exception";
}

hresult last_error_hresult(bool fail_if_zero) {
    const hresult code = last_error_code();
    return (code == s_ok && fail_if_zero) ? e_fail : code;
}

void raise_last_error(hresult code) {
    if (code != s_ok) {
        set_last_error(code & 0xFFFFU);
    }
    const std::uint32_t error = last_error();
    kestrov_exception raised;
    // Looking up the message text may overwrite the last error; the catcher still sees the one
    // that was raised.
    set_last_error(error);
    throw raised;
}

} // namespace kestrov
