#include "cli/console.h"

#include <io.h>

#include <windows.h>

namespace kestrov::cli {

void prepare_console() {
    SetConsoleOutputCP(CP_UTF8);
}

bool is_terminal(std::FILE* stream) {
    return _isatty(_fileno(stream)) != 0;
}

} // namespace kestrov::cli
