// The portable build has no code pages of its own: its narrow texts are UTF-8 throughout, so the
// "ANSI" code page is UTF-8 too and any other is refused as the system refuses an unknown one.
#include "base/text_conversion.h"

#include "base/hresult.h"
#include "base/last_error.h"

namespace kestrov {

bool encode_in_code_page(std::wstring_view text, std::uint32_t code_page, std::string& out) {
    if (code_page == code_page_ansi) {
        to_multibyte(text, code_page_utf8, out);
        return true;
    }
    set_last_error(win32::error_invalid_parameter);
    return false;
}

} // namespace kestrov
