// The groups of the group combo, as data: each entry's value, its text, the console tool's name
// for it and the rows it shows in list order.
#pragma once

#include "tags/descriptive_fields.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

namespace kestrov::tags {

// The rows of each single group, in list order. The descriptive rows follow their own table; the
// photographic group's last row is the combined resolution row, which carries the id of
// XResolution.
inline constexpr auto descriptive_rows_order = [] {
    std::array<tag_id, descriptive_fields.size()> ids{};
    std::transform(descriptive_fields.begin(), descriptive_fields.end(), ids.begin(),
                   [](const descriptive_field& field) { return field.id; });
    return ids;
}();
inline constexpr std::array<tag_id, 3> gps_rows_order{gps_latitude, gps_longitude,
                                                      gps_img_direction};
inline constexpr std::array<tag_id, 4> photo_rows_order{focal_length, exposure_time, orientation,
                                                        x_resolution};
// "All" shows the single groups one after the other.
inline constexpr auto all_rows_order = [] {
    std::array<tag_id,
               descriptive_rows_order.size() + gps_rows_order.size() + photo_rows_order.size()>
        ids{};
    auto next =
        std::copy(descriptive_rows_order.begin(), descriptive_rows_order.end(), ids.begin());
    next = std::copy(gps_rows_order.begin(), gps_rows_order.end(), next);
    std::copy(photo_rows_order.begin(), photo_rows_order.end(), next);
    return ids;
}();

// The value a combo entry carries and the settings keep. The single groups are bits and "all" is
// their union, yet rows are chosen by the exact value: any other value shows no rows.
using tag_group = std::uint32_t;
inline constexpr tag_group group_descriptive = 1;
inline constexpr tag_group group_gps = 2;
inline constexpr tag_group group_photo = 4;
inline constexpr tag_group group_all = 7;

struct group_entry {
    tag_group value;
    const wchar_t* combo_text;
    // What the console tool's --group option calls the group.
    const wchar_t* console_name;
    std::span<const tag_id> rows;
};

// The combo's entries in their order (the combo is not sorted).
inline constexpr std::array<group_entry, 4> group_entries{{
    {group_descriptive, L"Popisné údaje", L"popisne", descriptive_rows_order},
    {group_gps, L"GPS - poloha", L"gps", gps_rows_order},
    {group_photo, L"Fotografické parametry", L"foto", photo_rows_order},
    {group_all, L"Všechny", L"vse", all_rows_order},
}};

// The entry whose value is exactly `value`; null when none is.
constexpr const group_entry* find_group(tag_group value) {
    const auto found =
        std::find_if(group_entries.begin(), group_entries.end(),
                     [value](const group_entry& entry) { return entry.value == value; });
    return found == group_entries.end() ? nullptr : &*found;
}

// The combo index whose value is `value`, or 0 (the descriptive group) when none is.
constexpr std::size_t group_index_of(tag_group value) {
    const group_entry* entry = find_group(value);
    return entry == nullptr ? 0 : static_cast<std::size_t>(entry - group_entries.data());
}

} // namespace kestrov::tags
