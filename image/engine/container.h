// What reading a container yields, and the reader every container format provides.
#pragma once

#include "image/engine/image_format.h"
#include "image/engine/io/byte_reader.h"
#include "image/engine/io/byte_source.h"
#include "image/engine/property.h"
#include "image/engine/status.h"
#include "image/engine/value_budget.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace kestrov::imaging {

// The structure a later save of the same container needs (segment or chunk positions, the TIFF
// directories). Each container derives its own.
class container_layout {
public:
    container_layout() = default;
    container_layout(const container_layout&) = delete;
    container_layout& operator=(const container_layout&) = delete;
    virtual ~container_layout() = default;
};

// The blocks besides the items that may hold the descriptive texts too, where the container keeps
// them apart from its items (JPEG segments, a PNG chunk). TIFF keeps them as items instead.
struct side_blocks {
    // The XMP packet (UTF-8 XML), the first of the file.
    std::optional<std::vector<std::byte>> xmp;
    // Photoshop's image resources, whose resource 0x0404 holds the IPTC datasets.
    std::optional<std::vector<std::byte>> image_resources;
    // What keeps a block from being written: XMP continued in further segments (extended XMP),
    // image resources spread over several segments.
    bool xmp_writable = true;
    bool image_resources_writable = true;
};

// How a save changes one side block: `changed` with bytes replaces or adds it, without removes it.
struct side_block_change {
    bool changed = false;
    std::optional<std::vector<std::byte>> bytes;
};

struct side_block_changes {
    side_block_change xmp;
    side_block_change image_resources;
};

struct decoded_metadata {
    image_format format = image_format::unknown;
    // The items as the engine exposes them: unique ids in the flat id space, values
    // little-endian, in the order they were read.
    property_list properties;
    // The items as they were read, before any change: a writer compares with them to leave
    // untouched what did not change.
    property_list as_read;
    // What was skipped while reading damaged metadata, for the user: one short Czech sentence
    // each, without a final full stop, naming tags as 0xNNNN and the directory, segment or chunk.
    std::vector<std::string> warnings;
    // The descriptive items that stand for a text read from another place (an XMP packet, IPTC):
    // no item of the file's own. A save writes them only when they change.
    std::vector<std::uint32_t> synthesized;
    // The byte order of the file's TIFF structure, which items of a type wider than a byte were
    // turned from.
    byte_order tiff_order = byte_order::little;
    // The side blocks as read, and what the save in progress changes in them.
    side_blocks blocks;
    side_block_changes block_changes;
    // What may still be read into values: one budget for every block of the file.
    value_budget budget;
    std::unique_ptr<container_layout> layout;
};

// Every container reader: reads the structure and metadata of `source` (the whole file) into
// `out`. Damaged metadata is read as far as it goes, with warnings; a structure that cannot be
// read at all gives a status other than ok (and the thread's last error says why).
using container_reader = status (*)(byte_source& source, decoded_metadata& out);

// Reports a structure that cannot be read: sets the thread's last error to "invalid data".
status unreadable_structure();

} // namespace kestrov::imaging
