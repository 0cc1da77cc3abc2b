#include "cli/console.h"

#include "image/text_conversion.h"

#include <string>
#include <unistd.h>

namespace kestrov::cli {

void prepare_console() {}

bool is_terminal(std::FILE* stream) {
    return ::isatty(::fileno(stream)) != 0;
}

void write(std::FILE* stream, std::wstring_view text) {
    std::string utf8;
    to_multibyte(text, code_page_utf8, utf8);
    write(stream, std::string_view(utf8));
}

void write(std::FILE* stream, std::string_view utf8) {
    std::fwrite(utf8.data(), 1, utf8.size(), stream);
}

} // namespace kestrov::cli
