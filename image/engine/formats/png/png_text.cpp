#include "image/engine/formats/png/png_text.h"

#include "base/ascii_case.h"
#include "image/engine/format_facts.h"

#include "image/engine/formats/png/zlib_inflate.h"
#include "image/engine/text_bytes.h"

#include <algorithm>
#include <array>

namespace kestrov::imaging {

namespace {

// Splits off the bytes before the next zero byte; nothing when there is no zero byte.
std::optional<std::span<const std::byte>> take_until_zero(std::span<const std::byte>& rest) {
    const auto zero = std::find(rest.begin(), rest.end(), std::byte{0});
    if (zero == rest.end()) {
        return std::nullopt;
    }
    const auto length = static_cast<std::size_t>(zero - rest.begin());
    const auto field = rest.first(length);
    rest = rest.subspan(length + 1);
    return field;
}

png_text_result unreadable(std::string why) {
    return {false, {}, std::move(why)};
}

// The text of a compressed chunk: method 0 is zlib (§10.3), nothing else is defined.
png_text_result inflate_text(std::uint8_t method, std::span<const std::byte> compressed,
                             std::vector<std::byte>& text, std::size_t& budget) {
    if (method != 0) {
        return unreadable("má neznámou metodu komprese");
    }
    // What was inflated is spent even when the stream then fails: a file of many bombs that
    // each fail at the cap costs no more than one.
    const auto result = zlib_inflate(compressed, text, budget);
    budget -= text.size();
    // Bytes after the end of a whole, checked stream do not make its text less whole; other
    // readers show it too.
    if (result.status != inflate_status::ok && result.status != inflate_status::trailing_data) {
        return unreadable("má komprimovaný text, který " + describe(result));
    }
    return {true, {}, {}};
}

png_text_result decode_latin1(std::span<const std::byte> rest, bool compressed,
                              std::size_t& budget) {
    if (!compressed) {
        return {true, latin1_to_utf8(rest), {}};
    }
    if (rest.empty()) {
        return unreadable("je zkrácený");
    }
    std::vector<std::byte> text;
    auto result =
        inflate_text(std::to_integer<std::uint8_t>(rest[0]), rest.subspan(1), text, budget);
    if (result.readable) {
        result.utf8 = latin1_to_utf8(text);
    }
    return result;
}

// §11.3.4.5: compression flag and method, language tag, translated keyword, then the text.
png_text_result decode_international(std::span<const std::byte> rest, std::size_t& budget) {
    if (rest.size() < 2) {
        return unreadable("je zkrácený");
    }
    const auto flag = std::to_integer<std::uint8_t>(rest[0]);
    const auto method = std::to_integer<std::uint8_t>(rest[1]);
    rest = rest.subspan(2);
    if (flag > 1) {
        return unreadable("má neplatný příznak komprese");
    }
    if (!take_until_zero(rest) || !take_until_zero(rest)) {
        return unreadable("je zkrácený");
    }
    std::vector<std::byte> inflated;
    if (flag == 1) {
        if (auto result = inflate_text(method, rest, inflated, budget); !result.readable) {
            return result;
        }
        rest = inflated;
    }
    if (is_valid_utf8(rest)) {
        return {true, utf8_or_latin1(rest), {}};
    }
    return {true, latin1_to_utf8(rest), "nemá text v platném UTF-8, byl přečten jako Latin-1"};
}

} // namespace

std::optional<std::string> png_text_keyword(std::span<const std::byte> data) {
    const auto field = take_until_zero(data);
    if (!field || field->empty() || field->size() >= png_keyword_field_length) {
        return std::nullopt;
    }
    std::string keyword;
    for (const auto b : *field) {
        keyword.push_back(static_cast<char>(b));
    }
    return keyword;
}

std::optional<std::string_view> png_item_keyword(std::uint32_t id) {
    for (const auto& [keyword, item] : png_keyword_ids) {
        if (item == id) {
            return keyword;
        }
    }
    return std::nullopt;
}

std::uint32_t png_keyword_item_id(std::string_view keyword) {
    for (const auto& [registered, item] : png_keyword_ids) {
        if (equal_ignoring_case(keyword, registered)) {
            return item;
        }
    }
    return 0;
}

png_text_result decode_png_text(png_text_kind kind, std::span<const std::byte> data,
                                std::size_t& inflate_budget) {
    auto rest = data;
    if (!take_until_zero(rest)) {
        return unreadable("nemá klíčové slovo");
    }
    switch (kind) {
    case png_text_kind::text:
        return decode_latin1(rest, false, inflate_budget);
    case png_text_kind::compressed_text:
        return decode_latin1(rest, true, inflate_budget);
    case png_text_kind::international_text:
        return decode_international(rest, inflate_budget);
    }
    return unreadable("je neznámého druhu");
}

} // namespace kestrov::imaging
