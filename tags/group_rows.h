// The rows the property list shows for a group: name, value text and the tag id each stands for.
// The Win32 list only displays what this model gives.
#pragma once

#include "image/engine/image.h"
#include "tags/tag_catalogue.h"
#include "tags/tag_groups.h"

#include <string>
#include <vector>

namespace kestrov::tags {

struct property_row {
    std::wstring name;
    std::wstring value;
    tag_id id = 0;
    bool operator==(const property_row&) const = default;
};

using row_list = std::vector<property_row>;

// The rows of `group` for `image` (null when no image is open), in the order of its entry in
// group_entries; a value that is no entry's has none. A fill that includes the descriptive rows
// rebuilds `missing` with the descriptive tags it did not find; the GPS and photographic fills
// leave it alone.
row_list group_rows(tag_group group, imaging::image* image, const tag_catalogue& catalogue,
                    missing_tag_list& missing);
// The same for a caller that has no use for the missing tags.
row_list group_rows(tag_group group, imaging::image* image, const tag_catalogue& catalogue);

row_list descriptive_rows(imaging::image* image, const tag_catalogue& catalogue,
                          missing_tag_list& missing);

} // namespace kestrov::tags
