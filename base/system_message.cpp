#include "base/system_message.h"

#include "base/text_conversion.h"

#include <cstdio>

namespace kestrov {

std::string system_message(hresult code) {
    if (code == s_ok) {
        return "Nespecifikovaná chyba";
    }
    if (auto text = system_message_text(code)) {
        return std::move(*text);
    }
    return "Nespecifikovaná chyba Win API";
}

std::wstring error_text(hresult code) {
    if (auto text = system_message_text(code)) {
        std::wstring wide;
        utf8_to_wide(*text, wide);
        if (!wide.empty() && wide.back() == L'\n') {
            wide.pop_back();
            if (!wide.empty() && wide.back() == L'\r') {
                wide.pop_back();
            }
        }
        return wide;
    }
    // The fallbacks are formatted into a 32-character buffer, hence at most 31 characters.
    char buffer[32];
    if (code >= 0x80040201U && code <= 0x8004FFFFU) {
        std::snprintf(buffer, sizeof buffer, "IDispatch error #%u", code - 0x80040200U);
    } else {
        std::snprintf(buffer, sizeof buffer, "Unknown error 0x%0lX",
                      static_cast<unsigned long>(code));
    }
    return {buffer, buffer + std::char_traits<char>::length(buffer)};
}

} // namespace kestrov
