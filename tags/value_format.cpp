#include "tags/value_format.h"

#include <charconv>
#include <cmath>

namespace kestrov::tags {

namespace {

// The rows' texts come from a buffer of 250 characters with its terminator.
constexpr std::size_t max_text_length = 249;

std::wstring limited(std::wstring text) {
    if (text.size() > max_text_length) {
        text.resize(max_text_length);
    }
    return text;
}

// printf's "%.Nf" in the "C" locale: to_chars never looks at the locale.
std::wstring fixed(double value, int decimals) {
    char buffer[400];
    const auto result =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals);
    return std::wstring(buffer, result.ptr);
}

template <typename Number>
std::wstring whole(Number value) {
    char buffer[32];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::wstring(buffer, result.ptr);
}

// Euclid's algorithm from the larger and the smaller number; with one of them 0, the other.
std::uint32_t greatest_common_divisor(std::uint32_t a, std::uint32_t b) {
    std::uint32_t larger = a > b ? a : b;
    std::uint32_t smaller = a > b ? b : a;
    while (smaller != 0) {
        const std::uint32_t rest = larger % smaller;
        larger = smaller;
        smaller = rest;
    }
    return larger;
}

} // namespace

std::wstring format_coordinate(double degrees, const wchar_t* hemisphere) {
    return limited(fixed(degrees, 7) + L"° " + hemisphere);
}

std::wstring format_azimuth(double degrees) {
    return limited(fixed(degrees, 2) + L" °");
}

std::wstring format_focal_length(double millimetres) {
    return limited(fixed(millimetres, 2) + L" mm");
}

std::wstring format_exposure_time(std::uint32_t numerator, std::uint32_t denominator) {
    const std::uint32_t divisor = greatest_common_divisor(numerator, denominator);
    // 0/0 has no divisor to reduce by: it is shown as it is stored.
    if (divisor == 0) {
        return L"0/0 sek.";
    }
    return limited(whole(numerator / divisor) + L"/" + whole(denominator / divisor) + L" sek.");
}

std::wstring format_orientation(std::uint16_t orientation) {
    return whole(orientation);
}

std::wstring format_resolution(double horizontal, double vertical, std::uint16_t unit) {
    return limited(fixed(horizontal, 2) + L" x " + fixed(vertical, 2) + L" pixel/" +
                   (unit == 2 ? L"palec" : L"cm"));
}

} // namespace kestrov::tags
