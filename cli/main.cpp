// mirtel-cli: the console companion of Mirtel.
#include "base/text_conversion.h"
#include "cli/commands.h"
#include "cli/console.h"

#include <exception>
#include <string>
#include <vector>

#ifdef _WIN32
int wmain(int argc, wchar_t** argv) {
    kestrov::cli::prepare_console();
    std::vector<std::wstring> arguments(argv + 1, argv + argc);
    return kestrov::cli::run(arguments);
}
#else
int main(int argc, char** argv) {
    std::vector<std::wstring> arguments;
    for (int i = 1; i < argc; ++i) {
        std::wstring argument;
        try {
            kestrov::utf8_to_wide(argv[i], argument);
        } catch (const std::exception&) {
            kestrov::cli::write(stderr, "mirtel-cli: parametr " + std::string(argv[i]) +
                                            " není v kódování UTF-8\n");
            return 2;
        }
        arguments.push_back(std::move(argument));
    }
    return kestrov::cli::run(arguments);
}
#endif
