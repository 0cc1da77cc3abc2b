// The system's own message texts, converted to UTF-8 so that every narrow text of the program has
// one encoding.
#include "base/system_message.h"

#include "base/text_conversion.h"

#include <windows.h>

namespace kestrov {

namespace {

struct local_buffer {
    wchar_t* text = nullptr;
    ~local_buffer() { LocalFree(text); }
};

} // namespace

std::optional<std::string> system_message_text(hresult code) {
    local_buffer buffer;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, code, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT),
        reinterpret_cast<wchar_t*>(&buffer.text), 0, nullptr);
    if (length == 0 || buffer.text == nullptr) {
        return std::nullopt;
    }
    std::string text;
    to_multibyte(std::wstring_view(buffer.text, length), code_page_utf8, text);
    return text;
}

} // namespace kestrov
