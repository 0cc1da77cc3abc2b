// Outcomes of the metadata engine's operations, numbered as the platform's imaging library
// numbers them so that callers written against it read the same values.
#pragma once

#include <cstdint>

namespace kestrov::imaging {

enum class status : std::int32_t {
    ok = 0,
    generic_error = 1,
    invalid_parameter = 2,
    out_of_memory = 3,
    object_busy = 4,
    insufficient_buffer = 5,
    not_implemented = 6,
    win32_error = 7,
    wrong_state = 8,
    aborted = 9,
    file_not_found = 10,
    value_overflow = 11,
    access_denied = 12,
    unknown_image_format = 13,
    property_not_found = 19,
    property_not_supported = 20,
};

} // namespace kestrov::imaging
