#include "tags/group_rows.h"

#include "image/property_readers.h"
#include "tags/value_format.h"

#include <algorithm>
#include <optional>
#include <span>

namespace kestrov::tags {

namespace {

using namespace kestrov::gdi;
using value_text = std::optional<std::wstring>;

std::uint32_t item_id(tag_id id) {
    return static_cast<std::uint32_t>(id);
}

value_text descriptive_text(imaging::image* image, tag_id id) {
    std::wstring text;
    return get_text_property(image, item_id(id), text) ? value_text(std::move(text)) : std::nullopt;
}

// A coordinate in degrees with the word of its hemisphere: the first word for north or east.
value_text coordinate_text(bool (*read)(imaging::image*, double&, bool&), imaging::image* image,
                           const wchar_t* positive, const wchar_t* negative) {
    double degrees = 0;
    bool is_positive = false;
    if (!read(image, degrees, is_positive)) {
        return std::nullopt;
    }
    return format_coordinate(degrees, is_positive ? positive : negative);
}

value_text latitude_text(imaging::image* image, tag_id) {
    return coordinate_text(get_gps_latitude, image, L"Severní", L"Jižní");
}

value_text longitude_text(imaging::image* image, tag_id) {
    return coordinate_text(get_gps_longitude, image, L"Východní", L"Západní");
}

value_text azimuth_text(imaging::image* image, tag_id id) {
    double direction = 0;
    char reference = 0;
    // The reference only has to be there; whether it says true or magnetic north is not shown.
    if (!get_rational_property(image, item_id(id), direction) ||
        !get_ascii_char_property(image, item_id(gps_img_direction_ref), reference)) {
        return std::nullopt;
    }
    return format_azimuth(direction);
}

value_text focal_length_text(imaging::image* image, tag_id id) {
    double millimetres = 0;
    if (!get_rational_property(image, item_id(id), millimetres)) {
        return std::nullopt;
    }
    return format_focal_length(millimetres);
}

value_text exposure_time_text(imaging::image* image, tag_id id) {
    std::uint32_t numerator = 0;
    std::uint32_t denominator = 0;
    if (!get_first_rational(image, item_id(id), numerator, denominator)) {
        return std::nullopt;
    }
    return format_exposure_time(numerator, denominator);
}

value_text orientation_text(imaging::image* image, tag_id id) {
    std::uint16_t value = 0;
    if (!get_short_property(image, item_id(id), value)) {
        return std::nullopt;
    }
    return format_orientation(value);
}

value_text resolution_text(imaging::image* image, tag_id) {
    double horizontal = 0;
    double vertical = 0;
    std::uint16_t unit = 0;
    if (!get_rational_property(image, item_id(x_resolution), horizontal) ||
        !get_rational_property(image, item_id(y_resolution), vertical) ||
        !get_short_property(image, item_id(resolution_unit), unit)) {
        return std::nullopt;
    }
    return format_resolution(horizontal, vertical, unit);
}

// How the row of a tag reads its value: nothing when the row is not shown. A row named by
// `own_name` does not take the tag's catalogue name.
struct row_source {
    tag_id id;
    value_text (*read)(imaging::image*, tag_id);
    const wchar_t* own_name = nullptr;
};

// The rows that are not descriptive texts; those are all read alike.
constexpr row_source value_sources[] = {
    {gps_latitude, latitude_text},
    {gps_longitude, longitude_text},
    {gps_img_direction, azimuth_text},
    {focal_length, focal_length_text},
    {exposure_time, exposure_time_text},
    {orientation, orientation_text},
    {x_resolution, resolution_text, L"Rozlišení"},
};

constexpr row_source text_source{0, descriptive_text};

constexpr bool is_descriptive(tag_id id) {
    return std::any_of(descriptive_fields.begin(), descriptive_fields.end(),
                       [id](const descriptive_field& field) { return field.id == id; });
}

constexpr bool has_value_source(tag_id id) {
    return std::any_of(std::begin(value_sources), std::end(value_sources),
                       [id](const row_source& source) { return source.id == id; });
}

static_assert(std::all_of(all_rows_order.begin(), all_rows_order.end(),
                          [](tag_id id) { return is_descriptive(id) || has_value_source(id); }),
              "every row of a group needs a way to read its value");

// Every row of a group has a source (checked above).
const row_source& source_of(tag_id id) {
    if (is_descriptive(id)) {
        return text_source;
    }
    return *std::find_if(std::begin(value_sources), std::end(value_sources),
                         [id](const row_source& source) { return source.id == id; });
}

// The rows of `order` that the image holds. A descriptive text it lacks is listed in `missing`,
// which is emptied first when `order` has descriptive rows at all.
row_list rows_in_order(std::span<const tag_id> order, imaging::image* image,
                       const tag_catalogue& catalogue, missing_tag_list& missing) {
    if (std::any_of(order.begin(), order.end(), is_descriptive)) {
        missing.clear();
    }
    row_list rows;
    if (image == nullptr) {
        return rows;
    }
    for (const tag_id id : order) {
        const row_source& source = source_of(id);
        if (auto value = source.read(image, id)) {
            rows.push_back({source.own_name != nullptr ? source.own_name : catalogue.name_of(id),
                            std::move(*value), id});
        } else if (is_descriptive(id)) {
            missing.push_back(id);
        }
    }
    return rows;
}

} // namespace

row_list descriptive_rows(imaging::image* image, const tag_catalogue& catalogue,
                          missing_tag_list& missing) {
    return rows_in_order(descriptive_rows_order, image, catalogue, missing);
}

row_list group_rows(tag_group group, imaging::image* image, const tag_catalogue& catalogue,
                    missing_tag_list& missing) {
    const group_entry* entry = find_group(group);
    return entry == nullptr ? row_list{} : rows_in_order(entry->rows, image, catalogue, missing);
}

row_list group_rows(tag_group group, imaging::image* image, const tag_catalogue& catalogue) {
    missing_tag_list unused;
    return group_rows(group, image, catalogue, unused);
}

} // namespace kestrov::tags
