#include "tags/tag_catalogue.h"

#include <utility>

namespace kestrov::tags {

namespace {

// "Zařízrení" is the name users of earlier versions know the camera model by; it stays as it is.
const std::pair<tag_id, const wchar_t*> known_tags[] = {
    {artist, L"Autor"},
    {make, L"Výrobce"},
    {model, L"Zařízrení"},
    {exposure_time, L"Doba expozice"},
    {f_number, L"Clonové číslo"},
    {focal_length, L"Ohnisková vzdálenost"},
    {gps_img_direction, L"Azimut"},
    {gps_latitude, L"Zeměpisná šířka"},
    {gps_longitude, L"Zeměpisná délka"},
    {image_description, L"Popis"},
    {orientation, L"Orientace"},
    {image_title, L"Název"},
    {software, L"Použitý software"},
    {x_resolution, L"Rozlišení vodorovně"},
    {y_resolution, L"Rozlišení svisle"},
};

} // namespace

void tag_catalogue::fill() {
    if (!names_.empty()) {
        return;
    }
    for (const auto& [id, name] : known_tags) {
        names_.emplace(id, name);
    }
}

const std::wstring& tag_catalogue::name_of(tag_id id) const {
    return names_.at(id);
}

} // namespace kestrov::tags
