// The engine's own form of an item, and the ordered list an image keeps.
#pragma once

#include "image/engine/shared_bytes.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace kestrov::imaging {

struct property {
    std::uint32_t id = 0;
    std::uint16_t type = 0;
    shared_bytes value; // little-endian, whatever the file's byte order
    bool operator==(const property&) const = default;
};

// Items in the order they were read; ids are unique.
class property_list {
public:
    const property* find(std::uint32_t id) const;
    // Adds the item, or replaces the one with the same id in its place.
    void set(property item);
    // False when there is no item with this id.
    bool remove(std::uint32_t id);
    // Adds the item only when its id is new; false (and nothing changed) otherwise.
    bool add_if_new(property item);

    const std::vector<property>& items() const { return items_; }
    std::size_t size() const { return items_.size(); }
    bool operator==(const property_list&) const = default;

private:
    std::vector<property> items_;
};

} // namespace kestrov::imaging
