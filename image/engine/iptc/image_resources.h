// Photoshop image resource blocks, the container that carries IPTC-IIM data in JPEG APP13
// segments (after "Photoshop 3.0\0") and in the TIFF tag 34377. Layout from "Photoshop File
// Formats: Image Resource Blocks": each resource is a four-byte signature, a 16-bit big-endian
// id, a Pascal-string name padded so that its length byte and text together are even, a 32-bit
// big-endian data size, and the data padded to an even length.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace kestrov::imaging::iptc {

// One "8BIM" resource of a block. Resources under the other signatures some programs write
// ("PHUT", "AgHg", "DCSR") are stepped over, not listed: their ids are not Photoshop's.
struct resource {
    std::uint16_t id = 0;
    std::uint64_t offset = 0;        // where its signature starts in the block
    std::uint64_t length = 0;        // the whole resource: header, name, data and padding
    std::span<const std::byte> data; // into the block, without the padding byte
};

struct resource_list {
    std::vector<resource> resources;
    // False when a resource runs past the end of the block, or bytes after the last one are not
    // a resource; `resources` then holds those read before.
    bool well_formed = true;
};

resource_list read_resources(std::span<const std::byte> block);

// The block with the "8BIM" resource `id` given `data` (keeping its name), or added at the end
// with an empty name when there is none, or removed when `data` is nullopt. When the id occurs
// more than once, the first is replaced and the rest are removed, so that no reader finds the old
// data. Every other resource stays byte for byte as it was. A block that is not well-formed, or
// data too long for the 32-bit size, comes back unchanged: callers check `well_formed` first.
std::vector<std::byte> with_resource(std::span<const std::byte> block, std::uint16_t id,
                                     std::optional<std::span<const std::byte>> data);

// "IPTC-NAA record" and the MD5 digest of it that Photoshop compares to tell whether another
// program changed the IPTC data ("Photoshop File Formats: Image Resource IDs").
inline constexpr std::uint16_t iptc_resource_id = 0x0404;
inline constexpr std::uint16_t iptc_digest_resource_id = 0x0425;

} // namespace kestrov::imaging::iptc
