// Parsers of the peer readers' output. They only ever read what the tools printed; anything
// unexpected becomes a problem for the test to report instead of a guess.
#include "image/oracle/peer_output.h"

#include "base/text_conversion.h"

#include <algorithm>
#include <cstdint>
#include <set>
#include <utility>

namespace kestrov::oracle {

std::string& add_tag(tag_values& tags, const std::string& key, std::string value) {
    std::string unique = key;
    for (int occurrence = 2; tags.contains(unique); ++occurrence) {
        unique = key + "#" + std::to_string(occurrence);
    }
    return tags.emplace(std::move(unique), std::move(value)).first->second;
}

namespace {

// A reader of the JSON exiftool prints. Values become text; a failure leaves `error` set and
// everything after it unread.
class json_reader {
public:
    explicit json_reader(std::string_view text) : text_(text) {}

    peer_output read_files() {
        peer_output result;
        skip_space();
        if (at_end()) {
            return result; // no file could be read: exiftool prints nothing at all
        }
        expect('[');
        bool first = true;
        while (error_.empty() && !take(']')) {
            if (!first) {
                expect(',');
            }
            first = false;
            read_file(result);
        }
        skip_space();
        if (error_.empty() && !at_end()) {
            fail("text after the array");
        }
        if (!error_.empty()) {
            result.problems.push_back("exiftool JSON at byte " + std::to_string(position_) + ": " +
                                      error_);
        }
        return result;
    }

private:
    void read_file(peer_output& result) {
        expect('{');
        tag_values tags;
        std::string source_file;
        bool first = true;
        while (error_.empty() && !take('}')) {
            if (!first) {
                expect(',');
            }
            first = false;
            skip_space();
            std::string key = read_string();
            expect(':');
            std::string value = read_value(0);
            if (key == "SourceFile") {
                source_file = value;
            }
            add_tag(tags, key, std::move(value));
        }
        if (!error_.empty()) {
            return;
        }
        if (source_file.empty()) {
            fail("an object without SourceFile");
            return;
        }
        result.files[source_file] = std::move(tags);
    }

    std::string read_value(int depth) {
        skip_space();
        if (depth > 32) {
            fail("values nested too deep");
            return {};
        }
        if (at_end()) {
            fail("a value missing");
            return {};
        }
        const char c = text_[position_];
        if (c == '"') {
            return read_string();
        }
        if (c == '[' || c == '{') {
            return read_container(depth);
        }
        // A number or a literal: kept as printed.
        const std::size_t start = position_;
        position_ = std::min(text_.find_first_of(",]} \t\r\n", start), text_.size());
        if (position_ == start) {
            fail("an unexpected character");
        }
        return std::string(text_.substr(start, position_ - start));
    }

    std::string read_container(int depth) {
        const bool object = text_[position_] == '{';
        const char close = object ? '}' : ']';
        ++position_;
        std::string text(1, object ? '{' : '[');
        bool first = true;
        while (error_.empty() && !take(close)) {
            if (!first) {
                expect(',');
                text += ", ";
            }
            first = false;
            if (object) {
                skip_space();
                text += read_string() + ": ";
                expect(':');
            }
            text += read_value(depth + 1);
        }
        return text + close;
    }

    std::string read_string() {
        std::string text;
        if (at_end() || text_[position_] != '"') {
            fail("a string expected");
            return text;
        }
        ++position_;
        while (error_.empty()) {
            // Plain characters in one piece: base64 values run to tens of kilobytes.
            const std::size_t special = text_.find_first_of("\"\\", position_);
            if (special == std::string_view::npos) {
                fail("an unterminated string");
                break;
            }
            text.append(text_.substr(position_, special - position_));
            position_ = special + 1;
            if (text_[special] == '"') {
                break;
            }
            read_escape(text);
        }
        return text;
    }

    void read_escape(std::string& text) {
        if (at_end()) {
            fail("an unterminated escape");
            return;
        }
        const char c = text_[position_++];
        switch (c) {
        case '"':
        case '\\':
        case '/':
            text += c;
            return;
        case 'b':
            text += '\b';
            return;
        case 'f':
            text += '\f';
            return;
        case 'n':
            text += '\n';
            return;
        case 'r':
            text += '\r';
            return;
        case 't':
            text += '\t';
            return;
        case 'u':
            break;
        default:
            fail("an unknown escape");
            return;
        }
        std::uint32_t code_point = read_hex4();
        if (code_point >= 0xD800 && code_point < 0xDC00 && text_.substr(position_, 2) == "\\u") {
            position_ += 2;
            const std::uint32_t low = read_hex4();
            if (low < 0xDC00 || low >= 0xE000) {
                fail("a lone high surrogate");
                return;
            }
            code_point = 0x10000 + ((code_point - 0xD800) << 10) + (low - 0xDC00);
        }
        append_utf8(text, static_cast<char32_t>(code_point));
    }

