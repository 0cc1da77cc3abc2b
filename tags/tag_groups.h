// The property groups of the group combo and the rows each shows, as data.
#pragma once

#include "tags/tag_ids.h"

#include <array>
#include <cstdint>

namespace kestrov::tags {

using tag_group = std::uint32_t;

inline constexpr tag_group group_descriptive = 1;
inline constexpr tag_group group_gps = 2;
inline constexpr tag_group group_photo = 4;
inline constexpr tag_group group_all = 7;

struct group_entry {
    tag_group value;
    const wchar_t* combo_text;
};

// The combo's entries in their order (the combo is not sorted).
inline constexpr std::array<group_entry, 4> group_entries{{
    {group_descriptive, L"Popisné údaje"},
    {group_gps, L"GPS - poloha"},
    {group_photo, L"Fotografické parametry"},
    {group_all, L"Všechny"},
}};

// The rows of each single group, in list order. The photographic group's last row is the combined
// resolution row, which carries the id of XResolution.
inline constexpr std::array<tag_id, 6> descriptive_rows_order{
    image_title, image_description, artist, make, model, software};
inline constexpr std::array<tag_id, 3> gps_rows_order{gps_latitude, gps_longitude,
                                                      gps_img_direction};
inline constexpr std::array<tag_id, 4> photo_rows_order{focal_length, exposure_time, orientation,
                                                        x_resolution};

// The combo index whose value is `value`, or 0 (the descriptive group) when none is.
constexpr std::size_t group_index_of(tag_group value) {
    for (std::size_t i = 0; i < group_entries.size(); ++i) {
        if (group_entries[i].value == value) {
            return i;
        }
    }
    return 0;
}

} // namespace kestrov::tags
