// Texts built from the version resource's numbers: the query of one string value and the dotted
// version number.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace kestrov {

namespace version_detail {
inline void append_hex4(std::wstring& text, std::uint16_t value) {
    constexpr wchar_t digits[] = L"0123456789abcdef";
    for (int shift = 12; shift >= 0; shift -= 4) {
        text.push_back(digits[(value >> shift) & 0xF]);
    }
}
} // namespace version_detail

// "\StringFileInfo\<language><code page>\<name>", four lower-case hexadecimal digits each: the
// string block of a translation is named that way in the resource.
inline std::wstring version_string_query(std::uint16_t language, std::uint16_t code_page,
                                         std::wstring_view name) {
    std::wstring query = L"\\StringFileInfo\\";
    version_detail::append_hex4(query, language);
    version_detail::append_hex4(query, code_page);
    query.push_back(L'\\');
    query.append(name);
    return query;
}

// "a.b.c.d" from a fixed version's two 32-bit halves, most significant half first.
inline std::wstring version_number_text(std::uint32_t most_significant,
                                        std::uint32_t least_significant) {
    return std::to_wstring(most_significant >> 16) + L'.' +
           std::to_wstring(most_significant & 0xFFFF) + L'.' +
           std::to_wstring(least_significant >> 16) + L'.' +
           std::to_wstring(least_significant & 0xFFFF);
}

} // namespace kestrov