    std::uint32_t read_hex4() {
        std::uint32_t value = 0;
        for (int i = 0; i < 4; ++i) {
            if (at_end()) {
                fail("a short \\u escape");
                return 0;
            }
            const char c = text_[position_++];
            std::uint32_t digit = 0;
            if (c >= '0' && c <= '9') {
                digit = static_cast<std::uint32_t>(c - '0');
            } else if (c >= 'a' && c <= 'f') {
                digit = static_cast<std::uint32_t>(c - 'a' + 10);
            } else if (c >= 'A' && c <= 'F') {
                digit = static_cast<std::uint32_t>(c - 'A' + 10);
            } else {
                fail("a bad \\u escape");
                return 0;
            }
            value = value * 16 + digit;
        }
        return value;
    }

    void skip_space() {
        while (!at_end() && (text_[position_] == ' ' || text_[position_] == '\n' ||
                             text_[position_] == '\r' || text_[position_] == '\t')) {
            ++position_;
        }
    }

    // Consumes `c` (after white space) when it comes next.
    bool take(char c) {
        skip_space();
        if (!at_end() && text_[position_] == c) {
            ++position_;
            return true;
        }
        return false;
    }

    void expect(char c) {
        if (error_.empty() && !take(c)) {
            fail(std::string("'") + c + "' expected");
        }
    }

    void fail(std::string message) {
        if (error_.empty()) {
            error_ = std::move(message);
        }
        position_ = std::min(position_, text_.size());
    }

    bool at_end() const { return position_ >= text_.size() || !error_.empty(); }

    std::string_view text_;
    std::size_t position_ = 0;
    std::string error_;
};

// The next white-space-separated word of `line` from `position`, which it moves past the word.
std::string_view next_word(std::string_view line, std::size_t& position) {
    const std::size_t start = line.find_first_not_of(" \t", position);
    if (start == std::string_view::npos) {
        position = line.size();
        return {};
    }
    const std::size_t end = std::min(line.find_first_of(" \t", start), line.size());
    position = end;
    return line.substr(start, end - start);
}

} // namespace

peer_output parse_exiftool_json(std::string_view output) {
    return json_reader(output).read_files();
}

peer_output parse_exiv2_output(std::string_view output, const std::vector<std::string>& names) {
    peer_output result;
    const std::set<std::string, std::less<>> known(names.begin(), names.end());
    std::string* last_value = nullptr; // where a continuation line goes
    std::size_t line_number = 0;
    while (!output.empty()) {
        ++line_number;
        const std::size_t end = std::min(output.find('\n'), output.size());
        const std::string_view line = output.substr(0, end);
        output.remove_prefix(std::min(end + 1, output.size()));

        std::size_t position = 0;
        const std::string_view name = next_word(line, position);
        if (!known.contains(name) || line.starts_with(' ')) {
            if (last_value == nullptr) {
                result.problems.push_back("exiv2 line " + std::to_string(line_number) +
                                          " names no file: " + std::string(line.substr(0, 80)));
            } else {
                *last_value += "\n" + std::string(line);
            }
            continue;
        }
        const std::string_view key = next_word(line, position);
        const std::string_view type = next_word(line, position);
        const std::string_view count = next_word(line, position);
        if (count.empty()) {
            result.problems.push_back("exiv2 line " + std::to_string(line_number) +
                                      " is too short: " + std::string(line.substr(0, 80)));
            last_value = nullptr;
            continue;
        }
        std::string value = std::string(type) + " " + std::string(count) + " ";
        const std::size_t value_start = line.find_first_not_of(" \t", position);
        if (value_start != std::string_view::npos) {
            value += line.substr(value_start);
        }
        last_value = &add_tag(result.files[std::string(name)], std::string(key), std::move(value));
    }
    return result;
}

peer_output parse_identify_output(std::string_view output) {
    peer_output result;
    while (!output.empty()) {
        const std::size_t end = std::min(output.find('\n'), output.size());
        const std::string_view line = output.substr(0, end);
        output.remove_prefix(std::min(end + 1, output.size()));
        const std::size_t first_space = line.find(' ');
        const std::size_t second_space =
            first_space == std::string_view::npos ? first_space : line.find(' ', first_space + 1);
        if (second_space == std::string_view::npos || second_space + 1 == line.size()) {
            result.problems.push_back("identify line not understood: " +
                                      std::string(line.substr(0, 80)));
            continue;
        }
        const std::string frame(line.substr(first_space + 1, second_space - first_space - 1));
        add_tag(result.files[std::string(line.substr(0, first_space))], "frame " + frame,
                std::string(line.substr(second_space + 1)));
    }
    return result;
}

} // namespace kestrov::oracle
