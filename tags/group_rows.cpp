#include "tags/group_rows.h"

#include "image/property_readers.h"
#include "tags/value_format.h"

namespace kestrov::tags {

namespace {

using namespace kestrov::gdi;

std::uint32_t item_id(tag_id id) {
    return static_cast<std::uint32_t>(id);
}

void append(row_list& rows, const tag_catalogue& catalogue, tag_id id, std::wstring value) {
    rows.push_back({catalogue.name_of(id), std::move(value), id});
}

} // namespace

row_list descriptive_rows(imaging::image* image, const tag_catalogue& catalogue,
                          missing_tag_list& missing) {
    missing.clear();
    row_list rows;
    if (image == nullptr) {
        return rows;
    }
    for (const tag_id id : descriptive_rows_order) {
        std::wstring text;
        if (get_text_property(image, item_id(id), text)) {
            append(rows, catalogue, id, std::move(text));
        } else {
            missing.push_back(id);
        }
    }
    return rows;
}

row_list gps_rows(imaging::image* image, const tag_catalogue& catalogue) {
    row_list rows;
    if (image == nullptr) {
        return rows;
    }
    double degrees = 0;
    bool positive = false;
    if (get_gps_latitude(image, degrees, positive)) {
        append(rows, catalogue, gps_latitude,
               format_coordinate(degrees, positive ? L"Severní" : L"Jižní"));
    }
    if (get_gps_longitude(image, degrees, positive)) {
        append(rows, catalogue, gps_longitude,
               format_coordinate(degrees, positive ? L"Východní" : L"Západní"));
    }
    double direction = 0;
    char reference = 0;
    // The reference only has to be there; whether it says true or magnetic north is not shown.
    if (get_rational_property(image, item_id(gps_img_direction), direction) &&
        get_ascii_char_property(image, item_id(gps_img_direction_ref), reference)) {
        append(rows, catalogue, gps_img_direction, format_azimuth(direction));
    }
    return rows;
}

row_list photo_rows(imaging::image* image, const tag_catalogue& catalogue) {
    row_list rows;
    if (image == nullptr) {
        return rows;
    }
    double millimetres = 0;
    if (get_rational_property(image, item_id(focal_length), millimetres)) {
        append(rows, catalogue, focal_length, format_focal_length(millimetres));
    }
    std::uint32_t numerator = 0;
    std::uint32_t denominator = 0;
    if (get_first_rational(image, item_id(exposure_time), numerator, denominator)) {
        append(rows, catalogue, exposure_time, format_exposure_time(numerator, denominator));
    }
    std::uint16_t orientation_value = 0;
    if (get_short_property(image, item_id(orientation), orientation_value)) {
        append(rows, catalogue, orientation, format_orientation(orientation_value));
    }
    double horizontal = 0;
    double vertical = 0;
    std::uint16_t unit = 0;
    if (get_rational_property(image, item_id(x_resolution), horizontal) &&
        get_rational_property(image, item_id(y_resolution), vertical) &&
        get_short_property(image, item_id(resolution_unit), unit)) {
        rows.push_back({L"Rozlišení", format_resolution(horizontal, vertical, unit), x_resolution});
    }
    return rows;
}

row_list group_rows(tag_group group, imaging::image* image, const tag_catalogue& catalogue,
                    missing_tag_list& missing) {
    switch (group) {
    case group_descriptive:
        return descriptive_rows(image, catalogue, missing);
    case group_gps:
        return gps_rows(image, catalogue);
    case group_photo:
        return photo_rows(image, catalogue);
    case group_all: {
        row_list rows = descriptive_rows(image, catalogue, missing);
        for (auto* more : {&gps_rows, &photo_rows}) {
            auto part = more(image, catalogue);
            rows.insert(rows.end(), part.begin(), part.end());
        }
        return rows;
    }
    default:
        return {};
    }
}

} // namespace kestrov::tags
