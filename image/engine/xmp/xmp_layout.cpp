// Reading a packet: the parser's tree, checked and mapped onto byte positions, and the seven
// properties found in the rdf:Descriptions of rdf:RDF (XMP Part 1 §7.3, §7.4).
#include "image/engine/xmp/xmp_detail.h"

#include <rapidxml.hpp>

#include <algorithm>
#include <memory>

namespace kestrov::imaging::xmp::detail {

namespace {

using xml_node = rapidxml::xml_node<char>;
using xml_attribute = rapidxml::xml_attribute<char>;

constexpr std::string_view rdf_uri = "http://www.w3.org/1999/02/22-rdf-syntax-ns#";

// Thrown when the parser's tree and the scan disagree, which a well-formed packet cannot cause.
struct inconsistent_tree {};

std::string_view name_of(const xml_node& node) {
    return {node.name(), node.name_size()};
}
std::string_view name_of(const xml_attribute& attribute) {
    return {attribute.name(), attribute.name_size()};
}
std::string_view value_of(const xml_attribute& attribute) {
    return {attribute.value(), attribute.value_size()};
}

std::string_view prefix_of(std::string_view name) {
    const auto colon = name.find(':');
    return colon == std::string_view::npos ? std::string_view{} : name.substr(0, colon);
}
std::string_view local_of(std::string_view name) {
    const auto colon = name.find(':');
    return colon == std::string_view::npos ? name : name.substr(colon + 1);
}

bool is_space(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

bool equals_ascii_case_insensitive(std::string_view a, std::string_view b) {
    return std::ranges::equal(a, b, [](char x, char y) {
        const auto lower = [](char c) {
            return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c;
        };
        return lower(x) == lower(y);
    });
}

class layout_reader {
public:
    layout_reader(std::string_view text, const char* base, const scan_result& scan)
        : text_(text), base_(base), scan_(scan) {}

    std::size_t offset_of(const char* at) const { return static_cast<std::size_t>(at - base_); }

    element_bytes bytes_of(const xml_node& element) const {
        const auto start = offset_of(element.name()) - 1;
        const auto found =
            std::ranges::lower_bound(scan_.elements, start, {}, &element_bytes::start);
        if (found == scan_.elements.end() || found->start != start) {
            throw inconsistent_tree{};
        }
        return *found;
    }

    // Every value decodes: a reference to anything but a character or a predefined entity makes
    // the packet malformed wherever it is.
    bool values_decode(const xml_node& node) const {
        for (auto* a = node.first_attribute(); a; a = a->next_attribute()) {
            if (!decode_value(value_of(*a), value_place::attribute)) {
                return false;
            }
        }
        for (auto* child = node.first_node(); child; child = child->next_sibling()) {
            if (child->type() == rapidxml::node_data &&
                !decode_value({child->value(), child->value_size()}, value_place::content)) {
                return false;
            }
            if (child->type() == rapidxml::node_element && !values_decode(*child)) {
                return false;
            }
        }
        return true;
    }

    // The URI bound to the prefix at `element`: its own declarations and its ancestors' up to
    // (not including) `stop`, then the description's bindings.
    std::optional<std::string> uri_of(const xml_node* element, const xml_node* stop,
                                      std::string_view prefix,
                                      const std::vector<namespace_binding>& outer) const {
        for (; element && element != stop && element->type() == rapidxml::node_element;
             element = element->parent()) {
            for (auto* a = element->first_attribute(); a; a = a->next_attribute()) {
                const auto name = name_of(*a);
                if (prefix.empty() ? name == "xmlns"
                                   : (prefix_of(name) == "xmlns" && local_of(name) == prefix)) {
                    return decode_value(value_of(*a), value_place::attribute);
                }
            }
        }
        for (const auto& binding : outer) {
            if (binding.prefix == prefix) {
                return binding.uri;
            }
        }
        return std::nullopt;
    }

    bool is_named(const xml_node& element, const xml_node* stop, std::string_view uri,
                  std::string_view local, const std::vector<namespace_binding>& outer) const {
        const auto name = name_of(element);
        return local_of(name) == local && uri_of(&element, stop, prefix_of(name), outer) == uri;
    }

    const xml_node* find_rdf(const xml_node& node) const {
        for (auto* child = node.first_node(); child; child = child->next_sibling()) {
            if (child->type() != rapidxml::node_element) {
                continue;
            }
            if (is_named(*child, nullptr, rdf_uri, "RDF", {})) {
                return child;
            }
            if (auto* found = find_rdf(*child)) {
                return found;
            }
        }
        return nullptr;
    }

    std::string line_indent(std::size_t at) const {
        auto begin = at;
        while (begin > 0 && (text_[begin - 1] == ' ' || text_[begin - 1] == '\t')) {
            --begin;
        }
        if (begin > 0 && text_[begin - 1] != '\n' && text_[begin - 1] != '\r') {
            return {};
        }
        return std::string(text_.substr(begin, at - begin));
    }

    description_layout describe(const xml_node& description) const {
        description_layout layout;
        layout.element = bytes_of(description);
        layout.qualified_name = name_of(description);
        layout.rdf_prefix = prefix_of(layout.qualified_name);
        layout.attributes_end = offset_of(description.name()) + description.name_size();
        for (auto* a = description.first_attribute(); a; a = a->next_attribute()) {
            layout.attributes_end = offset_of(a->value()) + a->value_size() + 1;
        }
        for (auto* element = &description; element && element->type() == rapidxml::node_element;
             element = element->parent()) {
            for (auto* a = element->first_attribute(); a; a = a->next_attribute()) {
                const auto name = name_of(*a);
                const bool declares = name == "xmlns" || prefix_of(name) == "xmlns";
                const auto prefix = name == "xmlns" ? std::string_view{} : local_of(name);
                const bool seen = std::ranges::any_of(
                    layout.bindings, [&](const auto& b) { return b.prefix == prefix; });
                if (declares && !seen) {
                    layout.bindings.push_back(
                        {std::string(prefix), *decode_value(value_of(*a), value_place::attribute)});
                }
            }
        }
        layout.indent = line_indent(layout.element.start);
        layout.child_indent = layout.indent + " ";
        for (auto* child = description.first_node() ? description.last_node() : nullptr; child;
             child = child->previous_sibling()) {
            if (child->type() == rapidxml::node_element) {
                const auto indent = line_indent(bytes_of(*child).start);
                if (!indent.empty()) {
                    layout.child_indent = indent;
                }
                break;
            }
        }
        return layout;
    }

    // An element's text: its character data and CDATA sections; white space alone is kept too.
    std::optional<std::string> text_of(const xml_node& element) const {
        std::string text;
        bool has_data = false;
        for (auto* child = element.first_node(); child; child = child->next_sibling()) {
            const std::string_view value{child->value(), child->value_size()};
            if (child->type() == rapidxml::node_element) {
                return std::nullopt;
            }
            if (child->type() == rapidxml::node_data) {
                text += *decode_value(value, value_place::content);
                has_data = true;
            } else if (child->type() == rapidxml::node_cdata) {
                text += value;
                has_data = true;
            }
        }
        const auto bytes = bytes_of(element);
        const auto raw = text_.substr(bytes.content_begin, bytes.content_end - bytes.content_begin);
        if (!has_data && std::ranges::all_of(raw, is_space)) {
            return decode_value(raw, value_place::content);
        }
        return text;
    }

    const xml_attribute* rdf_attribute(const xml_node& element, std::string_view local,
                                       const std::vector<namespace_binding>& outer) const {
        for (auto* a = element.first_attribute(); a; a = a->next_attribute()) {
            const auto name = name_of(*a);
            if (!prefix_of(name).empty() && local_of(name) == local &&
                uri_of(&element, element.parent(), prefix_of(name), outer) == rdf_uri) {
                return a;
            }
        }
        return nullptr;
    }

    void read_array(occurrence& found, const xml_node& array, const xml_node& property_element,
                    const std::vector<namespace_binding>& outer) const {
        found.form = property_form::array_element;
        found.array = bytes_of(array);
        found.array_kind = local_of(name_of(array))[0];
        std::vector<std::string> texts;
        std::optional<std::string> first_text;
        std::optional<std::string> default_text;
        for (auto* item = array.first_node(); item; item = item->next_sibling()) {
            if (item->type() != rapidxml::node_element ||
                !is_named(*item, property_element.parent(), rdf_uri, "li", outer)) {
                continue;
            }
            const auto bytes = bytes_of(*item);
            found.items = byte_range{found.items ? found.items->begin : bytes.start, bytes.end};
            auto text = text_of(*item);
            const auto* language = item->first_attribute("xml:lang");
            if (!found.default_item && language &&
                equals_ascii_case_insensitive(value_of(*language), "x-default")) {
                found.default_item = bytes;
                default_text = text;
            }
            if (text) {
                first_text = first_text ? first_text : text;
                texts.push_back(std::move(*text));
            }
        }
        if (info_of(found.which).kind == property_kind::ordered_array) {
            std::string joined;
            for (std::size_t i = 0; i < texts.size(); ++i) {
                joined += i == 0 ? "" : "; ";
                joined += texts[i];
            }
            found.text = std::move(joined);
        } else {
            found.text = found.default_item ? default_text : first_text;
        }
    }

    void read_element(occurrence& found, const xml_node& element,
                      const std::vector<namespace_binding>& outer) const {
        const auto bytes = bytes_of(element);
        found.whole = {bytes.start, bytes.end};
        found.value = {bytes.content_begin, bytes.content_end};
        found.form = property_form::other_element;
        // rdf:resource, rdf:parseType or rdf:nodeID make the value something other than text.
        if (rdf_attribute(element, "resource", outer) ||
            rdf_attribute(element, "parseType", outer) || rdf_attribute(element, "nodeID", outer)) {
            return;
        }
        const xml_node* only_child = nullptr;
        std::size_t children = 0;
        for (auto* child = element.first_node(); child; child = child->next_sibling()) {
            if (child->type() == rapidxml::node_element) {
                only_child = child;
                ++children;
            }
        }
        if (children == 0) {
            found.form = property_form::text_element;
            found.text = text_of(element);
            return;
        }
        const auto kind = local_of(name_of(*only_child));
        if (children == 1 && (kind == "Alt" || kind == "Seq" || kind == "Bag") &&
            is_named(*only_child, element.parent(), rdf_uri, kind, outer)) {
            read_array(found, *only_child, element, outer);
        }
    }

    // The property a name stands for; `own` is the property element, whose declarations come
    // before the description's bindings, or nothing for the description's attributes.
    std::optional<property> property_named(const xml_node* own, std::string_view name,
                                           const std::vector<namespace_binding>& outer) const {
        for (std::size_t i = 0; i < property_count; ++i) {
            const auto& info = info_of(static_cast<property>(i));
            if (local_of(name) == info.local_name &&
                uri_of(own, own ? own->parent() : nullptr, prefix_of(name), outer) ==
                    info.namespace_uri) {
                return static_cast<property>(i);
            }
        }
        return std::nullopt;
    }

    void read(const xml_node& rdf, packet_layout& layout) const {
        for (auto* child = rdf.first_node(); child; child = child->next_sibling()) {
            if (child->type() != rapidxml::node_element ||
                !is_named(*child, nullptr, rdf_uri, "Description", {})) {
                continue;
            }
            layout.descriptions.push_back(describe(*child));
            const auto index = layout.descriptions.size() - 1;
            const auto& bindings = layout.descriptions.back().bindings;
            for (auto* a = child->first_attribute(); a; a = a->next_attribute()) {
                const auto name = name_of(*a);
                // Attributes without a prefix are in no namespace (Namespaces in XML §6.2).
                const auto which = prefix_of(name).empty() || prefix_of(name) == "xmlns"
                                       ? std::nullopt
                                       : property_named(nullptr, name, bindings);
                if (!which) {
                    continue;
                }
                occurrence found;
                found.which = *which;
                found.description = index;
                found.form = property_form::attribute;
                const auto name_start = offset_of(a->name());
                auto begin = name_start;
                while (begin > 0 && is_space(text_[begin - 1])) {
                    --begin;
                }
                found.value = {offset_of(a->value()), offset_of(a->value()) + a->value_size()};
                found.whole = {begin, found.value.end + 1};
                found.text = decode_value(value_of(*a), value_place::attribute);
                layout.occurrences.push_back(std::move(found));
            }
            for (auto* element = child->first_node(); element; element = element->next_sibling()) {
                if (element->type() != rapidxml::node_element) {
                    continue;
                }
                if (const auto which = property_named(element, name_of(*element), bindings)) {
                    occurrence found;
                    found.which = *which;
                    found.description = index;
                    read_element(found, *element, bindings);
                    layout.occurrences.push_back(std::move(found));
                }
            }
        }
    }

private:
    std::string_view text_;
    const char* base_;
    const scan_result& scan_;
};

} // namespace

std::optional<std::string> read_descriptions(std::string_view text, const scan_result& scan,
                                             packet_layout& layout) {
    constexpr auto malformed = "Blok XMP je poškozený a nebyl přečten";
    // The parser keeps pointers into a zero-terminated copy and changes nothing in it.
    std::vector<char> buffer(text.begin(), text.end());
    buffer.push_back('\0');
    auto document = std::make_unique<rapidxml::xml_document<char>>();
    try {
        document->parse<rapidxml::parse_non_destructive | rapidxml::parse_validate_closing_tags>(
            buffer.data());
        const layout_reader reader(text, buffer.data(), scan);
        if (!reader.values_decode(*document)) {
            return "Blok XMP obsahuje neznámou entitu nebo neplatnou hodnotu a nebyl přečten";
        }
        const auto* rdf = reader.find_rdf(*document);
        if (!rdf) {
            return "Blok XMP neobsahuje data RDF a nebyl přečten";
        }
        reader.read(*rdf, layout);
        return std::nullopt;
    } catch (const rapidxml::parse_error&) {
        return malformed;
    } catch (const inconsistent_tree&) {
        return malformed;
    }
}

} // namespace kestrov::imaging::xmp::detail
