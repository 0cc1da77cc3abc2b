// Reading image data for comparison: JPEG segments walked here, TIFF strips and tiles found through
// exiftool's offsets, so that the engine's own readers are not what judges the engine.
#include "image/oracle/image_data.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <iterator>
#include <system_error>

namespace kestrov::oracle {

namespace {

// Whether a segment's payload (after marker and length) begins with `text`.
bool payload_starts(const std::vector<std::byte>& segment, std::string_view text) {
    return segment.size() >= 4 + text.size() &&
           std::equal(text.begin(), text.end(), segment.begin() + 4,
                      [](char c, std::byte b) { return std::to_integer<char>(b) == c; });
}

std::uint8_t byte_at(std::span<const std::byte> bytes, std::size_t offset) {
    return std::to_integer<std::uint8_t>(bytes[offset]);
}

std::string marker_name(std::uint8_t marker) {
    char text[8];
    std::snprintf(text, sizeof text, "0xFF%02X", static_cast<unsigned>(marker));
    return text;
}

bool is_exif_payload(std::span<const std::byte> payload) {
    static constexpr char signature[] = {'E', 'x', 'i', 'f', '\0', '\0'};
    return payload.size() >= sizeof signature &&
           std::equal(std::begin(signature), std::end(signature), payload.begin(),
                      [](char expected, std::byte got) {
                          return static_cast<std::byte>(expected) == got;
                      });
}

// The numbers of a value exiftool prints as "8 1234 5678" (or a lone number).
bool parse_numbers(const std::string& text, std::vector<std::uint64_t>& numbers) {
    const char* position = text.data();
    const char* const end = text.data() + text.size();
    while (position != end) {
        if (*position == ' ') {
            ++position;
            continue;
        }
        std::uint64_t number = 0;
        const auto [next, error] = std::from_chars(position, end, number);
        if (error != std::errc()) {
            return false;
        }
        numbers.push_back(number);
        position = next;
    }
    return true;
}

} // namespace

jpeg_layout split_jpeg(std::span<const std::byte> file) {
    jpeg_layout layout;
    if (file.size() < 2 || byte_at(file, 0) != 0xFF || byte_at(file, 1) != 0xD8) {
        layout.problem = "no SOI marker";
        return layout;
    }
    std::size_t position = 2;
    while (true) {
        // Fill bytes may come before a marker (ITU T.81 §B.1.1.2).
        while (position < file.size() && byte_at(file, position) == 0xFF &&
               file.size() - position >= 2 && byte_at(file, position + 1) == 0xFF) {
            ++position;
        }
        if (file.size() - position < 2 || byte_at(file, position) != 0xFF) {
            layout.problem = "no marker at byte " + std::to_string(position);
            return layout;
        }
        const std::uint8_t marker = byte_at(file, position + 1);
        if (marker == 0xDA) {
            layout.scan.assign(file.begin() + static_cast<std::ptrdiff_t>(position), file.end());
            return layout;
        }
        std::size_t size = 2; // standalone markers carry no length
        if (marker != 0x01 && (marker < 0xD0 || marker > 0xD7)) {
            if (file.size() - position < 4) {
                layout.problem = "segment " + marker_name(marker) + " cut short";
                return layout;
            }
            const std::size_t length =
                (std::size_t{byte_at(file, position + 2)} << 8) | byte_at(file, position + 3);
            if (length < 2 || file.size() - position - 2 < length) {
                layout.problem = "segment " + marker_name(marker) + " at byte " +
                                 std::to_string(position) + " runs past the end";
                return layout;
            }
            size = 2 + length;
        }
        const auto begin = file.begin() + static_cast<std::ptrdiff_t>(position);
        jpeg_layout::segment segment{
            marker, false,
            std::vector<std::byte>(begin, begin + static_cast<std::ptrdiff_t>(size))};
        segment.exif = marker == 0xE1 && is_exif_payload(std::span(segment.bytes).subspan(4));
        segment.side_block =
            (marker == 0xE1 && payload_starts(segment.bytes, "http://ns.adobe.com/xap/1.0/")) ||
            (marker == 0xED && payload_starts(segment.bytes, "Photoshop 3.0"));
        layout.segments.push_back(std::move(segment));
        position += size;
    }
}

std::string jpeg_difference(const jpeg_layout& before, const jpeg_layout& after,
                            bool side_blocks_may_change) {
    if (!before.problem.empty() || !after.problem.empty()) {
        return "JPEG structure not readable: before: " + before.problem +
               "; after: " + after.problem;
    }
    if (before.scan != after.scan) {
        return "scan data (from the first SOS to the end) differs: " +
               bytes_difference(before.scan, after.scan);
    }
    std::vector<const jpeg_layout::segment*> kept_before;
    std::vector<const jpeg_layout::segment*> kept_after;
    const auto counted = [side_blocks_may_change](const jpeg_layout::segment& segment) {
        return !segment.exif && !(side_blocks_may_change && segment.side_block);
    };
    for (const auto& segment : before.segments) {
        if (counted(segment)) {
            kept_before.push_back(&segment);
        }
    }
    for (const auto& segment : after.segments) {
        if (counted(segment)) {
            kept_after.push_back(&segment);
        }
    }
    for (std::size_t i = 0; i < std::max(kept_before.size(), kept_after.size()); ++i) {
        const std::string place = "segment " + std::to_string(i + 1) + " (Exif APP1 not counted)";
        if (i >= kept_before.size()) {
            return place + ": " + marker_name(kept_after[i]->marker) + " added";
        }
        if (i >= kept_after.size()) {
            return place + ": " + marker_name(kept_before[i]->marker) + " gone";
        }
        if (kept_before[i]->bytes != kept_after[i]->bytes) {
            return place + ": " + marker_name(kept_before[i]->marker) + " became " +
                   marker_name(kept_after[i]->marker) + ": " +
                   bytes_difference(kept_before[i]->bytes, kept_after[i]->bytes);
        }
    }
    return {};
}

tiff_image_data read_tiff_image_data(const tag_values& exiftool_tags,
                                     std::span<const std::byte> file) {
    tiff_image_data data;
    static constexpr std::pair<const char*, const char*> kinds[] = {
        {":StripOffsets", ":StripByteCounts"}, {":TileOffsets", ":TileByteCounts"}};
    for (const auto& [key, value] : exiftool_tags) {
        for (const auto& [offsets_name, counts_name] : kinds) {
            // Only the file's own directories: a maker note's offsets count from elsewhere.
            const std::size_t at = key.find(offsets_name);
            if (at == std::string::npos || !key.starts_with("EXIF:")) {
                continue;
            }
            // The same group and occurrence ("#2") for the counts.
            const std::string counts_key =
                key.substr(0, at) + counts_name +
                key.substr(at + std::char_traits<char>::length(offsets_name));
            const auto counts = exiftool_tags.find(counts_key);
            std::vector<std::uint64_t> offsets_list;
            std::vector<std::uint64_t> counts_list;
            if (counts == exiftool_tags.end() || !parse_numbers(value, offsets_list) ||
                !parse_numbers(counts->second, counts_list) ||
                offsets_list.size() != counts_list.size()) {
                data.problem = key + " and " + counts_key + " do not match";
                return data;
            }
            std::vector<std::byte>& bytes = data.by_directory[key];
            for (std::size_t i = 0; i < offsets_list.size(); ++i) {
                if (file.size() < offsets_list[i] ||
                    file.size() - offsets_list[i] < counts_list[i]) {
                    data.problem = key + " entry " + std::to_string(i) + " lies past the end";
                    return data;
                }
                const auto begin = file.begin() + static_cast<std::ptrdiff_t>(offsets_list[i]);
                bytes.insert(bytes.end(), begin,
                             begin + static_cast<std::ptrdiff_t>(counts_list[i]));
            }
        }
    }
    return data;
}

std::string tiff_difference(const tiff_image_data& before, const tiff_image_data& after) {
    if (!before.problem.empty() || !after.problem.empty()) {
        return "TIFF image data not readable: before: " + before.problem +
               "; after: " + after.problem;
    }
    if (before.by_directory.empty()) {
        return "no strips or tiles found";
    }
    for (const auto& [key, bytes] : before.by_directory) {
        const auto found = after.by_directory.find(key);
        if (found == after.by_directory.end()) {
            return key + ": the data is gone";
        }
        if (found->second != bytes) {
            return key + ": the data differs: " + bytes_difference(bytes, found->second);
        }
    }
    for (const auto& [key, bytes] : after.by_directory) {
        if (!before.by_directory.contains(key)) {
            return key + ": new data of " + std::to_string(bytes.size()) + " bytes";
        }
    }
    return {};
}

std::string bytes_difference(std::span<const std::byte> before, std::span<const std::byte> after) {
    const auto differing = std::mismatch(before.begin(), before.end(), after.begin(), after.end());
    const auto at = static_cast<std::size_t>(differing.first - before.begin());
    return std::to_string(before.size()) + " bytes before, " + std::to_string(after.size()) +
           " after, first difference at byte " + std::to_string(at);
}

namespace {

// The entries of one TIFF directory, read just far enough to follow a pointer (TIFF 6.0 §2).
class tiff_block {
public:
    explicit tiff_block(std::span<const std::byte> bytes) : bytes_(bytes) {}

