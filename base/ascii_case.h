// Letter case as file-name extensions, encoder lists and PNG keywords need it: they are ASCII, so
// folding A-Z is all a comparison needs, whatever the user's locale. For narrow and wide texts.
#pragma once

#include <algorithm>
#include <string>
#include <string_view>

namespace kestrov {

template <typename Char>
constexpr Char fold_ascii(Char c) {
    return (c >= Char('A') && c <= Char('Z')) ? static_cast<Char>(c + (Char('a') - Char('A'))) : c;
}

template <typename Char>
bool equal_ignoring_case(std::basic_string_view<Char> a, std::basic_string_view<Char> b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](Char x, Char y) {
               return fold_ascii(x) == fold_ascii(y);
           });
}

template <typename Char>
bool contains_ignoring_case(std::basic_string_view<Char> text, std::basic_string_view<Char> part) {
    return std::search(text.begin(), text.end(), part.begin(), part.end(),
                       [](Char a, Char b) { return fold_ascii(a) == fold_ascii(b); }) != text.end();
}

template <typename Char>
std::basic_string<Char> lower_ascii(std::basic_string_view<Char> text) {
    std::basic_string<Char> out(text);
    std::transform(out.begin(), out.end(), out.begin(), fold_ascii<Char>);
    return out;
}

} // namespace kestrov
