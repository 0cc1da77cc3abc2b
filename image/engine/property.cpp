#include "image/engine/property.h"

#include <algorithm>

namespace kestrov::imaging {

const property* property_list::find(std::uint32_t id) const {
    const auto found =
        std::find_if(items_.begin(), items_.end(), [id](const property& p) { return p.id == id; });
    return found == items_.end() ? nullptr : &*found;
}

void property_list::set(property item) {
    const auto found = std::find_if(items_.begin(), items_.end(),
                                    [&item](const property& p) { return p.id == item.id; });
    if (found != items_.end()) {
        *found = std::move(item);
    } else {
        items_.push_back(std::move(item));
    }
}

bool property_list::remove(std::uint32_t id) {
    const auto found =
        std::find_if(items_.begin(), items_.end(), [id](const property& p) { return p.id == id; });
    if (found == items_.end()) {
        return false;
    }
    items_.erase(found);
    return true;
}

bool property_list::add_if_new(property item) {
    if (find(item.id) != nullptr) {
        return false;
    }
    items_.push_back(std::move(item));
    return true;
}

} // namespace kestrov::imaging
