#include "cli/console.h"

#include <unistd.h>

namespace kestrov::cli {

void prepare_console() {}

bool is_terminal(std::FILE* stream) {
    return ::isatty(::fileno(stream)) != 0;
}

} // namespace kestrov::cli
