// One metadata item as the engine hands it out: the record of the platform's imaging library.
#pragma once

#include "image/engine/format_facts.h"

#include <cstdint>

namespace kestrov::imaging {

// Value types of an item: the TIFF field types.
namespace property_type = tiff_type;

// The record handed to callers: `value` points at `length` bytes, little-endian whatever the
// file's byte order. When the engine copies an item out, record and value share one buffer, the
// value right after the record.
struct PropertyItem {
    std::uint32_t id;
    std::uint32_t length;
    std::uint16_t type;
    void* value;
};

} // namespace kestrov::imaging