    bool read_header() {
        if (bytes_.size() < 8) {
            return false;
        }
        const auto first = byte_at(bytes_, 0);
        little_ = first == 'I';
        return (first == 'I' || first == 'M') && byte_at(bytes_, 1) == first && number(2, 2) == 42;
    }

    std::uint32_t first_directory() const { return static_cast<std::uint32_t>(number(4, 4)); }

    std::optional<std::uint32_t> long_at(std::uint32_t offset) const {
        if (bytes_.size() < offset || bytes_.size() - offset < 4) {
            return std::nullopt;
        }
        return static_cast<std::uint32_t>(number(offset, 4));
    }

    // The offset of the value of entry `tag` in the directory at `directory`: the value's own
    // offset when it does not fit the entry, else where it sits inside the entry.
    std::optional<std::uint32_t> value_offset(std::uint32_t directory, std::uint16_t tag) const {
        if (bytes_.size() < directory || bytes_.size() - directory < 2) {
            return std::nullopt;
        }
        const std::size_t count = number(directory, 2);
        if (bytes_.size() - directory - 2 < count * 12) {
            return std::nullopt;
        }
        for (std::size_t i = 0; i < count; ++i) {
            const std::size_t entry = directory + 2 + i * 12;
            if (number(entry, 2) != tag) {
                continue;
            }
            static constexpr std::size_t unit_size[] = {0, 1, 1, 2, 4, 8, 1, 1, 2, 4, 8, 4, 8, 4};
            const std::size_t type = number(entry + 2, 2);
            const std::size_t size =
                (type < std::size(unit_size) ? unit_size[type] : 1) * number(entry + 4, 4);
            return static_cast<std::uint32_t>(size > 4 ? number(entry + 8, 4) : entry + 8);
        }
        return std::nullopt;
    }

private:
    std::size_t number(std::size_t offset, std::size_t size) const {
        std::size_t value = 0;
        for (std::size_t i = 0; i < size; ++i) {
            const std::size_t at = offset + (little_ ? size - 1 - i : i);
            value = (value << 8) | byte_at(bytes_, at);
        }
        return value;
    }

    std::span<const std::byte> bytes_;
    bool little_ = false;
};

} // namespace

std::optional<std::uint32_t> maker_note_offset(std::span<const std::byte> file, bool tiff) {
    std::vector<std::byte> exif_block;
    std::span<const std::byte> block = file;
    if (!tiff) {
        const jpeg_layout layout = split_jpeg(file);
        const auto exif = std::find_if(layout.segments.begin(), layout.segments.end(),
                                       [](const jpeg_layout::segment& each) { return each.exif; });
        if (exif == layout.segments.end()) {
            return std::nullopt;
        }
        exif_block.assign(exif->bytes.begin() + 10, exif->bytes.end()); // after "Exif\0\0"
        block = exif_block;
    }
    tiff_block reader(block);
    if (!reader.read_header()) {
        return std::nullopt;
    }
    const auto exif_pointer = reader.value_offset(reader.first_directory(), 0x8769);
    const auto exif_directory = exif_pointer ? reader.long_at(*exif_pointer) : std::nullopt;
    return exif_directory ? reader.value_offset(*exif_directory, 0x927C) : std::nullopt;
}

} // namespace kestrov::oracle
