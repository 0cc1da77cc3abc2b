// What the peer readers print about many files at once, as tag values per file: exiftool's JSON
// (`-j`), exiv2's listing (`-P...kycv`) and ImageMagick's `identify -format` lines.
#pragma once

#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace kestrov::oracle {

// A file's tags as one peer reads them: key to value, both as text. A key that occurs more than
// once in a file gets "#2", "#3" ... appended to its later occurrences, so that none is lost.
using tag_values = std::map<std::string, std::string>;

// The tags of every file a peer read, by the file name as the peer was given it.
using files_tags = std::map<std::string, tag_values>;

struct peer_output {
    files_tags files;
    // Output the parser could not make sense of: a fault of the oracle, never of the engine.
    std::vector<std::string> problems;
};

// Adds `key` to `tags`, renamed "key#2", "key#3" ... when it is there already; the value added.
std::string& add_tag(tag_values& tags, const std::string& key, std::string value);

// `exiftool -j` output: an array of objects, one per file, the file's name in "SourceFile".
// Strings are decoded (escapes, \u pairs); numbers and literals are kept as printed; an array is
// written as "[a, b]".
peer_output parse_exiftool_json(std::string_view output);

// `exiv2 -P...kycv FILE FILE...` output: lines "FILE KEY TYPE COUNT VALUE" (the names need two or
// more files, and must hold no white space). The value kept for a key is "TYPE COUNT VALUE" with
// the value's leading blanks dropped; a line that starts with no name of `names` continues the
// value above it (exiv2 prints a text's line breaks as they are).
peer_output parse_exiv2_output(std::string_view output, const std::vector<std::string>& names);

// `identify -format '%i %p %#\n'` output (names without white space): per file, key "frame N" for
// each frame's pixel signature.
peer_output parse_identify_output(std::string_view output);

} // namespace kestrov::oracle
