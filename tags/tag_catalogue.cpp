#include "tags/tag_catalogue.h"

#include "tags/descriptive_fields.h"

#include <utility>

namespace kestrov::tags {

namespace {

// The tags besides the descriptive texts, whose names come with their own table.
const std::pair<tag_id, const wchar_t*> other_known_tags[] = {
    {exposure_time, L"Doba expozice"},
    {f_number, L"Clonové číslo"},
    {focal_length, L"Ohnisková vzdálenost"},
    {gps_img_direction, L"Azimut"},
    {gps_latitude, L"Zeměpisná šířka"},
    {gps_longitude, L"Zeměpisná délka"},
    {orientation, L"Orientace"},
    {x_resolution, L"Rozlišení vodorovně"},
    {y_resolution, L"Rozlišení svisle"},
};

} // namespace

void tag_catalogue::fill() {
    if (!names_.empty()) {
        return;
    }
    for (const auto& field : descriptive_fields) {
        names_.emplace(field.id, field.name);
    }
    for (const auto& [id, name] : other_known_tags) {
        names_.emplace(id, name);
    }
}

const std::wstring& tag_catalogue::name_of(tag_id id) const {
    return names_.at(id);
}

} // namespace kestrov::tags
