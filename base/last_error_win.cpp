#include "base/last_error.h"

#include <windows.h>

namespace kestrov {

std::uint32_t last_error() noexcept {
    return GetLastError();
}

void set_last_error(std::uint32_t error) noexcept {
    SetLastError(error);
}

} // namespace kestrov
