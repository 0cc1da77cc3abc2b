// The tags the program shows or reads beside them, by their item ids.
#pragma once

#include <cstdint>

namespace kestrov::tags {

using tag_id = std::int32_t;

inline constexpr tag_id gps_latitude_ref = 0x0001;
inline constexpr tag_id gps_latitude = 0x0002;
inline constexpr tag_id gps_longitude_ref = 0x0003;
inline constexpr tag_id gps_longitude = 0x0004;
inline constexpr tag_id gps_img_direction_ref = 0x0010;
inline constexpr tag_id gps_img_direction = 0x0011;
inline constexpr tag_id image_description = 0x010E;
inline constexpr tag_id make = 0x010F;
inline constexpr tag_id model = 0x0110;
inline constexpr tag_id orientation = 0x0112;
inline constexpr tag_id x_resolution = 0x011A;
inline constexpr tag_id y_resolution = 0x011B;
inline constexpr tag_id resolution_unit = 0x0128;
inline constexpr tag_id software = 0x0131;
inline constexpr tag_id artist = 0x013B;
// Not an Exif tag: the image title the platform's imaging library keeps under this id.
inline constexpr tag_id image_title = 0x0320;
inline constexpr tag_id exposure_time = 0x829A;
inline constexpr tag_id f_number = 0x829D;
inline constexpr tag_id focal_length = 0x920A;

} // namespace kestrov::tags
