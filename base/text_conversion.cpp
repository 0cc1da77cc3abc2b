#include "base/text_conversion.h"

#include "base/kestrov_exception.h"
#include "base/last_error.h"

#include <optional>

namespace kestrov {

namespace {

constexpr char32_t replacement_character = 0xFFFD;

[[noreturn]] void raise_too_long() {
    throw kestrov_exception("Vstupní text je příliš dlouhý.");
}

[[noreturn]] void raise_no_translation() {
    set_last_error(win32::error_no_unicode_translation);
    throw kestrov_exception(hresult_from_win32(win32::error_no_unicode_translation));
}

bool is_surrogate(char32_t c) {
    return c >= 0xD800 && c <= 0xDFFF;
}

// The code points of a wide text: surrogate pairs joined where wchar_t is 16 bits wide, and
// anything that is no Unicode scalar value replaced.
template <typename Visit>
void for_each_code_point(std::wstring_view text, Visit visit) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        auto c = static_cast<char32_t>(text[i]);
        if constexpr (sizeof(wchar_t) == 2) {
            c &= 0xFFFF;
            if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size()) {
                const auto low = static_cast<char32_t>(text[i + 1]) & 0xFFFF;
                if (low >= 0xDC00 && low <= 0xDFFF) {
                    c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
                    ++i;
                }
            }
        }
        if (c > 0x10FFFF || (c <= 0xFFFF && is_surrogate(c))) {
            c = replacement_character;
        }
        visit(c);
    }
}

void append_wide(std::wstring& out, char32_t c) {
    if constexpr (sizeof(wchar_t) == 2) {
        if (c >= 0x10000) {
            c -= 0x10000;
            out.push_back(static_cast<wchar_t>(0xD800 + (c >> 10)));
            out.push_back(static_cast<wchar_t>(0xDC00 + (c & 0x3FF)));
            return;
        }
    }
    out.push_back(static_cast<wchar_t>(c));
}

} // namespace

void append_utf8(std::string& out, char32_t c) {
    auto byte = [&out](char32_t value) { out.push_back(static_cast<char>(value)); };
    if (c < 0x80) {
        byte(c);
    } else if (c < 0x800) {
        byte(0xC0 | (c >> 6));
        byte(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        byte(0xE0 | (c >> 12));
        byte(0x80 | ((c >> 6) & 0x3F));
        byte(0x80 | (c & 0x3F));
    } else {
        byte(0xF0 | (c >> 18));
        byte(0x80 | ((c >> 12) & 0x3F));
        byte(0x80 | ((c >> 6) & 0x3F));
        byte(0x80 | (c & 0x3F));
    }
}

// Unicode 15 §3.9, table 3-7 gives the well-formed byte ranges.
std::optional<char32_t> decode_utf8(std::string_view bytes, std::size_t& i) {
    const auto lead = static_cast<unsigned char>(bytes[i]);
    if (lead < 0x80) {
        ++i;
        return lead;
    }
    std::size_t length = 0;
    char32_t c = 0;
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        c = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        c = lead & 0x0F;
        low = lead == 0xE0 ? 0xA0 : 0x80;  // overlong forms
        high = lead == 0xED ? 0x9F : 0xBF; // surrogates
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        c = lead & 0x07;
        low = lead == 0xF0 ? 0x90 : 0x80;  // overlong forms
        high = lead == 0xF4 ? 0x8F : 0xBF; // past U+10FFFF
    } else {
        return std::nullopt;
    }
    if (bytes.size() - i < length) {
        return std::nullopt;
    }
    for (std::size_t k = 1; k < length; ++k) {
        const auto next = static_cast<unsigned char>(bytes[i + k]);
        if (next < (k == 1 ? low : 0x80) || next > (k == 1 ? high : 0xBF)) {
            return std::nullopt;
        }
        c = (c << 6) | (next & 0x3F);
    }
    i += length;
    return c;
}

std::size_t to_multibyte(std::wstring_view text, std::uint32_t code_page, std::string& out) {
    if (text.empty()) {
        out.clear();
        return 0;
    }
    if (text.size() > max_convertible_length) {
        raise_too_long();
    }
    std::string converted;
    if (code_page == code_page_utf8) {
        converted.reserve(text.size());
        for_each_code_point(text, [&converted](char32_t c) { append_utf8(converted, c); });
    } else if (!encode_in_code_page(text, code_page, converted)) {
        if (last_error() == win32::error_no_unicode_translation) {
            raise_no_translation();
        }
        throw kestrov_exception();
    }
    out = std::move(converted);
    return out.size();
}

void utf8_to_wide(std::string_view bytes, std::wstring& out) {
    bytes = bytes.substr(0, bytes.find('\0'));
    if (bytes.empty()) {
        out.clear();
        return;
    }
    if (bytes.size() > max_convertible_length) {
        raise_too_long();
    }
    std::wstring converted;
    converted.reserve(bytes.size());
    for (std::size_t i = 0; i < bytes.size();) {
        const auto c = decode_utf8(bytes, i);
        if (!c) {
            raise_no_translation();
        }
        append_wide(converted, *c);
    }
    out = std::move(converted);
}

bool is_valid_utf8(std::string_view bytes) {
    for (std::size_t at = 0; at < bytes.size();) {
        if (!decode_utf8(bytes, at)) {
            return false;
        }
    }
    return true;
}

} // namespace kestrov
