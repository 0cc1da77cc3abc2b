// Running the peer readers side by side: each one's output goes to a file, so no pipe can fill up
// while the others are still working, and the test waits for all three together.
#include "image/oracle/peer_tools.h"

#include "image/oracle/exiftool_oracle.h"

#include <cstdio>
#include <fstream>
#include <system_error>
#include <utility>

#include <sys/wait.h>
#include <unistd.h>

namespace kestrov::oracle {

namespace {

namespace fs = std::filesystem;

// Every tag exiftool can read, as stored (-n), binary values in full (-b, base64 in JSON), with
// duplicates (-a), unknown tags and unknown binary tags (-u -U, so maker notes are read even where
// exiftool has no names for them). -charset exif=utf8 reads EXIF texts as UTF-8, the way the
// engine writes them. -config '' (which must come first) keeps a user's configuration file out.
constexpr const char* exiftool_options =
    " -config '' -j -G0:1 -a -s -u -U -n -b -charset exif=utf8";
// Exif, IPTC and XMP, unknown tags included (-u); key, type, count and plain value of each.
constexpr const char* exiv2_options = " -u -PEIXkycv";
// Name, frame and ImageMagick's signature of the frame's pixels.
constexpr const char* identify_options = " -quiet -format '%i %p %#\\n'";

std::optional<fs::path> executable(const fs::path& candidate) {
    std::error_code error;
    if (fs::is_regular_file(candidate, error) && ::access(candidate.c_str(), X_OK) == 0) {
        return candidate;
    }
    return std::nullopt;
}

// A shell command started through popen; its output is redirected, so nothing comes through
// the pipe and closing it just waits for the command.
class started_command {
public:
    explicit started_command(const std::string& command_line)
        : pipe_(::popen(command_line.c_str(), "r")) {}
    started_command(const started_command&) = delete;
    started_command& operator=(const started_command&) = delete;
    ~started_command() { finish(); }

    // The exit code; -1 when it did not start or did not exit normally.
    int finish() {
        if (pipe_ == nullptr) {
            return exit_code_;
        }
        char buffer[4096];
        while (std::fread(buffer, 1, sizeof buffer, pipe_) > 0) {
        }
        const int status = ::pclose(pipe_);
        pipe_ = nullptr;
        if (status != -1 && WIFEXITED(status)) {
            exit_code_ = WEXITSTATUS(status);
        }
        return exit_code_;
    }

private:
    FILE* pipe_;
    int exit_code_ = -1;
};

std::string read_text(const fs::path& file) {
    std::error_code error;
    const auto size = fs::file_size(file, error);
    std::ifstream stream(file, std::ios::binary);
    if (error || !stream) {
        return {};
    }
    std::string text(static_cast<std::size_t>(size), '\0');
    stream.read(text.data(), static_cast<std::streamsize>(text.size()));
    text.resize(static_cast<std::size_t>(stream.gcount()));
    return text;
}

void take_problems(std::vector<std::string>& into, peer_output& output) {
    for (std::string& problem : output.problems) {
        into.push_back(std::move(problem));
    }
}

} // namespace

peer_tools::peer_tools(fs::path exiftool, fs::path exiv2, fs::path identify)
    : exiftool_(std::move(exiftool)), exiv2_(std::move(exiv2)), identify_(std::move(identify)) {}

std::optional<peer_tools> peer_tools::find(std::string& missing) {
    const auto exiftool = find_on_path("exiftool");
    const auto exiv2 = find_on_path("exiv2");
    // ImageMagick's own program: a "convert" earlier on PATH may be something else.
    auto identify = executable("/usr/bin/identify");
    if (!identify) {
        identify = find_on_path("identify");
    }
    missing = !exiftool ? "exiftool" : !exiv2 ? "exiv2" : !identify ? "identify" : "";
    if (!missing.empty()) {
        return std::nullopt;
    }
    return peer_tools(*exiftool, *exiv2, *identify);
}

peer_readings peer_tools::read(const fs::path& folder,
                               const std::vector<std::string>& files) const {
    std::string names;
    for (const std::string& file : files) {
        names += " " + shell_quote(file);
    }
    const std::string in_folder = "cd " + shell_quote(folder.native()) + " && ";
    const auto command = [&](const fs::path& program, const char* options, const char* output) {
        const std::string base = output;
        return in_folder + shell_quote(program.native()) + options + names + " >" +
               shell_quote(base) + " 2>" + shell_quote(base + ".err");
    };
    started_command exiftool(command(exiftool_, exiftool_options, "peer-exiftool.json"));
    started_command exiv2(command(exiv2_, exiv2_options, "peer-exiv2.txt"));
    started_command identify(command(identify_, identify_options, "peer-identify.txt"));

    peer_readings readings;
    // exiftool exits with 1 when it could not read a file, identify when it could not decode
    // one, exiv2 whenever a file holds no metadata of a kind asked for (so its code says nothing).
    // A file a tool could not read shows as a file without tags.
    const auto complain = [&](const char* tool, int code, const char* output) {
        const std::string errors = read_text(folder / (std::string(output) + ".err"));
        readings.complaints.push_back(std::string(tool) + " exited with " + std::to_string(code) +
                                      (errors.empty() ? "" : ": " + errors.substr(0, 2000)));
    };
    if (const int code = exiftool.finish(); code != 0) {
        complain("exiftool", code, "peer-exiftool.json");
    }
    exiv2.finish();
    if (const int code = identify.finish(); code != 0) {
        complain("identify", code, "peer-identify.txt");
    }

    peer_output exiftool_output = parse_exiftool_json(read_text(folder / "peer-exiftool.json"));
    peer_output exiv2_output = parse_exiv2_output(read_text(folder / "peer-exiv2.txt"), files);
    peer_output identify_output = parse_identify_output(read_text(folder / "peer-identify.txt"));
    take_problems(readings.problems, exiftool_output);
    take_problems(readings.problems, exiv2_output);
    take_problems(readings.problems, identify_output);
    readings.exiftool = std::move(exiftool_output.files);
    readings.exiv2 = std::move(exiv2_output.files);
    readings.pixels = std::move(identify_output.files);
    return readings;
}

} // namespace kestrov::oracle
