#include "base/text_conversion.h"

#include <climits>

#include <windows.h>

namespace kestrov {

bool encode_in_code_page(std::wstring_view text, std::uint32_t code_page, std::string& out) {
    // The caller has checked the length against INT_MAX already.
    const int length = static_cast<int>(text.size());
    const int needed =
        WideCharToMultiByte(code_page, 0, text.data(), length, nullptr, 0, nullptr, nullptr);
    if (needed == 0) {
        return false;
    }
    out.assign(static_cast<std::size_t>(needed), '\0');
    return WideCharToMultiByte(code_page, 0, text.data(), length, out.data(), needed, nullptr,
                               nullptr) != 0;
}

} // namespace kestrov
