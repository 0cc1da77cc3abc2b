// The structural scan: where each element's tags are, with the limits checked before the
// recursive parser sees the packet.
#include "image/engine/xmp/xmp_detail.h"

namespace kestrov::imaging::xmp::detail {

namespace {

constexpr auto npos = std::string_view::npos;

// Past the end of the start tag that begins at `from` (its '<'), skipping quoted attribute values,
// which may hold '>', and counting its attributes; npos when the tag does not end.
std::size_t start_tag_end(std::string_view text, std::size_t from, std::size_t& attributes) {
    for (std::size_t i = from + 1; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '"' || c == '\'') {
            i = text.find(c, i + 1);
            if (i == npos) {
                return npos;
            }
        } else if (c == '=') {
            ++attributes;
        } else if (c == '>') {
            return i + 1;
        } else if (c == '<') {
            return npos;
        }
    }
    return npos;
}

// Past the end of the markup that begins at `from` with `open` and ends with `close`.
std::size_t skip_markup(std::string_view text, std::size_t from, std::string_view open,
                        std::string_view close) {
    const auto found = text.find(close, from + open.size());
    return found == npos ? npos : found + close.size();
}

} // namespace

scan_result scan_structure(std::string_view text) {
    scan_result result;
    // Entity declarations are how XML bombs are made; a packet has no use for a DTD.
    if (text.find("<!DOCTYPE") != npos || text.find("<!ENTITY") != npos) {
        result.status = scan_status::document_type;
        return result;
    }
    std::vector<std::size_t> open; // indices into result.elements
    std::size_t attributes = 0;
    auto fail = [&result](scan_status status) {
        result.status = status;
        result.elements.clear();
        return result;
    };
    for (std::size_t i = text.find('<'); i != npos;
         i = i < text.size() ? text.find('<', i) : npos) {
        const auto rest = text.substr(i);
        if (rest.starts_with("<?")) {
            i = skip_markup(text, i, "<?", "?>");
        } else if (rest.starts_with("<!--")) {
            i = skip_markup(text, i, "<!--", "-->");
        } else if (rest.starts_with("<![CDATA[")) {
            i = skip_markup(text, i, "<![CDATA[", "]]>");
        } else if (rest.starts_with("<!")) {
            return fail(scan_status::malformed);
        } else if (rest.starts_with("</")) {
            const auto close = text.find('>', i + 2);
            if (close == npos || open.empty()) {
                return fail(scan_status::malformed);
            }
            auto& element = result.elements[open.back()];
            element.content_end = i;
            element.end = close + 1;
            open.pop_back();
            if (open.empty()) {
                result.last_top_level_end = element.end;
            }
            i = close + 1;
        } else {
            const auto end = start_tag_end(text, i, attributes);
            if (end == npos) {
                return fail(scan_status::malformed);
            }
            if (result.elements.size() == max_element_count || attributes > max_attribute_count) {
                return fail(scan_status::too_many_elements);
            }
            element_bytes element{i, end, end, end, text[end - 2] == '/'};
            if (element.empty_tag && open.empty()) {
                result.last_top_level_end = end;
            }
            if (!element.empty_tag) {
                open.push_back(result.elements.size());
                if (open.size() > max_nesting_depth) {
                    return fail(scan_status::too_deep);
                }
            }
            result.elements.push_back(element);
            i = end;
        }
        if (i == npos) {
            return fail(scan_status::malformed);
        }
    }
    if (!open.empty()) {
        return fail(scan_status::malformed);
    }
    return result;
}

} // namespace kestrov::imaging::xmp::detail
