// Running the peer programs through the shell: finding them, quoting their arguments, waiting for
// them and collecting what they print.
#pragma once

#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace kestrov::oracle {

// `text` as one word of a POSIX shell command line (single quotes, inner quotes escaped).
std::string shell_quote(std::string_view text);

// `candidate` when it is an executable file.
std::optional<std::filesystem::path> executable(const std::filesystem::path& candidate);

// The first executable named `program` in a directory of PATH.
std::optional<std::filesystem::path> find_on_path(std::string_view program);

// A shell command started through popen, running until it is finished (at the latest when this
// object ends).
class started_command {
public:
    explicit started_command(const std::string& command_line);
    started_command(const started_command&) = delete;
    started_command& operator=(const started_command&) = delete;
    ~started_command() { finish(); }

    // Waits for the command, adding what it printed to `output` when one is given. The exit code;
    // -1 when the command could not be started or did not exit normally.
    int finish(std::string* output = nullptr);

private:
    FILE* pipe_;
    int exit_code_ = -1;
};

struct command_output {
    int exit_code = -1; // -1 when the command could not be started or did not exit normally
    std::string standard_output;
};

// Runs `command_line` through the shell and collects its standard output.
command_output run_command(const std::string& command_line);

} // namespace kestrov::oracle
