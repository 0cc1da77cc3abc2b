// Value text: decoding references, escaping, and what XML can hold.
#include "image/engine/xmp/xmp_detail.h"

#include "base/text_conversion.h"

namespace kestrov::imaging::xmp {

namespace {

// XML 1.0 §2.2 Char.
bool is_xml_char(char32_t c) {
    return c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c <= 0xD7FF) ||
           (c >= 0xE000 && c <= 0xFFFD) || (c >= 0x10000 && c <= 0x10FFFF);
}

int digit_value(char c, int base) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (base == 16 && c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (base == 16 && c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

// A character reference's digits (XML 1.0 §4.1), after "&#" or "&#x".
std::optional<char32_t> character_reference(std::string_view digits, int base) {
    if (digits.empty()) {
        return std::nullopt;
    }
    char32_t value = 0;
    for (const char c : digits) {
        const int digit = digit_value(c, base);
        if (digit < 0) {
            return std::nullopt;
        }
        value = value * static_cast<char32_t>(base) + static_cast<char32_t>(digit);
        // Stop before the value can overflow: no character lies past U+10FFFF.
        if (value > 0x10FFFF) {
            return std::nullopt;
        }
    }
    return value;
}

// The name between '&' and ';' appended as the character it stands for.
bool append_reference(std::string& out, std::string_view name) {
    static constexpr std::pair<std::string_view, char> predefined[] = {
        {"amp", '&'}, {"lt", '<'}, {"gt", '>'}, {"quot", '"'}, {"apos", '\''}};
    for (const auto& [entity, c] : predefined) {
        if (name == entity) {
            out += c;
            return true;
        }
    }
    if (!name.starts_with('#')) {
        return false;
    }
    const auto code = name.starts_with("#x") ? character_reference(name.substr(2), 16)
                                             : character_reference(name.substr(1), 10);
    if (!code || !is_xml_char(*code)) {
        return false;
    }
    append_utf8(out, *code);
    return true;
}

} // namespace

bool is_storable_text(std::string_view text) {
    for (std::size_t at = 0; at < text.size();) {
        const auto c = decode_utf8(text, at);
        if (!c || !is_xml_char(*c)) {
            return false;
        }
    }
    return true;
}

namespace detail {

std::optional<std::string> decode_value(std::string_view raw, value_place place) {
    const bool attribute = place == value_place::attribute;
    std::string out;
    out.reserve(raw.size());
    for (std::size_t i = 0; i < raw.size();) {
        const char c = raw[i];
        if (c == '&') {
            const auto semicolon = raw.find(';', i + 1);
            if (semicolon == std::string_view::npos ||
                !append_reference(out, raw.substr(i + 1, semicolon - i - 1))) {
                return std::nullopt;
            }
            i = semicolon + 1;
        } else if (c == '\r') {
            // CR LF and a lone CR are read as LF (§2.11), which an attribute reads as a space.
            out += attribute ? ' ' : '\n';
            i += i + 1 < raw.size() && raw[i + 1] == '\n' ? 2U : 1U;
        } else if (attribute && (c == '\n' || c == '\t')) {
            out += ' '; // Attribute-value normalisation (§3.3.3)
            ++i;
        } else if (c == '<' || (static_cast<unsigned char>(c) < 0x20 && c != '\n' && c != '\t')) {
            return std::nullopt;
        } else {
            out += c;
            ++i;
        }
    }
    return out;
}

std::string storable_text(std::string_view text) {
    std::string out;
    for (std::size_t at = 0; at < text.size();) {
        const auto c = decode_utf8(text, at);
        if (!c) {
            ++at;
        }
        std::string encoded;
        append_utf8(encoded, c.value_or(0xFFFD));
        out += is_storable_text(encoded) ? encoded : "\xEF\xBF\xBD";
    }
    return out;
}

void append_escaped(std::string& out, std::string_view text, value_place place) {
    const bool attribute = place == value_place::attribute;
    for (const char c : text) {
        switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '\r':
            // Written literally, a CR would be read back as LF.
            out += "&#xD;";
            break;
        case '"':
            out += attribute ? "&quot;" : "\"";
            break;
        case '\'':
            out += attribute ? "&apos;" : "'";
            break;
        case '\n':
            out += attribute ? "&#xA;" : "\n";
            break;
        case '\t':
            out += attribute ? "&#x9;" : "\t";
            break;
        default:
            out += c;
        }
    }
}

} // namespace detail

} // namespace kestrov::imaging::xmp
