// The value texts of the GPS and photographic rows. Numbers use a point as the decimal
// separator whatever the user's locale, and a text never passes 249 characters.
#pragma once

#include <cstdint>
#include <string>

namespace kestrov::tags {

// "50.0916667° Severní": degrees with seven decimals, then the hemisphere word.
std::wstring format_coordinate(double degrees, const wchar_t* hemisphere);
// "123.45 °"
std::wstring format_azimuth(double degrees);
// "5.80 mm"
std::wstring format_focal_length(double millimetres);
// "1/125 sek.": the fraction reduced by its greatest common divisor, never a decimal.
std::wstring format_exposure_time(std::uint32_t numerator, std::uint32_t denominator);
// "6": the number as stored.
std::wstring format_orientation(std::uint16_t orientation);
// "72.00 x 72.00 pixel/palec": inches for unit 2, centimetres for any other unit.
std::wstring format_resolution(double horizontal, double vertical, std::uint16_t unit);

} // namespace kestrov::tags
