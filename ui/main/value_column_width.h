// The width of the property list's value column: whatever the name column leaves of the list.
#pragma once

#include <cstdint>

namespace kestrov {

// A list narrower than its name column leaves the value column nothing, never a negative width
// (which the list would take as a huge unsigned one).
constexpr std::uint16_t value_column_width(std::uint16_t list_width, std::uint16_t name_width) {
    return list_width > name_width ? static_cast<std::uint16_t>(list_width - name_width) : 0;
}

} // namespace kestrov
