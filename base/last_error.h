// The calling thread's last Win32 error. On Windows it is the system's own value; in the portable
// build it is a thread-local number that the file and platform layer sets, translating errno into
// the codes Windows would report for the same failure.
#pragma once

#include <cstdint>

namespace kestrov {

std::uint32_t last_error() noexcept;
void set_last_error(std::uint32_t error) noexcept;

// The Win32 error a Windows build would see where the C library reports `error_number`.
std::uint32_t win32_error_from_errno(int error_number) noexcept;
void set_last_error_from_errno(int error_number) noexcept;

} // namespace kestrov
