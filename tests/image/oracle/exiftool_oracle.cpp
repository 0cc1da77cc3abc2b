// Running exiftool: finding it, quoting its arguments, collecting its output.
#include "image/oracle/exiftool_oracle.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <utility>

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

std::optional<std::filesystem::path> find_on_path(std::string_view program) {
    const char* path = std::getenv("PATH");
    std::string_view directories = path == nullptr ? "" : path;
    while (true) {
        const std::size_t end = std::min(directories.find(':'), directories.size());
        const std::string_view directory = directories.substr(0, end);
        const std::filesystem::path candidate =
            std::filesystem::path(directory.empty() ? "." : directory) / program;
        std::error_code error;
        if (std::filesystem::is_regular_file(candidate, error) &&
            ::access(candidate.c_str(), X_OK) == 0) {
            return candidate;
        }
        if (end == directories.size()) {
            return std::nullopt;
        }
        directories.remove_prefix(end + 1);
    }
}

command_output run_command(const std::string& command_line) {
    command_output result;
    FILE* pipe = ::popen(command_line.c_str(), "r");
    if (pipe == nullptr) {
        return result;
    }
    std::array<char, 65536> buffer{};
    std::size_t read = 0;
    while ((read = std::fread(buffer.data(), 1, buffer.size(), pipe)) > 0) {
        result.standard_output.append(buffer.data(), read);
    }
    const int status = ::pclose(pipe);
    if (status != -1 && WIFEXITED(status)) {
        result.exit_code = WEXITSTATUS(status);
    }
    return result;
}

std::optional<exiftool> exiftool::find() {
    auto program = find_on_path("exiftool");
    if (!program) {
        return std::nullopt;
    }
    return exiftool(std::move(*program));
}

command_output exiftool::run(std::string_view options, const std::filesystem::path& file) const {
    // A relative name starting with "-" would be read as an option.
    const std::string name =
        file.is_relative() && file.native().starts_with("-") ? "./" + file.native() : file.native();
    // -config "" keeps a user's configuration file from adding or changing tags.
    return run_command(shell_quote(program_.native()) + " -config '' " + std::string(options) +
                       " " + shell_quote(name));
}

exiftool_report exiftool::read_tags(const std::filesystem::path& file) const {
    const command_output output = run("-v5", file);
    exiftool_report report = parse_verbose_output(output.standard_output);
    if (output.exit_code != 0) {
        report.problems.push_back("exiftool -v5 exited with " + std::to_string(output.exit_code));
    }
    return report;
}

std::optional<std::vector<std::byte>> exiftool::thumbnail(const std::filesystem::path& file) const {
    const command_output output = run("-b -IFD1:ThumbnailImage", file);
    if (output.exit_code != 0) {
        return std::nullopt;
    }
    std::vector<std::byte> bytes(output.standard_output.size());
    std::transform(output.standard_output.begin(), output.standard_output.end(), bytes.begin(),
                   [](char c) { return static_cast<std::byte>(c); });
    return bytes;
}

} // namespace kestrov::oracle
