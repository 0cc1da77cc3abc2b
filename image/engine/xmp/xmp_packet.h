// XMP packets (XMP Part 1): seven descriptive properties read from the packet's RDF/XML and
// edited in place, so that every byte outside the edited values stays as the writer left it.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace kestrov::imaging::xmp {

enum class property : std::uint8_t {
    dc_title,
    dc_description,
    dc_creator,
    tiff_make,
    tiff_model,
    tiff_software,
    xmp_creator_tool
};
inline constexpr std::size_t property_count = 7;

// Packets past these limits are not read: the parser recurses once per nesting level and keeps
// every element and attribute in memory.
inline constexpr std::size_t max_packet_size = 4 * 1024 * 1024;
inline constexpr std::size_t max_nesting_depth = 64;
inline constexpr std::size_t max_element_count = 10000;
inline constexpr std::size_t max_attribute_count = 10000;

// What a packet holds of the seven properties (decoded text, UTF-8), or a reading problem.
// dc:title and dc:description give their x-default item (else their first one), dc:creator its
// items joined with "; ". A property in a form that holds no text (a structure, a resource)
// reads as absent.
struct packet_texts {
    std::array<std::optional<std::string>, property_count> texts;
    bool well_formed = true;
    // A short Czech sentence without a final full stop when the packet is not well formed.
    std::string problem;

    const std::optional<std::string>& text(property which) const {
        return texts[static_cast<std::size_t>(which)];
    }
};
packet_texts read_packet(std::span<const std::byte> packet);

struct edit {
    property which;
    // nullopt removes the property; an empty text sets an empty value.
    std::optional<std::string> text;
    // Setting a property the packet lacks adds it only when this is true.
    bool add_if_absent = false;
};

struct edit_result {
    bool ok = false;
    std::vector<std::byte> packet;
    // A short Czech sentence without a final full stop when `ok` is false.
    std::string problem;
};

// Applies the edits by splicing: every byte of the packet outside the changed values stays as it
// is, but for the whitespace padding before `<?xpacket end=`, which gives up what the packet grows
// by (when it has that much) and takes back what it shrinks by. A later edit of the same property
// replaces an earlier one. The result is read back before it is returned: it is never a packet
// that does not read as edited.
edit_result edit_packet(std::span<const std::byte> packet, std::span<const edit> edits);

// A minimal valid packet (xpacket begin/end, x:xmpmeta, rdf:RDF, one rdf:Description
// rdf:about="" with only the namespaces needed) holding the edits that set a text. Characters XML
// cannot hold (see is_storable_text) become U+FFFD.
std::vector<std::byte> new_packet(std::span<const edit> edits);

// Whether XML 1.0 can hold the text: well-formed UTF-8 of characters XML allows (§2.2), which
// leaves out most control characters. edit_packet refuses other texts.
bool is_storable_text(std::string_view text);

} // namespace kestrov::imaging::xmp
