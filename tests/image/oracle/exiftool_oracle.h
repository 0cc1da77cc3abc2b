// exiftool as an independent reader of Exif and TIFF metadata: what it reports for the IFD0,
// Exif and GPS directories of a file, as raw TIFF fields (type, count, value bytes), to be set
// against the items the metadata engine exposes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kestrov::oracle {

// The directories whose fields the engine exposes by tag number, in the order it reads them.
enum class exif_directory { ifd0, exif, gps };

// exiftool's name of the directory ("IFD0", "ExifIFD", "GPS").
std::string_view directory_name(exif_directory directory);

// One field as exiftool found it in the file.
struct reported_tag {
    exif_directory directory = exif_directory::ifd0;
    std::uint16_t number = 0;
    std::string name;       // exiftool's tag name, for messages only
    std::uint16_t type = 0; // the TIFF field type stored in the entry
    std::uint32_t count = 0;
    std::vector<std::byte> value; // little-endian element by element, whatever the file's order
};

struct exiftool_report {
    // The fields in the order exiftool printed them; the pointer tags left out.
    std::vector<reported_tag> tags;
    // Output this parser could not make sense of (an unknown format, a hex dump shorter than
    // the byte count): a fault of the oracle, never of the engine.
    std::vector<std::string> problems;
};

// Reads the output of `exiftool -v5 FILE`. Per field it prints a line such as
// "- Tag 0x010f (6 bytes, string[6]):" followed by a hex dump of all the value's bytes in the
// file's byte order, indented by one "| " per directory level, under a header such as
// "+ [ExifIFD directory with 30 entries]". Only IFD0 (at the top level), and the ExifIFD and GPS
// directories right inside it, are read; maker notes, IFD1 and the rest are skipped.
exiftool_report parse_verbose_output(std::string_view output);

// The id the engine gives a field: the tag number for IFD0 and Exif fields, and for GPS fields
// too (their numbers are 0x0000-0x001F).
std::uint32_t flat_id(const reported_tag& tag);

// The fields the engine should expose, in its reading order (IFD0, then Exif, then GPS): a tag
// whose id was already read (the same number in two directories, or twice in one) is left out,
// since only its first occurrence becomes an item.
std::vector<reported_tag> first_occurrences(const std::vector<reported_tag>& tags);

// The TIFF field type of exiftool's format name ("int16u" is 3); 0 for a name it does not know.
std::uint16_t tiff_type_of(std::string_view format_name);

// Size in bytes of the unit the byte order applies to: 2 for shorts, 4 for longs and for each
// half of a rational, 8 for doubles, 1 for bytes and text; 0 for an unknown type.
std::size_t element_size(std::uint16_t type);

// `text` as one word of a POSIX shell command line (single quotes, inner quotes escaped).
std::string shell_quote(std::string_view text);

// The first executable named `program` in a directory of PATH.
std::optional<std::filesystem::path> find_on_path(std::string_view program);

struct command_output {
    int exit_code = -1; // -1 when the command could not be started or did not exit normally
    std::string standard_output;
};

// Runs `command_line` through the shell (popen) and collects its standard output.
command_output run_command(const std::string& command_line);

// exiftool on one file.
class exiftool {
public:
    // The program found on PATH, or nothing when it is not installed.
    static std::optional<exiftool> find();

    explicit exiftool(std::filesystem::path program) : program_(std::move(program)) {}

    // `exiftool -v5 FILE` parsed; a problem when exiftool could not be run.
    exiftool_report read_tags(const std::filesystem::path& file) const;
    // The bytes of `exiftool -b -IFD1:ThumbnailImage FILE`, the Exif thumbnail: empty when the
    // file has none, nothing when exiftool failed. (Plain -ThumbnailImage would also give a JFIF
    // extension or APP12 thumbnail, which are not Exif items.)
    std::optional<std::vector<std::byte>> thumbnail(const std::filesystem::path& file) const;

private:
    command_output run(std::string_view options, const std::filesystem::path& file) const;

    std::filesystem::path program_;
};

} // namespace kestrov::oracle
