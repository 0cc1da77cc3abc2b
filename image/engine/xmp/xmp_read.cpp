// Reading a packet's seven properties: the limits, the structural scan, the parse, and the
// padding before the closing processing instruction (XMP Part 1 §7.3.2).
#include "image/engine/xmp/xmp_detail.h"

#include "base/text_conversion.h"

#include <algorithm>

namespace kestrov::imaging::xmp {

namespace detail {

namespace {

constexpr std::string_view dc_uri = "http://purl.org/dc/elements/1.1/";
constexpr std::string_view tiff_uri = "http://ns.adobe.com/tiff/1.0/";
constexpr std::string_view xmp_uri = "http://ns.adobe.com/xap/1.0/";

constexpr property_info infos[property_count] = {
    {dc_uri, "dc", "title", property_kind::language_alternative},
    {dc_uri, "dc", "description", property_kind::language_alternative},
    {dc_uri, "dc", "creator", property_kind::ordered_array},
    {tiff_uri, "tiff", "Make", property_kind::simple_text},
    {tiff_uri, "tiff", "Model", property_kind::simple_text},
    {tiff_uri, "tiff", "Software", property_kind::simple_text},
    {xmp_uri, "xmp", "CreatorTool", property_kind::simple_text}};

bool is_space(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

// Control characters (§2.2) are in no XML document; among them is the zero that would end the
// parser's copy early.
bool has_control_characters(std::string_view text) {
    return std::ranges::any_of(
        text, [](char c) { return static_cast<unsigned char>(c) < 0x20 && !is_space(c); });
}

packet_layout failed(std::string problem) {
    packet_layout layout;
    layout.well_formed = false;
    layout.problem = std::move(problem);
    return layout;
}

} // namespace

const property_info& info_of(property which) {
    return infos[static_cast<std::size_t>(which)];
}

packet_layout read_layout(std::string_view text) {
    if (text.size() > max_packet_size) {
        return failed("Blok XMP je větší než 4 MiB a nebyl přečten");
    }
    if (!is_valid_utf8(text) || has_control_characters(text)) {
        return failed("Blok XMP není platný text v kódování UTF-8 a nebyl přečten");
    }
    const auto scan = scan_structure(text);
    switch (scan.status) {
    case scan_status::ok:
        break;
    case scan_status::document_type:
        return failed("Blok XMP obsahuje definici typu dokumentu a nebyl přečten");
    case scan_status::too_deep:
        return failed("Blok XMP je zanořený do více než 64 úrovní a nebyl přečten");
    case scan_status::too_many_elements:
        return failed("Blok XMP má více než 10 000 elementů nebo atributů a nebyl přečten");
    case scan_status::malformed:
        return failed("Blok XMP je poškozený a nebyl přečten");
    }
    packet_layout layout;
    if (auto problem = read_descriptions(text, scan, layout)) {
        return failed(std::move(*problem));
    }
    // The padding is the white space between the last element and `<?xpacket end=`.
    const auto end_instruction = text.rfind("<?xpacket end=");
    if (end_instruction != std::string_view::npos && end_instruction >= scan.last_top_level_end) {
        auto begin = end_instruction;
        while (begin > scan.last_top_level_end && is_space(text[begin - 1])) {
            --begin;
        }
        layout.padding = byte_range{begin, end_instruction};
    }
    return layout;
}

packet_texts texts_of(const packet_layout& layout) {
    packet_texts texts;
    texts.well_formed = layout.well_formed;
    texts.problem = layout.problem;
    for (const auto& found : layout.occurrences) {
        auto& text = texts.texts[static_cast<std::size_t>(found.which)];
        if (!text && found.text) {
            text = found.text;
        }
    }
    return texts;
}

} // namespace detail

packet_texts read_packet(std::span<const std::byte> packet) {
    return detail::texts_of(
        detail::read_layout({reinterpret_cast<const char*>(packet.data()), packet.size()}));
}

} // namespace kestrov::imaging::xmp
