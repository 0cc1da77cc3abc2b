// Reading `exiftool -v5` output (see parse_verbose_output in the header).
#include "image/oracle/exiftool_oracle.h"

#include <algorithm>
#include <array>
#include <unordered_set>
#include <utility>

namespace kestrov::oracle {
namespace {

struct field_type {
    std::string_view name; // exiftool's name of the format
    std::uint16_t type;
    std::size_t element_size;
};

// The TIFF field types (TIFF 6.0 §2; 16-18 are BigTIFF's) and the size of the unit each one's
// byte order applies to.
constexpr std::array<field_type, 16> field_types{{{"int8u", 1, 1},
                                                  {"string", 2, 1},
                                                  {"int16u", 3, 2},
                                                  {"int32u", 4, 4},
                                                  {"rational64u", 5, 4},
                                                  {"int8s", 6, 1},
                                                  {"undef", 7, 1},
                                                  {"int16s", 8, 2},
                                                  {"int32s", 9, 4},
                                                  {"rational64s", 10, 4},
                                                  {"float", 11, 4},
                                                  {"double", 12, 8},
                                                  {"ifd", 13, 4},
                                                  {"int64u", 16, 8},
                                                  {"int64s", 17, 8},
                                                  {"ifd64", 18, 8}}};

// Bytes of one counted value: a rational is two longs.
std::size_t count_size(std::uint16_t type) {
    return type == 5 || type == 10 ? 8 : element_size(type);
}

// Tags that only point at another directory; the engine keeps them to itself.
bool is_pointer_tag(std::uint16_t number) {
    return number == 0x8769 || number == 0x8825 || number == 0xA005;
}

bool is_hex_digit(char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

unsigned hex_value(char c) {
    if (c >= '0' && c <= '9') {
        return static_cast<unsigned>(c - '0');
    }
    if (c >= 'a' && c <= 'f') {
        return static_cast<unsigned>(c - 'a' + 10);
    }
    return static_cast<unsigned>(c - 'A' + 10);
}

bool is_decimal_digit(char c) {
    return c >= '0' && c <= '9';
}

// Consumes a run of digits of `base` (at most 9 of them) from the front of `text`.
std::optional<std::uint32_t> take_number(std::string_view& text, unsigned base) {
    std::size_t length = 0;
    std::uint32_t value = 0;
    while (length < text.size() && length < 9 &&
           (base == 16 ? is_hex_digit(text[length]) : is_decimal_digit(text[length]))) {
        value = value * base + hex_value(text[length]);
        ++length;
    }
    if (length == 0) {
        return std::nullopt;
    }
    text.remove_prefix(length);
    return value;
}

bool take(std::string_view& text, std::string_view expected) {
    if (!text.starts_with(expected)) {
        return false;
    }
    text.remove_prefix(expected.size());
    return true;
}

std::string hex16(std::uint16_t number) {
    constexpr std::string_view digits = "0123456789abcdef";
    std::string text = "0x";
    for (int shift = 12; shift >= 0; shift -= 4) {
        text += digits[(number >> shift) & 0xF];
    }
    return text;
}

// A line of verbose output: its nesting depth (one "| " per level after the two-space margin)
// and what follows the indentation.
struct output_line {
    std::size_t depth = 0;
    std::string_view content;
};

output_line split_line(std::string_view line) {
    output_line result;
    if (!line.starts_with("  ")) {
        result.content = line; // a segment header such as "JPEG APP1 (2474 bytes):"
        return result;
    }
    line.remove_prefix(2);
    while (take(line, "| ")) {
        ++result.depth;
    }
    if (line == "|") {
        ++result.depth;
        line = {};
    }
    result.content = line.substr(std::min(line.find_first_not_of(' '), line.size()));
    return result;
}

// Appends the bytes of a hex dump line ("00b0: 43 61 6e 6f 6e 00      [Canon.]"); false when
// `content` is not one.
bool append_hex_dump(std::string_view content, std::vector<std::byte>& out) {
    if (!take_number(content, 16) || !take(content, ": ")) {
        return false;
    }
    const std::size_t before = out.size();
    while (content.size() >= 2 && is_hex_digit(content[0]) && is_hex_digit(content[1]) &&
           (content.size() == 2 || content[2] == ' ')) {
        out.push_back(static_cast<std::byte>(hex_value(content[0]) * 16 + hex_value(content[1])));
        content.remove_prefix(std::min<std::size_t>(3, content.size()));
    }
    return out.size() > before;
}

// A field line being read, with the hex dump lines that follow it.
struct field_in_progress {
    reported_tag tag;
    std::size_t depth = 0;
    std::uint32_t declared_bytes = 0;
    bool big_endian = false;
};

class verbose_parser {
public:
    exiftool_report finish() && {
        close_field();
        return std::move(report_);
    }

    void read_line(std::string_view line) {
        const output_line parsed = split_line(line);
        if (field_ && parsed.depth == field_->depth &&
            append_hex_dump(parsed.content, field_->tag.value)) {
            return;
        }
        close_field();
        while (!open_.empty() && open_.back().content_depth > parsed.depth) {
            open_.pop_back();
        }
        if (parsed.content.starts_with("+ [")) {
            open_directory(parsed);
            return;
        }
        if (parsed.depth == 0 && parsed.content.starts_with("ExifByteOrder = ")) {
            byte_order_ = parsed.content.substr(16);
            return;
        }
        const std::optional<exif_directory> directory = current_directory(parsed.depth);
        if (!directory) {
            return;
        }
        if (parsed.content.starts_with("- Tag 0x")) {
            open_field(*directory, parsed);
        } else {
            remember_name(parsed.content);
        }
    }

private:
    struct directory_level {
        std::string name;
        std::size_t content_depth;
    };

    void open_directory(const output_line& line) {
        std::string_view name = line.content.substr(3);
        name = name.substr(0, name.find(" directory"));
        open_.push_back({std::string(name), line.depth + 1});
        if (open_.size() == 1 && name == "IFD0") {
            if (byte_order_ != "II" && byte_order_ != "MM") {
                report_.problems.push_back("IFD0 without a readable ExifByteOrder line before it");
            }
            big_endian_ = byte_order_ == "MM";
        }
        name_.clear();
    }

    // Which of the three directories a line at `depth` is a field of, if any.
    std::optional<exif_directory> current_directory(std::size_t depth) const {
        if (open_.empty() || open_.back().content_depth != depth || open_.front().name != "IFD0") {
            return std::nullopt;
        }
        if (open_.size() == 1) {
            return exif_directory::ifd0;
        }
        if (open_.size() == 2 && open_[1].name == "ExifIFD") {
            return exif_directory::exif;
        }
        if (open_.size() == 2 && open_[1].name == "GPS") {
            return exif_directory::gps;
        }
        return std::nullopt;
    }

    // "12) FocalLength = 135 (135/1)" or "9)  ExifOffset (SubDirectory) -->".
    void remember_name(std::string_view content) {
        if (!take_number(content, 10) || !take(content, ")")) {
            return;
        }
        content.remove_prefix(std::min(content.find_first_not_of(' '), content.size()));
        name_ = std::string(content.substr(0, content.find(' ')));
    }

    // "- Tag 0x829a (8 bytes, rational64u[1]):"; the format before any " read as" is the one
    // stored in the file.
    void open_field(exif_directory directory, const output_line& line) {
        std::string_view text = line.content.substr(8);
        const auto number = take_number(text, 16);
        std::optional<std::uint32_t> bytes;
        if (number && *number <= 0xFFFF && take(text, " (")) {
            bytes = take_number(text, 10);
        }
        if (!bytes || !take(text, " bytes, ")) {
            report_.problems.push_back(std::string(directory_name(directory)) + ": cannot read \"" +
                                       std::string(line.content) + "\"");
            return;
        }
        reported_tag tag;
        tag.directory = directory;
        tag.number = static_cast<std::uint16_t>(*number);
        tag.name = std::exchange(name_, {});
        if (is_pointer_tag(tag.number)) {
            return;
        }
        const std::size_t format_end = text.find_first_of("[) ");
        tag.type = tiff_type_of(text.substr(0, format_end));
        std::optional<std::uint32_t> count;
        text.remove_prefix(std::min(format_end, text.size()));
        if (take(text, "[")) {
            count = take_number(text, 10);
        }
        if (tag.type == 0) {
            report_.problems.push_back(describe(tag) + ": unknown format in \"" +
                                       std::string(line.content) + "\"");
            return;
        }
        const std::size_t size = count_size(tag.type);
        tag.count = count.value_or(static_cast<std::uint32_t>(*bytes / size));
        if (std::uint64_t{tag.count} * size != *bytes) {
            report_.problems.push_back(describe(tag) + ": " + std::to_string(*bytes) +
                                       " bytes do not hold " + std::to_string(tag.count) +
                                       " values of its type");
            return;
        }
        tag.value.reserve(*bytes);
        field_ = field_in_progress{std::move(tag), line.depth, *bytes, big_endian_};
    }

    void close_field() {
        if (!field_) {
            return;
        }
        field_in_progress field = std::move(*field_);
        field_.reset();
        if (field.tag.value.size() != field.declared_bytes) {
            report_.problems.push_back(describe(field.tag) + ": " +
                                       std::to_string(field.declared_bytes) + " bytes declared, " +
                                       std::to_string(field.tag.value.size()) + " dumped");
            return;
        }
        const std::size_t unit = element_size(field.tag.type);
        if (field.big_endian && unit > 1) {
            for (auto element = field.tag.value.begin(); element != field.tag.value.end();
                 element += static_cast<std::ptrdiff_t>(unit)) {
                std::reverse(element, element + static_cast<std::ptrdiff_t>(unit));
            }
        }
        report_.tags.push_back(std::move(field.tag));
    }

    static std::string describe(const reported_tag& tag) {
        return std::string(directory_name(tag.directory)) + " " + hex16(tag.number) +
               (tag.name.empty() ? "" : " " + tag.name);
    }

    exiftool_report report_;
    std::vector<directory_level> open_;
    std::string_view byte_order_;
    bool big_endian_ = false;
    std::string name_;
    std::optional<field_in_progress> field_;
};

} // namespace

std::string_view directory_name(exif_directory directory) {
    switch (directory) {
    case exif_directory::ifd0:
        return "IFD0";
    case exif_directory::exif:
        return "ExifIFD";
    case exif_directory::gps:
        return "GPS";
    }
    return "?";
}

std::uint16_t tiff_type_of(std::string_view format_name) {
    const auto found = std::find_if(field_types.begin(), field_types.end(),
                                    [&](const field_type& f) { return f.name == format_name; });
    return found == field_types.end() ? 0 : found->type;
}

std::size_t element_size(std::uint16_t type) {
    const auto found = std::find_if(field_types.begin(), field_types.end(),
                                    [&](const field_type& f) { return f.type == type; });
    return found == field_types.end() ? 0 : found->element_size;
}

exiftool_report parse_verbose_output(std::string_view output) {
    verbose_parser parser;
    while (!output.empty()) {
        const std::size_t end = std::min(output.find('\n'), output.size());
        parser.read_line(output.substr(0, end));
        output.remove_prefix(std::min(end + 1, output.size()));
    }
    return std::move(parser).finish();
}

std::uint32_t flat_id(const reported_tag& tag) {
    return tag.number;
}

std::vector<reported_tag> first_occurrences(const std::vector<reported_tag>& tags) {
    std::vector<reported_tag> result;
    std::unordered_set<std::uint32_t> seen;
    for (const exif_directory directory :
         {exif_directory::ifd0, exif_directory::exif, exif_directory::gps}) {
        for (const reported_tag& tag : tags) {
            if (tag.directory == directory && seen.insert(flat_id(tag)).second) {
                result.push_back(tag);
            }
        }
    }
    return result;
}

} // namespace kestrov::oracle
