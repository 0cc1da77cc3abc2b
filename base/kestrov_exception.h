// The library's exception: a narrow (UTF-8) message and an HRESULT. Every failed platform call
// raises one, usually through raise_last_error.
#pragma once

#include "base/hresult.h"

#include <exception>
#include <memory>
#include <string>

namespace kestrov {

class kestrov_exception : public std::exception {
public:
    // The thread's last Win32 error, read once: its HRESULT form and the system's text for it.
    kestrov_exception();

    // A message of the program's own; the code is E_INVALIDARG. A null text means no message.
    explicit kestrov_exception(const char* message);
    explicit kestrov_exception(const std::string& message);

    // An HRESULT and the system's text for it.
    explicit kestrov_exception(hresult code);

    kestrov_exception(const kestrov_exception&) noexcept = default;
    kestrov_exception& operator=(const kestrov_exception&) noexcept = default;
    ~kestrov_exception() override = default;

    // The message, or "Unknown exception" when there is none.
    const char* what() const noexcept override;
    hresult code() const noexcept { return code_; }

protected:
    kestrov_exception(std::string message, hresult code);

private:
    // Shared so that copying an exception in flight never allocates (and so never throws).
    std::shared_ptr<const std::string> message_;
    hresult code_ = s_ok;
};

// The last Win32 error in HRESULT form; E_FAIL instead of 0 when fail_if_zero is set.
hresult last_error_hresult(bool fail_if_zero);

// Raises kestrov_exception from the thread's last Win32 error. A non-zero code first becomes the
// last error (its low 16 bits, so E_INVALIDARG sets 87).
[[noreturn]] void raise_last_error(hresult code = s_ok);

} // namespace kestrov
