// Typed readers of an image's items and the text writer. A reader returns true only when it
// delivered a value; on false its outputs are unchanged.
#pragma once

#include "image/engine/image.h"

#include <cstdint>
#include <string>

namespace kestrov::gdi {

// The first 16-bit value of a SHORT item.
bool get_short_property(imaging::image* image, std::uint32_t id, std::uint16_t& out);
// The first byte of an ASCII item.
bool get_ascii_char_property(imaging::image* image, std::uint32_t id, char& out);
// An ASCII item's bytes up to the first zero, decoded as UTF-8; false for invalid UTF-8.
bool get_text_property(imaging::image* image, std::uint32_t id, std::wstring& out);
// The first numerator divided by the first denominator of a RATIONAL item, in floating point
// (so 1/0 is infinite and 0/0 not a number).
bool get_rational_property(imaging::image* image, std::uint32_t id, double& out);

// The first rational of a RATIONAL item as stored: numerator and denominator.
bool get_first_rational(imaging::image* image, std::uint32_t id, std::uint32_t& numerator,
                        std::uint32_t& denominator);

// GPSLatitude with GPSLatitudeRef: degrees as a magnitude, and whether it is north.
bool get_gps_latitude(imaging::image* image, double& out, bool& north);
// GPSLongitude with GPSLongitudeRef: degrees as a magnitude, and whether it is east.
bool get_gps_longitude(imaging::image* image, double& out, bool& east);

} // namespace kestrov::gdi
