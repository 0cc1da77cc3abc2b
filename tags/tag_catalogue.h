// The Czech display names of the tags the program knows.
#pragma once

#include "tags/tag_ids.h"

#include <map>
#include <string>
#include <vector>

namespace kestrov::tags {

class tag_catalogue {
public:
    // Inserts the known tags once; does nothing when the catalogue already holds entries.
    void fill();
    // The display name of a known tag; std::out_of_range for any other id.
    const std::wstring& name_of(tag_id id) const;

    const std::map<tag_id, std::wstring>& entries() const { return names_; }

private:
    std::map<tag_id, std::wstring> names_;
};

// The descriptive tags the last fill of the descriptive rows did not find, in row order.
using missing_tag_list = std::vector<tag_id>;

} // namespace kestrov::tags
