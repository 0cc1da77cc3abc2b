// exiftool as an independent reader of Exif and TIFF metadata: what it reports for the IFD0,
// Exif and GPS directories of a file, as raw TIFF fields (type, count, value bytes), to be set
// against the items the metadata engine exposes.
//
// exiftool is asked in two ways. `-v5` (parsed here) shows each field as stored: its TIFF type,
// count and value bytes, which the engine's items must match byte for byte. `-j` (parsed in
// peer_output.h) gives every tag of every group (maker notes, XMP, PNG texts ...) by name, for
// many files in one run, which the before-and-after comparisons of a save need; it shows no stored
// type or count, so neither output can stand in for the other. They share the program and its
// command line, below.
#pragma once

#include "image/oracle/shell_command.h"

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

// exiftool: its command line, and its reading of one file.
class exiftool {
public:
    // Every tag exiftool can read, for `-j`: as stored (-n), binary values in full (-b, base64 in
    // JSON), with duplicates (-a), unknown tags and unknown binary tags (-u -U, so maker notes are
    // read even where exiftool has no names for them), keys "FAMILY0:FAMILY1:NAME" (-G0:1 -s).
    // -charset exif=utf8 reads EXIF texts as UTF-8, the way the engine writes them.
    static constexpr std::string_view json_options =
        "-j -G0:1 -a -s -u -U -n -b -charset exif=utf8";

    // The program found on PATH, or nothing when it is not installed.
    static std::optional<exiftool> find();

    explicit exiftool(std::filesystem::path program) : program_(std::move(program)) {}

    // The start of every command line: the program, and `-config ''` (which must come first) to
    // keep a user's configuration file from adding or changing tags; then `options`.
    std::string command(std::string_view options) const;

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
