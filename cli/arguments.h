// The console tool's command line: the command, its options and its operands.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace kestrov::cli {

// Thrown for a command line the tool cannot use; the text says why (Czech, UTF-8).
struct usage_error {
    std::string text;
};

struct parsed_arguments {
    std::map<std::wstring, std::wstring> options; // by long name, without the dashes
    std::vector<std::wstring> operands;
};

// Splits `arguments` into options and operands. `value_options` maps every accepted option name
// (long, or a single letter) to its long name; all of them take a value ("--name value",
// "--name=value", "-j4", "-j 4"). "--" ends the options.
parsed_arguments parse_arguments(const std::vector<std::wstring>& arguments,
                                 const std::map<std::wstring, std::wstring>& value_options);

// A tag id, decimal or hexadecimal with 0x; nothing when it is not a 32-bit number.
std::optional<std::uint32_t> parse_tag_id(const std::wstring& text);

} // namespace kestrov::cli
