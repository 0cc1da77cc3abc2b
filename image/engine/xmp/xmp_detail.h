// The pieces the XMP reader and editor share: value text, the structural scan, and the packet's
// properties located by byte position. Only the XMP sources include this header.
#pragma once

#include "image/engine/xmp/xmp_packet.h"

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kestrov::imaging::xmp::detail {

// ---- Values -------------------------------------------------------------------------------

// Element content and attribute values differ in what XML normalises (§2.11, §3.3.3) and in what
// an escape must cover.
enum class value_place { content, attribute };

// The raw text between tags or inside an attribute's quotes, its character and predefined entity
// references decoded; nothing for any other reference (there is no DTD to define one) or a
// character XML does not allow.
std::optional<std::string> decode_value(std::string_view raw, value_place place);

// The text with every character XML cannot hold, and every byte that is not UTF-8, as U+FFFD.
std::string storable_text(std::string_view text);

// Appends the text with what markup would take for its own escaped; the text must be storable.
void append_escaped(std::string& out, std::string_view text, value_place place);

// ---- Structure ----------------------------------------------------------------------------

// One element's bytes: `start` is its '<'; a start tag ends at `content_begin` (just past '>'),
// the content ends at `content_end` (the closing tag's '<') and the element at `end`. An empty
// element tag `<a/>` has content_begin == content_end == end.
struct element_bytes {
    std::size_t start = 0;
    std::size_t content_begin = 0;
    std::size_t content_end = 0;
    std::size_t end = 0;
    bool empty_tag = false;
};

enum class scan_status { ok, malformed, document_type, too_deep, too_many_elements };

struct scan_result {
    scan_status status = scan_status::ok;
    // In document order, so sorted by start.
    std::vector<element_bytes> elements;
    // Where the last top-level element ends.
    std::size_t last_top_level_end = 0;
};

// Where each element's tags are, found without recursion and before the XML parser runs, so that
// the nesting depth and the element count are checked first. It knows tags, comments, CDATA
// sections and processing instructions only as far as needed to skip them; well-formedness is
// the parser's to check.
scan_result scan_structure(std::string_view text);

// ---- Properties ---------------------------------------------------------------------------

enum class property_kind { language_alternative, ordered_array, simple_text };

struct property_info {
    std::string_view namespace_uri;
    std::string_view preferred_prefix;
    std::string_view local_name;
    property_kind kind;
};
const property_info& info_of(property which);

struct byte_range {
    std::size_t begin = 0;
    std::size_t end = 0;
};

// How an occurrence of a property is written.
enum class property_form {
    attribute,     // tiff:Make="Canon" on the rdf:Description
    text_element,  // <tiff:Make>Canon</tiff:Make>
    array_element, // <dc:title><rdf:Alt>...</rdf:Alt></dc:title> (Alt, Seq or Bag)
    other_element  // a structure, a resource: no text
};

struct occurrence {
    property which = property::dc_title;
    std::size_t description = 0; // index into packet_layout::descriptions
    property_form form = property_form::other_element;
    // The whole property: the attribute with its leading white space, or the element.
    byte_range whole;
    // attribute: the value between the quotes; text_element: the content.
    byte_range value;
    // array_element: the array element, its kind, the x-default item's content, the items' span.
    element_bytes array;
    char array_kind = 0; // 'A'lt, 'S'eq, 'B'ag
    std::optional<element_bytes> default_item;
    std::optional<byte_range> items; // from the first item's '<' to the end of the last one
    std::optional<std::string> text;
};

struct namespace_binding {
    std::string prefix;
    std::string uri;
};

struct description_layout {
    element_bytes element;
    std::string qualified_name;
    std::string rdf_prefix;
    // Just past the start tag's last attribute (or its name): where a declaration can go.
    std::size_t attributes_end = 0;
    // The namespaces in scope inside its start tag, the nearest declaration of a prefix first.
    std::vector<namespace_binding> bindings;
    // White space before the start tag on its line, to indent what goes into it.
    std::string indent;
    std::string child_indent;
};

struct packet_layout {
    bool well_formed = true;
    std::string problem;
    std::vector<description_layout> descriptions;
    std::vector<occurrence> occurrences; // in document order
    // The white space before `<?xpacket end=`, when the packet has that instruction.
    std::optional<byte_range> padding;
};

// The packet's rdf:Descriptions (those directly in rdf:RDF) and the seven properties in them.
packet_layout read_layout(std::string_view text);

// The part of read_layout that parses the scanned packet: fills in the descriptions and
// occurrences, or gives the problem that keeps the packet from being read.
std::optional<std::string> read_descriptions(std::string_view text, const scan_result& scan,
                                             packet_layout& layout);

// What a layout reads as: the first occurrence of each property that holds a text.
packet_texts texts_of(const packet_layout& layout);

} // namespace kestrov::imaging::xmp::detail
