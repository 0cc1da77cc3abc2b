// Judging a saved copy against its untouched twin through the peers' readings.
#include "image/oracle/saved_copy_check.h"

#include "base/ascii_case.h"
#include "support/file_bytes.h"

#include <algorithm>
#include <cctype>
#include <set>
#include <string_view>
#include <utility>

namespace kestrov::oracle {

namespace fs = std::filesystem;

namespace {

std::string lower_extension(const fs::path& file) {
    return lower_ascii<char>(file.extension().string());
}

// The name's part of a key, after its groups ("EXIF:IFD1:ThumbnailOffset" -> "ThumbnailOffset").
std::string_view name_of(std::string_view key, char separator) {
    const std::size_t last = key.rfind(separator);
    return last == std::string_view::npos ? key : key.substr(last + 1);
}

// Left out of every exiftool comparison (see the header for why).
bool ignored_by_exiftool(std::string_view key) {
    const std::string_view name = name_of(key, ':');
    return key == "SourceFile" || key.starts_with("File:System:") ||
           key == "ExifTool:ExifToolVersion" || name == "StripOffsets" || name == "TileOffsets" ||
           name == "ThumbnailOffset";
}

// Left out of every exiv2 comparison: the directory pointers and offsets the writer derives.
bool ignored_by_exiv2(std::string_view key) {
    const std::string_view name = name_of(key, '.');
    return name == "ExifTag" || name == "GPSTag" || name == "InteroperabilityTag" ||
           name == "JPEGInterchangeFormat" || name == "StripOffsets" || name == "TileOffsets";
}

// exiv2's groups of the TIFF structure itself; every other Exif group is a maker note's, as is
// exiv2's own MakerNote group (the note's offset and byte order, there only when it decoded it).
bool is_exiv2_maker_note_key(std::string_view key) {
    if (!key.starts_with("Exif.")) {
        return false;
    }
    const std::string_view rest = key.substr(5);
    const std::string_view group = rest.substr(0, rest.find('.'));
    static constexpr std::string_view structure[] = {"Photo", "Iop", "GPSInfo", "Thumbnail"};
    return std::find(std::begin(structure), std::end(structure), group) == std::end(structure) &&
           !group.starts_with("Image") && !group.starts_with("SubImage") &&
           !group.starts_with("SubThumb");
}

} // namespace

fs::path corpus_root() {
    return fs::path(MIRTEL_SOURCE_DIR "/../shared/corpus");
}

std::vector<sample> corpus_samples() {
    std::vector<sample> samples;
    std::error_code error;
    const fs::path root = corpus_root();
    for (auto entry = fs::recursive_directory_iterator(root, error);
         !error && entry != fs::recursive_directory_iterator(); entry.increment(error)) {
        const fs::path relative = entry->path().lexically_relative(root);
        const std::string extension = lower_extension(relative);
        if (entry->is_directory() && relative == fs::path("jpg") / "invalid") {
            entry.disable_recursion_pending();
            continue;
        }
        const bool tiff = extension == ".tif" || extension == ".tiff";
        if (!entry->is_regular_file() || !(tiff || extension == ".jpg" || extension == ".jpeg")) {
            continue;
        }
        // Names the peers' outputs can be split by: no white space, no quotes.
        std::string name = relative.generic_string();
        std::replace_if(
            name.begin(), name.end(),
            [](unsigned char c) { return std::isalnum(c) == 0 && c != '.' && c != '-'; }, '_');
        samples.push_back({relative, name, tiff});
    }
    std::sort(samples.begin(), samples.end(),
              [](const sample& a, const sample& b) { return a.relative < b.relative; });
    return samples;
}

saved_copy::saved_copy(const sample& sample_source, std::string description, std::string copy_path)
    : source(&sample_source), what(std::move(description)), path(std::move(copy_path)) {
    exiftool.ignored = ignored_by_exiftool;
    exiv2.ignored = ignored_by_exiv2;
}

void expect_other_places(saved_copy& copy, std::uint32_t id,
                         const std::optional<std::string>& text) {
    copy.side_blocks_may_change = true;
    std::set<std::string, std::less<>> exiv2_changing;
    bool with_iptc = false;
    for (const other_place& place : other_places) {
        if (place.id != id) {
            continue;
        }
        with_iptc = with_iptc || std::string_view(place.exiftool_key).starts_with("IPTC:");
        if (!text) {
            copy.exiftool.removed.insert(place.exiftool_key);
            copy.exiv2.removed.insert(place.exiv2_key);
        } else if (text->empty() && std::string_view(place.exiftool_key) == "XMP:XMP-dc:Creator") {
            // exiftool lists no empty item of a new array: there, an empty author reads as no
            // creator.
            copy.exiftool.set_where_present[place.exiftool_key] = *text;
            copy.exiftool.may_appear.insert(place.exiftool_key);
            exiv2_changing.insert(place.exiv2_key);
        } else if (place.written_where_absent) {
            copy.exiftool.set[place.exiftool_key] = *text;
            exiv2_changing.insert(place.exiv2_key);
        } else {
            copy.exiftool.set_where_present[place.exiftool_key] = *text;
            exiv2_changing.insert(place.exiv2_key);
        }
    }
    // A TIFF keeps XMP and IPTC in IFD0 tags, which exiv2 shows as bytes.
    exiv2_changing.insert(
        {"Exif.Image.XMLPacket", "Exif.Image.IPTCNAA", "Exif.Image.ImageResources"});
    // A text that is not ASCII declares UTF-8 in IPTC that declared nothing.
    if (with_iptc && text) {
        copy.exiftool.may_appear.insert("IPTC:CodedCharacterSet");
        copy.exiv2.may_appear.insert("Iptc.Envelope.CharacterSet");
    }
    // The IPTC digest goes whenever the IPTC datasets change, which they do only where they hold
    // the text: the digest and exiftool's own of the datasets are left out.
    if (with_iptc) {
        copy.exiftool.ignored = [ignored = copy.exiftool.ignored](std::string_view key) {
            return ignored(key) || key == "Photoshop:IPTCDigest" || key == "File:CurrentIPTCDigest";
        };
    }
    copy.exiv2.ignored = [ignored = copy.exiv2.ignored,
                          changing = std::move(exiv2_changing)](std::string_view key) {
        return ignored(key) || changing.contains(key);
    };
}

original read_original(const sample& source, const fs::path& file,
                       const tag_values& exiftool_tags) {
    original kept;
    kept.bytes = kestrov::testing::file_bytes(file);
    if (source.tiff) {
        kept.tiff = read_tiff_image_data(exiftool_tags, kept.bytes);
    } else {
        kept.jpeg = split_jpeg(kept.bytes);
    }
    kept.maker_note = maker_note_offset(kept.bytes, source.tiff);
    return kept;
}

const tag_values& tags_of(const files_tags& files, const std::string& name) {
    static const tag_values none;
    const auto found = files.find(name);
    return found == files.end() ? none : found->second;
}

std::vector<std::string> differences(const saved_copy& copy, const original& kept,
                                     const std::string& before, const peer_readings& readings,
                                     const fs::path& folder) {
    if (!copy.failure.empty()) {
        return {copy.failure};
    }
    expected_changes exiftool = copy.exiftool;
    expected_changes exiv2 = copy.exiv2;
    if (copy.camera_renamed) {
        exiftool.ignored = [ignored = exiftool.ignored](std::string_view key) {
            const std::string_view group = key.substr(0, key.find(':'));
            return ignored(key) || group == "MakerNotes" || group == "Composite" ||
                   key == "ExifTool:Warning" || key.starts_with("EXIF:ExifIFD:MakerNote");
        };
        exiv2.ignored = [ignored = exiv2.ignored](std::string_view key) {
            return ignored(key) || is_exiv2_maker_note_key(key);
        };
    }
    std::vector<std::string> lines;
    const auto append = [&lines](const std::string& prefix, std::vector<std::string> more) {
        for (std::string& line : more) {
            lines.push_back(prefix + line);
        }
    };
    const tag_values& exiftool_after = tags_of(readings.exiftool, copy.path);
    append("exiftool: ",
           compare_tags(tags_of(readings.exiftool, before), exiftool_after, exiftool));
    append("exiv2: ", compare_tags(tags_of(readings.exiv2, before),
                                   tags_of(readings.exiv2, copy.path), exiv2));
    append("pixels: ",
           compare_tags(tags_of(readings.pixels, before), tags_of(readings.pixels, copy.path), {}));

    const std::vector<std::byte> bytes = kestrov::testing::file_bytes(folder / copy.path);
    const std::string data =
        copy.source->tiff
            ? tiff_difference(kept.tiff, read_tiff_image_data(exiftool_after, bytes))
            : jpeg_difference(kept.jpeg, split_jpeg(bytes), copy.side_blocks_may_change);
    if (!data.empty()) {
        lines.push_back("image data: " + data);
    }
    if (copy.camera_renamed && kept.maker_note) {
        const auto moved = maker_note_offset(bytes, copy.source->tiff);
        if (moved != kept.maker_note) {
            lines.push_back("maker note: at offset " + std::to_string(*kept.maker_note) +
                            " before, " + (moved ? std::to_string(*moved) : "not found") +
                            " after");
        }
    }
    return lines;
}

} // namespace kestrov::oracle
