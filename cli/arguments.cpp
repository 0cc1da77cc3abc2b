#include "cli/arguments.h"

#include "base/text_conversion.h"

namespace kestrov::cli {

namespace {

std::string narrow(const std::wstring& text) {
    std::string out;
    to_multibyte(text, code_page_utf8, out);
    return out;
}

} // namespace

parsed_arguments parse_arguments(const std::vector<std::wstring>& arguments,
                                 const std::map<std::wstring, std::wstring>& value_options) {
    parsed_arguments parsed;
    bool options_ended = false;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::wstring& argument = arguments[i];
        if (options_ended || argument.size() < 2 || argument[0] != L'-') {
            parsed.operands.push_back(argument);
            continue;
        }
        if (argument == L"--") {
            options_ended = true;
            continue;
        }
        std::wstring name;
        std::optional<std::wstring> value;
        if (argument[1] == L'-') {
            const auto equals = argument.find(L'=');
            name =
                argument.substr(2, equals == std::wstring::npos ? std::wstring::npos : equals - 2);
            if (equals != std::wstring::npos) {
                value = argument.substr(equals + 1);
            }
        } else {
            name = argument.substr(1, 1);
            if (argument.size() > 2) {
                value = argument.substr(2);
            }
        }
        const auto known = value_options.find(name);
        if (known == value_options.end()) {
            throw usage_error{"neznámá volba " + narrow(argument)};
        }
        if (!value) {
            if (i + 1 >= arguments.size()) {
                throw usage_error{"volbě " + narrow(argument) + " chybí hodnota"};
            }
            value = arguments[++i];
        }
        parsed.options[known->second] = *value;
    }
    return parsed;
}

std::optional<std::uint32_t> parse_tag_id(const std::wstring& text) {
    const bool hexadecimal =
        text.size() > 2 && text[0] == L'0' && (text[1] == L'x' || text[1] == L'X');
    const std::size_t start = hexadecimal ? 2 : 0;
    if (text.size() <= start) {
        return std::nullopt;
    }
    const std::uint64_t base = hexadecimal ? 16 : 10;
    std::uint64_t value = 0;
    for (std::size_t i = start; i < text.size(); ++i) {
        const wchar_t c = text[i];
        std::uint64_t digit = 0;
        if (c >= L'0' && c <= L'9') {
            digit = static_cast<std::uint64_t>(c - L'0');
        } else if (hexadecimal && c >= L'a' && c <= L'f') {
            digit = static_cast<std::uint64_t>(c - L'a' + 10);
        } else if (hexadecimal && c >= L'A' && c <= L'F') {
            digit = static_cast<std::uint64_t>(c - L'A' + 10);
        } else {
            return std::nullopt;
        }
        value = value * base + digit;
        if (value > 0xFFFFFFFFU) {
            return std::nullopt;
        }
    }
    return static_cast<std::uint32_t>(value);
}

} // namespace kestrov::cli
