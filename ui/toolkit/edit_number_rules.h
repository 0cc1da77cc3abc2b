// What a numeric edit accepts: an unsigned 32-bit decimal number within optional bounds, and the
// tooltip text that says so.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kestrov::winapi {

// A bound of 0 means that side is open.
inline std::wstring edit_number_hint(std::uint32_t minimum, std::uint32_t maximum) {
    if (minimum == 0 && maximum == 0) {
        return L"Zadejte číselnou hodnotu";
    }
    if (minimum == 0) {
        return L"Zadejte číselnou hodnotu do " + std::to_wstring(maximum);
    }
    if (maximum == 0) {
        return L"Zadejte číselnou hodnotu od " + std::to_wstring(minimum);
    }
    return L"Zadejte hodnotu v rozsahu " + std::to_wstring(minimum) + L" - " +
           std::to_wstring(maximum);
}

// Whether a number lies within the edit's bounds.
constexpr bool within_bounds(std::uint32_t number, std::uint32_t minimum, std::uint32_t maximum) {
    return (maximum == 0 || number <= maximum) && (minimum == 0 || number >= minimum);
}

// The number an edit's text stands for, read as the platform documents for dialog item numbers:
// leading spaces skipped, decimal digits up to the first other character, nothing when there is
// no digit or the number does not fit 32 bits. 4294967295 itself is a number like any other.
constexpr std::optional<std::uint32_t> unsigned_number(std::wstring_view text) {
    std::size_t position = 0;
    while (position < text.size() && text[position] == L' ') {
        ++position;
    }
    const std::size_t first_digit = position;
    std::uint64_t number = 0;
    while (position < text.size() && text[position] >= L'0' && text[position] <= L'9') {
        number = number * 10 + static_cast<std::uint64_t>(text[position] - L'0');
        if (number > 0xFFFFFFFFULL) {
            return std::nullopt;
        }
        ++position;
    }
    if (position == first_digit) {
        return std::nullopt;
    }
    return static_cast<std::uint32_t>(number);
}

} // namespace kestrov::winapi
