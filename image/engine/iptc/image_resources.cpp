#include "image/engine/iptc/image_resources.h"

#include "image/engine/io/byte_reader.h"

#include <algorithm>
#include <array>
#include <limits>

namespace kestrov::imaging::iptc {

namespace {

using signature = std::array<std::byte, 4>;

constexpr signature make_signature(const char (&text)[5]) {
    return {std::byte(text[0]), std::byte(text[1]), std::byte(text[2]), std::byte(text[3])};
}

constexpr signature photoshop_signature = make_signature("8BIM");
// Signatures other programs put on resources of the same layout: ImageReady ("PHUT"), Adobe
// ("AgHg") and DCS ("DCSR") resources turn up among Photoshop's.
constexpr std::array<signature, 3> foreign_signatures = {
    make_signature("PHUT"), make_signature("AgHg"), make_signature("DCSR")};

constexpr std::uint64_t header_before_name = 4 + 2; // signature, id

struct entry {
    resource item;
    bool photoshop = false;
};

struct entry_list {
    std::vector<entry> entries;
    bool well_formed = true;
};

std::uint64_t padded_to_even(std::uint64_t length) {
    return length + (length & 1U);
}

// Every resource, under any known signature, in block order.
entry_list read_entries(std::span<const std::byte> block) {
    entry_list list;
    byte_reader in(block, byte_order::big);
    while (!in.at_end()) {
        const std::uint64_t start = in.position();
        const auto sig = in.bytes(4);
        if (sig.size() != 4) {
            list.well_formed = false;
            break;
        }
        const bool photoshop = std::equal(sig.begin(), sig.end(), photoshop_signature.begin());
        const bool foreign = std::any_of(
            foreign_signatures.begin(), foreign_signatures.end(),
            [&](const signature& s) { return std::equal(sig.begin(), sig.end(), s.begin()); });
        if (!photoshop && !foreign) {
            list.well_formed = false;
            break;
        }
        const std::uint16_t id = in.u16();
        const std::uint8_t name_length = in.u8();
        // The length byte and the name together take an even number of bytes.
        in.skip(padded_to_even(1U + name_length) - 1U);
        const std::uint32_t size = in.u32();
        if (!in.ok() || !range_fits(in.size(), in.position(), padded_to_even(size))) {
            list.well_formed = false;
            break;
        }
        const auto data = block.subspan(static_cast<std::size_t>(in.position()), size);
        in.skip(padded_to_even(size));
        list.entries.push_back({{id, start, in.position() - start, data}, photoshop});
    }
    return list;
}

void append(std::vector<std::byte>& out, std::span<const std::byte> bytes) {
    out.insert(out.end(), bytes.begin(), bytes.end());
}

// A resource of `original` (its signature and name) carrying `data`, or a new "8BIM" resource
// with an empty name when there is no original.
void append_resource(std::vector<std::byte>& out, std::span<const std::byte> block,
                     const resource* original, std::uint16_t id, std::span<const std::byte> data) {
    if (original != nullptr) {
        // Signature, id, name and its padding: everything before the size, as it was. The list
        // holds only resources whose header was read whole, so the name length byte is there.
        const auto name_length = std::to_integer<std::uint64_t>(
            block[static_cast<std::size_t>(original->offset + header_before_name)]);
        const auto head = header_before_name + padded_to_even(1U + name_length);
        append(out, block.subspan(static_cast<std::size_t>(original->offset),
                                  static_cast<std::size_t>(head)));
    } else {
        append(out, photoshop_signature);
        const auto at = out.size();
        out.resize(at + 4);
        store_u16(out.data() + at, id, byte_order::big);
        // An empty name: its length byte and one byte of padding.
        out[at + 2] = std::byte{0};
        out[at + 3] = std::byte{0};
    }
    const auto at = out.size();
    out.resize(at + 4);
    store_u32(out.data() + at, static_cast<std::uint32_t>(data.size()), byte_order::big);
    append(out, data);
    if (data.size() % 2 != 0) {
        out.push_back(std::byte{0});
    }
}

} // namespace

resource_list read_resources(std::span<const std::byte> block) {
    const auto entries = read_entries(block);
    resource_list list;
    list.well_formed = entries.well_formed;
    for (const auto& e : entries.entries) {
        if (e.photoshop) {
            list.resources.push_back(e.item);
        }
    }
    return list;
}

std::vector<std::byte> with_resource(std::span<const std::byte> block, std::uint16_t id,
                                     std::optional<std::span<const std::byte>> data) {
    const auto entries = read_entries(block);
    if (!entries.well_formed ||
        (data && data->size() > std::numeric_limits<std::uint32_t>::max())) {
        return {block.begin(), block.end()};
    }
    std::vector<std::byte> out;
    out.reserve(block.size() + (data ? data->size() + 16 : 0));
    bool written = false;
    for (const auto& e : entries.entries) {
        const auto& r = e.item;
        if (!e.photoshop || r.id != id) {
            append(out, block.subspan(static_cast<std::size_t>(r.offset),
                                      static_cast<std::size_t>(r.length)));
            continue;
        }
        if (data && !written) {
            append_resource(out, block, &r, id, *data);
        }
        written = true;
    }
    if (data && !written) {
        append_resource(out, block, nullptr, id, *data);
    }
    return out;
}

} // namespace kestrov::imaging::iptc
