#include "image/oracle/shell_command.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <system_error>

#include <sys/wait.h>
#include <unistd.h>

namespace kestrov::oracle {

std::string shell_quote(std::string_view text) {
    std::string quoted = "'";
    for (const char c : text) {
        if (c == '\'') {
            quoted += "'\\''";
        } else {
            quoted += c;
        }
    }
    return quoted + "'";
}

std::optional<std::filesystem::path> executable(const std::filesystem::path& candidate) {
    std::error_code error;
    if (std::filesystem::is_regular_file(candidate, error) &&
        ::access(candidate.c_str(), X_OK) == 0) {
        return candidate;
    }
    return std::nullopt;
}

std::optional<std::filesystem::path> find_on_path(std::string_view program) {
    const char* path = std::getenv("PATH");
    std::string_view directories = path == nullptr ? "" : path;
    while (true) {
        const std::size_t end = std::min(directories.find(':'), directories.size());
        const std::string_view directory = directories.substr(0, end);
        if (auto found =
                executable(std::filesystem::path(directory.empty() ? "." : directory) / program)) {
            return found;
        }
        if (end == directories.size()) {
            return std::nullopt;
        }
        directories.remove_prefix(end + 1);
    }
}

started_command::started_command(const std::string& command_line)
    : pipe_(::popen(command_line.c_str(), "r")) {}

int started_command::finish(std::string* output) {
    if (pipe_ == nullptr) {
        return exit_code_;
    }
    std::array<char, 65536> buffer{};
    std::size_t read = 0;
    while ((read = std::fread(buffer.data(), 1, buffer.size(), pipe_)) > 0) {
        if (output != nullptr) {
            output->append(buffer.data(), read);
        }
    }
    const int status = ::pclose(pipe_);
    pipe_ = nullptr;
    if (status != -1 && WIFEXITED(status)) {
        exit_code_ = WEXITSTATUS(status);
    }
    return exit_code_;
}

command_output run_command(const std::string& command_line) {
    started_command command(command_line);
    command_output result;
    result.exit_code = command.finish(&result.standard_output);
    return result;
}

} // namespace kestrov::oracle
