// Running the peer readers side by side: each one's output goes to a file, so no pipe can fill up
// while the others are still working, and the test waits for all three together.
#include "image/oracle/peer_tools.h"

#include "image/oracle/exiftool_oracle.h"
#include "support/file_bytes.h"

#include <utility>

namespace kestrov::oracle {

namespace {

namespace fs = std::filesystem;
using kestrov::testing::file_text;

// Exif, IPTC and XMP, unknown tags included (-u); key, type, count and plain value of each.
constexpr const char* exiv2_options = " -u -PEIXkycv";
// Name, frame and ImageMagick's signature of the frame's pixels.
constexpr const char* identify_options = " -quiet -format '%i %p %#\\n'";

void take_problems(std::vector<std::string>& into, peer_output& output) {
    for (std::string& problem : output.problems) {
        into.push_back(std::move(problem));
    }
}

} // namespace

peer_tools::peer_tools(exiftool exiftool_program, fs::path exiv2, fs::path identify)
    : exiftool_(std::move(exiftool_program)), exiv2_(std::move(exiv2)),
      identify_(std::move(identify)) {}

std::optional<peer_tools> peer_tools::find(std::string& missing) {
    auto exiftool_program = exiftool::find();
    const auto exiv2 = find_on_path("exiv2");
    // ImageMagick's own program: a "convert" earlier on PATH may be something else.
    auto identify = executable("/usr/bin/identify");
    if (!identify) {
        identify = find_on_path("identify");
    }
    missing = !exiftool_program ? "exiftool" : !exiv2 ? "exiv2" : !identify ? "identify" : "";
    if (!missing.empty()) {
        return std::nullopt;
    }
    return peer_tools(std::move(*exiftool_program), *exiv2, *identify);
}

peer_readings peer_tools::read(const fs::path& folder,
                               const std::vector<std::string>& files) const {
    std::string names;
    for (const std::string& file : files) {
        names += " " + shell_quote(file);
    }
    const std::string in_folder = "cd " + shell_quote(folder.native()) + " && ";
    // `start`: the program and its options.
    const auto command = [&](const std::string& start, const char* output) {
        const std::string base = output;
        return in_folder + start + names + " >" + shell_quote(base) + " 2>" +
               shell_quote(base + ".err");
    };
    started_command exiftool_run(
        command(exiftool_.command(exiftool::json_options), "peer-exiftool.json"));
    started_command exiv2_run(
        command(shell_quote(exiv2_.native()) + exiv2_options, "peer-exiv2.txt"));
    started_command identify_run(
        command(shell_quote(identify_.native()) + identify_options, "peer-identify.txt"));

    peer_readings readings;
    // exiftool exits with 1 when it could not read a file, identify when it could not decode
    // one, exiv2 whenever a file holds no metadata of a kind asked for (so its code says nothing).
    // A file a tool could not read shows as a file without tags.
    const auto complain = [&](const char* tool, int code, const char* output) {
        const std::string errors = file_text(folder / (std::string(output) + ".err"));
        readings.complaints.push_back(std::string(tool) + " exited with " + std::to_string(code) +
                                      (errors.empty() ? "" : ": " + errors.substr(0, 2000)));
    };
    if (const int code = exiftool_run.finish(); code != 0) {
        complain("exiftool", code, "peer-exiftool.json");
    }
    exiv2_run.finish();
    if (const int code = identify_run.finish(); code != 0) {
        complain("identify", code, "peer-identify.txt");
    }

    peer_output exiftool_output = parse_exiftool_json(file_text(folder / "peer-exiftool.json"));
    peer_output exiv2_output = parse_exiv2_output(file_text(folder / "peer-exiv2.txt"), files);
    peer_output identify_output = parse_identify_output(file_text(folder / "peer-identify.txt"));
    take_problems(readings.problems, exiftool_output);
    take_problems(readings.problems, exiv2_output);
    take_problems(readings.problems, identify_output);
    readings.exiftool = std::move(exiftool_output.files);
    readings.exiv2 = std::move(exiv2_output.files);
    readings.pixels = std::move(identify_output.files);
    return readings;
}

} // namespace kestrov::oracle
