// The independent readers (exiftool, exiv2, ImageMagick's identify), each run once over many
// files, all three at the same time.
#pragma once

#include "image/oracle/exiftool_oracle.h"
#include "image/oracle/peer_output.h"

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace kestrov::oracle {

// What the three readers read from a set of files, by the file names they were given.
struct peer_readings {
    // exiftool's every tag: keys "FAMILY0:FAMILY1:NAME" ("EXIF:IFD0:Make", "MakerNotes:Canon:
    // Quality"), values unconverted (-n), binary values as "base64:...", EXIF texts read as UTF-8,
    // unknown tags included.
    files_tags exiftool;
    // exiv2's Exif, IPTC and XMP keys ("Exif.Image.Make") with "TYPE COUNT VALUE".
    files_tags exiv2;
    // ImageMagick's pixel signature of each frame ("frame 0").
    files_tags pixels;
    // Output the parsers could not make sense of: a fault of the oracle, never of the engine.
    std::vector<std::string> problems;
    // A tool's complaints (its exit code and error output) when it failed on some file: worth
    // showing beside differences, since a damaged file makes the tools complain.
    std::vector<std::string> complaints;
};

class peer_tools {
public:
    // The three programs, or nothing when one is not installed; `missing` then names it.
    static std::optional<peer_tools> find(std::string& missing);

    // Runs the readers over `files`, names relative to `folder` without white space (two or more:
    // exiv2 names the file on each line only then). Their raw output is left in `folder` as
    // peer-exiftool.json, peer-exiv2.txt and peer-identify.txt.
    peer_readings read(const std::filesystem::path& folder,
                       const std::vector<std::string>& files) const;

private:
    peer_tools(exiftool exiftool_program, std::filesystem::path exiv2,
               std::filesystem::path identify);

    exiftool exiftool_;
    std::filesystem::path exiv2_;
    std::filesystem::path identify_;
};

} // namespace kestrov::oracle
