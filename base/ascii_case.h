// Letter case as file-name extensions and encoder lists need it: they are ASCII, so folding A-Z
// is all a comparison needs, whatever the user's locale.
#pragma once

#include <algorithm>
#include <string_view>

namespace kestrov {

constexpr wchar_t fold_ascii(wchar_t c) {
    return (c >= L'A' && c <= L'Z') ? static_cast<wchar_t>(c + (L'a' - L'A')) : c;
}

inline bool equal_ignoring_case(std::wstring_view a, std::wstring_view b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(),
                      [](wchar_t x, wchar_t y) { return fold_ascii(x) == fold_ascii(y); });
}

inline bool contains_ignoring_case(std::wstring_view text, std::wstring_view part) {
    return std::search(text.begin(), text.end(), part.begin(), part.end(),
                       [](wchar_t a, wchar_t b) { return fold_ascii(a) == fold_ascii(b); }) !=
           text.end();
}

} // namespace kestrov
