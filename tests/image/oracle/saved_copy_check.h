// What a saved copy of a sample photo must look like to the peer readers, and how it differs.
//
// "Unchanged" means, and leaves out on purpose:
// - exiftool's every tag (maker-note tags, unknown tags, and binary values such as
//   ThumbnailImage in full) and exiv2's every Exif, IPTC and XMP key, type, count and value
//   read the same, except the tags the save was meant to change;
// - not compared: what belongs to the file system rather than the content (exiftool's System
//   group: name, folder, size, dates, permissions), exiftool's version, and the offsets the writer
//   derives itself when it lays out the file (strip, tile and thumbnail offsets, exiv2's directory
//   pointers). What those offsets point at is compared instead: ThumbnailImage as a tag, strips
//   and tiles byte for byte;
// - the image data byte for byte: a JPEG's scan data from the first SOS marker to the end and
//   every segment before it but the Exif APP1; a TIFF's strips or tiles as exiftool locates them;
// - ImageMagick's pixel signature of every frame.
#pragma once

#include "image/oracle/image_data.h"
#include "image/oracle/peer_tools.h"
#include "image/oracle/tag_comparison.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace kestrov::oracle {

// The sample photos: ../shared/corpus beside the project.
std::filesystem::path corpus_root();

struct sample {
    std::filesystem::path relative; // in the corpus, for messages
    std::string name; // of its copies: the relative path with every unusual character as '_'
    bool tiff = false;
};

// Every JPEG and TIFF of the corpus but the damaged ones of jpg/invalid, sorted.
std::vector<sample> corpus_samples();

// The six descriptive tags the program edits, as the two peers name them.
struct descriptive_tag {
    std::uint32_t id;
    const char* exiftool_key;
    const char* exiv2_key;
    // Make and Model: the peers choose how to decode maker notes by them (see saved_copy).
    bool names_the_camera;
};

// 0x0320 is no Exif tag: exiftool shows it only as an unknown IFD0 tag (-u), exiv2 by number.
inline constexpr descriptive_tag descriptive_tags[] = {
    {0x0320, "EXIF:IFD0:Exif_0x0320", "Exif.Image.0x0320", false},
    {0x010E, "EXIF:IFD0:ImageDescription", "Exif.Image.ImageDescription", false},
    {0x013B, "EXIF:IFD0:Artist", "Exif.Image.Artist", false},
    {0x010F, "EXIF:IFD0:Make", "Exif.Image.Make", true},
    {0x0110, "EXIF:IFD0:Model", "Exif.Image.Model", true},
    {0x0131, "EXIF:IFD0:Software", "Exif.Image.Software", false},
};

// The other places a save keeps each descriptive text in, as exiftool names them: those it adds
// where the file has none, and those it changes only where the file has them.
struct other_place {
    std::uint32_t id;
    const char* exiftool_key;
    const char* exiv2_key;
    bool written_where_absent;
};

inline constexpr other_place other_places[] = {
    {0x0320, "EXIF:IFD0:XPTitle", "Exif.Image.XPTitle", true},
    {0x0320, "XMP:XMP-dc:Title", "Xmp.dc.title", true},
    {0x0320, "IPTC:ObjectName", "Iptc.Application2.ObjectName", false},
    {0x010E, "XMP:XMP-dc:Description", "Xmp.dc.description", true},
    {0x010E, "IPTC:Caption-Abstract", "Iptc.Application2.Caption", false},
    {0x013B, "EXIF:IFD0:XPAuthor", "Exif.Image.XPAuthor", false},
    {0x013B, "XMP:XMP-dc:Creator", "Xmp.dc.creator", true},
    {0x013B, "IPTC:By-line", "Iptc.Application2.Byline", false},
    {0x010F, "XMP:XMP-tiff:Make", "Xmp.tiff.Make", false},
    {0x0110, "XMP:XMP-tiff:Model", "Xmp.tiff.Model", false},
    {0x0131, "XMP:XMP-tiff:Software", "Xmp.tiff.Software", false},
    {0x0131, "XMP:XMP-xmp:CreatorTool", "Xmp.xmp.CreatorTool", false},
};

struct saved_copy;
// What setting (text) or removing (nothing) descriptive text `id` changes in its other places.
// exiftool's reading is compared exactly; exiv2's, whose text forms differ by place, only for
// presence.
void expect_other_places(saved_copy& copy, std::uint32_t id,
                         const std::optional<std::string>& text);

// One saved copy of a sample and what its save was meant to change.
struct saved_copy {
    // Expects nothing changed yet; file-system tags and derived offsets left out.
    saved_copy(const sample& source, std::string what, std::string path);

    const sample* source;
    std::string what;    // the change, for messages
    std::string path;    // relative to the folder the peers read in
    std::string failure; // why it could not be changed or saved; nothing to compare then
    expected_changes exiftool;
    expected_changes exiv2;
    // Make or Model changed. Both peers choose how to decode a maker note by them: exiftool
    // reads a Canon note as "MakerUnknown" once Make no longer starts with "Canon", shows a Ricoh
    // note it no longer recognises as one tag (ExifIFD:MakerNoteUnknownText), and derives some
    // Composite tags and maker-note warnings from them. So the maker-note tags, exiftool's tags
    // of an undecoded note, Composite tags and warnings are not compared one by one here;
    // instead the note's raw bytes (exiv2's Exif.Photo.MakerNote, compared as every tag) and its
    // offset from the TIFF header must stay as they were, which keeps it decodable exactly as
    // before. The other scenarios compare every maker-note tag.
    bool camera_renamed = false;
    // The XMP and Photoshop segments of a JPEG may change with a descriptive text.
    bool side_blocks_may_change = false;
};

// What an untouched copy of a sample holds, read once.
struct original {
    std::vector<std::byte> bytes;
    jpeg_layout jpeg;
    tiff_image_data tiff;
    std::optional<std::uint32_t> maker_note; // its offset from the TIFF header
};

original read_original(const sample& source, const std::filesystem::path& file,
                       const tag_values& exiftool_tags);

// A file's tags in a peer's reading; none when the peer did not read it.
const tag_values& tags_of(const files_tags& files, const std::string& name);

// Every way `copy` differs from `kept` (the untouched copy, `before` in `readings`) beyond what
// its save was meant to change, one line each; empty when it does not. `folder` is where the
// peers read the files.
std::vector<std::string> differences(const saved_copy& copy, const original& kept,
                                     const std::string& before, const peer_readings& readings,
                                     const std::filesystem::path& folder);

} // namespace kestrov::oracle
