#include "cli/console.h"

#include "base/text_conversion.h"

#include <string>

namespace kestrov::cli {

void write(std::FILE* stream, std::wstring_view text) {
    std::string utf8;
    to_multibyte(text, code_page_utf8, utf8);
    write(stream, std::string_view(utf8));
}

void write(std::FILE* stream, std::string_view utf8) {
    std::fwrite(utf8.data(), 1, utf8.size(), stream);
}

} // namespace kestrov::cli
