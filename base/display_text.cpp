#include "base/display_text.h"

#include "base/kestrov_exception.h"
#include "base/text_conversion.h"

namespace kestrov {

std::wstring display_text(std::string_view narrow) {
    std::wstring wide;
    try {
        utf8_to_wide(narrow, wide);
    } catch (const kestrov_exception&) {
        narrow = narrow.substr(0, narrow.find('\0'));
        wide.clear();
        for (const char byte : narrow) {
            wide.push_back(static_cast<wchar_t>(static_cast<unsigned char>(byte)));
        }
    }
    return wide;
}

} // namespace kestrov
