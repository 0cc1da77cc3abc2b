// The text of an error event: never empty, always a finished sentence, one line.
#pragma once

#include <string>
#include <string_view>

namespace kestrov {

template <typename Char>
std::basic_string<Char> event_log_text(std::basic_string_view<Char> text) {
    static constexpr Char fallback[] = {'C', 'h', 'y', 'b', 'a', ' ', 'a', 'p',
                                        'l', 'i', 'k', 'a', 'c', 'e', '\0'};
    std::basic_string<Char> event(text.empty() ? std::basic_string_view<Char>(fallback) : text);
    if (event.back() != Char('.')) {
        event.push_back(Char('.'));
    }
    event.push_back(Char('\r'));
    event.push_back(Char('\n'));
    return event;
}

inline std::wstring event_log_text(const std::wstring& text) {
    return event_log_text(std::wstring_view(text));
}

inline std::string event_log_text(const std::string& text) {
    return event_log_text(std::string_view(text));
}

} // namespace kestrov
