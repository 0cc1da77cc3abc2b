// Running exiftool: finding it, and its command lines.
#include "image/oracle/exiftool_oracle.h"

#include <algorithm>
#include <utility>

namespace kestrov::oracle {

std::optional<exiftool> exiftool::find() {
    auto program = find_on_path("exiftool");
    if (!program) {
        return std::nullopt;
    }
    return exiftool(std::move(*program));
}

std::string exiftool::command(std::string_view options) const {
    return shell_quote(program_.native()) + " -config '' " + std::string(options);
}

command_output exiftool::run(std::string_view options, const std::filesystem::path& file) const {
    // A relative name starting with "-" would be read as an option.
    const std::string name =
        file.is_relative() && file.native().starts_with("-") ? "./" + file.native() : file.native();
    return run_command(command(options) + " " + shell_quote(name));
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
