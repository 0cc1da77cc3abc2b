#include "image/engine/iptc/iim.h"

#include "image/engine/io/byte_reader.h"
#include "image/engine/text_bytes.h"

#include <algorithm>
#include <limits>
#include <string_view>

namespace kestrov::imaging::iptc {

namespace {

constexpr std::byte tag_marker{0x1C};
constexpr std::uint8_t envelope_record = 1;
constexpr std::uint8_t application_record = 2;
constexpr std::uint8_t coded_character_set = 90; // 1:90

// An extended length counts its own bytes in the low 15 bits (§1.5); more than four would
// describe data no 32-bit offset reaches, and none is written.
constexpr std::uint16_t extended_length_flag = 0x8000;
constexpr std::uint16_t longest_length_of_length = 4;
constexpr std::uint64_t longest_standard_length = 0x7FFF;

// The ISO 2022 escape sequence for UTF-8 that 1:90 holds: ESC % G.
constexpr std::array<std::byte, 3> utf8_designation = {std::byte{0x1B}, std::byte{0x25},
                                                       std::byte{0x47}};

constexpr std::array<std::uint8_t, text_field_count> field_numbers = {5, 120, 80};

struct dataset {
    std::uint8_t record = 0;
    std::uint8_t number = 0;
    std::uint64_t offset = 0; // of its tag marker
    std::uint64_t length = 0; // marker, numbers, length and data
    std::span<const std::byte> data;
};

struct dataset_list {
    std::vector<dataset> datasets;
    bool well_formed = true;
    // Where the datasets end: zero bytes after them, which some writers pad the data with, are
    // no dataset and no fault either, and an edit keeps them.
    std::uint64_t end = 0;
};

bool only_zeros(std::span<const std::byte> bytes) {
    return std::all_of(bytes.begin(), bytes.end(), [](std::byte b) { return b == std::byte{0}; });
}

dataset_list read_datasets(std::span<const std::byte> data) {
    dataset_list list;
    byte_reader in(data, byte_order::big);
    while (!in.at_end()) {
        const std::uint64_t start = in.position();
        const auto marker = in.u8();
        if (std::byte{marker} != tag_marker) {
            list.well_formed = only_zeros(data.subspan(static_cast<std::size_t>(start)));
            break;
        }
        const std::uint8_t record = in.u8();
        const std::uint8_t number = in.u8();
        std::uint64_t length = in.u16();
        if ((length & extended_length_flag) != 0) {
            const auto count = static_cast<std::uint16_t>(length & (extended_length_flag - 1U));
            if (count == 0 || count > longest_length_of_length) {
                list.well_formed = false;
                break;
            }
            length = 0;
            for (std::uint16_t i = 0; i < count; ++i) {
                length = (length << 8U) | in.u8();
            }
        }
        if (!in.ok() || !range_fits(in.size(), in.position(), length)) {
            list.well_formed = false;
            break;
        }
        const auto bytes =
            data.subspan(static_cast<std::size_t>(in.position()), static_cast<std::size_t>(length));
        in.skip(length);
        list.datasets.push_back({record, number, start, in.position() - start, bytes});
        list.end = in.position();
    }
    return list;
}

std::optional<text_field> field_of(const dataset& d) {
    if (d.record != application_record) {
        return std::nullopt;
    }
    const auto* found = std::find(field_numbers.begin(), field_numbers.end(), d.number);
    if (found == field_numbers.end()) {
        return std::nullopt;
    }
    return static_cast<text_field>(found - field_numbers.begin());
}

bool is_character_set(const dataset& d) {
    return d.record == envelope_record && d.number == coded_character_set;
}

bool declares_utf8(const dataset& d) {
    return std::equal(d.data.begin(), d.data.end(), utf8_designation.begin(),
                      utf8_designation.end());
}

bool is_ascii(std::span<const std::byte> bytes) {
    return std::all_of(bytes.begin(), bytes.end(), [](std::byte b) { return b < std::byte{0x80}; });
}

bool is_ascii(std::string_view text) {
    return std::all_of(text.begin(), text.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

// Application record datasets that hold numbers or binary data, not text (IPTC-IIM 4.2, chapter
// 6): 2:00 Record Version, 2:200 ObjectData Preview File Format, 2:201 its version and 2:202 the
// preview itself. Their bytes say nothing about the character set.
bool is_binary(const dataset& d) {
    return d.record == application_record &&
           (d.number == 0 || d.number == 200 || d.number == 201 || d.number == 202);
}

void append(std::vector<std::byte>& out, std::span<const std::byte> bytes) {
    out.insert(out.end(), bytes.begin(), bytes.end());
}

// A dataset of `text`. The IIM gives Object Name at most 64 bytes, Caption-Abstract 2000 and
// By-line 32 (chapter 6); a longer text is still written whole, since readers read what is
// there, and cutting it would lose what the user wrote.
void append_text_dataset(std::vector<std::byte>& out, std::uint8_t number, std::string_view text) {
    out.push_back(tag_marker);
    out.push_back(std::byte{application_record});
    out.push_back(std::byte{number});
    const auto at = out.size();
    if (text.size() <= longest_standard_length) {
        out.resize(at + 2);
        store_u16(out.data() + at, static_cast<std::uint16_t>(text.size()), byte_order::big);
    } else {
        out.resize(at + 2 + longest_length_of_length);
        store_u16(out.data() + at, extended_length_flag | longest_length_of_length,
                  byte_order::big);
        store_u32(out.data() + at + 2, static_cast<std::uint32_t>(text.size()), byte_order::big);
    }
    append(out, std::as_bytes(std::span(text.data(), text.size())));
}

void append_utf8_declaration(std::vector<std::byte>& out) {
    append(out, std::array{tag_marker, std::byte{envelope_record}, std::byte{coded_character_set},
                           std::byte{0}, std::byte{utf8_designation.size()}});
    append(out, utf8_designation);
}

struct field_edit {
    bool edited = false;
    std::optional<std::string_view> text; // nullopt: removed
};

iim_edit_result refused(std::string problem) {
    return {false, {}, std::move(problem)};
}

constexpr std::string_view unchanged = ", popisné texty v nich zůstaly beze změny";

} // namespace

iim_texts read_iim(std::span<const std::byte> data) {
    const auto list = read_datasets(data);
    iim_texts result;
    result.well_formed = list.well_formed;
    bool character_set_seen = false;
    for (const auto& d : list.datasets) {
        if (is_character_set(d) && !character_set_seen) {
            character_set_seen = true;
            result.utf8_declared = declares_utf8(d);
        }
        const auto field = field_of(d);
        if (!field) {
            continue;
        }
        // Declared UTF-8 that is not valid UTF-8 reads as Latin-1 too: a reader shows what
        // bytes there are rather than replacement characters.
        auto text = utf8_or_latin1(d.data);
        auto& slot = result.texts[static_cast<std::size_t>(*field)];
        if (!slot) {
            slot = std::move(text);
        } else if (*field == text_field::by_line) {
            *slot += "; ";
            *slot += text;
        }
    }
    return result;
}

bool takes_utf8_texts(std::span<const std::byte> data) {
    const auto list = read_datasets(data);
    if (!list.well_formed) {
        return false;
    }
    const auto character_set =
        std::find_if(list.datasets.begin(), list.datasets.end(), is_character_set);
    if (character_set != list.datasets.end()) {
        return declares_utf8(*character_set);
    }
    return std::all_of(list.datasets.begin(), list.datasets.end(), [](const dataset& d) {
        return d.record != application_record || is_binary(d) || is_ascii(d.data);
    });
}

iim_edit_result edit_iim(std::span<const std::byte> data, std::span<const iim_edit> edits) {
    const auto list = read_datasets(data);
    if (!list.well_formed) {
        return refused("Údaje IPTC jsou poškozené" + std::string(unchanged));
    }

    // Per field: whether it is edited, and to what.
    std::array<field_edit, text_field_count> wanted;
    for (const auto& edit : edits) {
        auto& w = wanted[static_cast<std::size_t>(edit.field)];
        w.edited = true;
        w.text = edit.text ? std::optional<std::string_view>(*edit.text) : std::nullopt;
    }
    std::array<bool, text_field_count> present{};
    const dataset* character_set = nullptr;
    for (const auto& d : list.datasets) {
        if (const auto field = field_of(d)) {
            present[static_cast<std::size_t>(*field)] = true;
        }
        if (is_character_set(d) && character_set == nullptr) {
            character_set = &d;
        }
    }
    bool writes_non_ascii = false;
    for (std::size_t f = 0; f < text_field_count; ++f) {
        if (present[f] && wanted[f].text) {
            if (wanted[f].text->size() > std::numeric_limits<std::uint32_t>::max()) {
                return refused("Text je pro údaje IPTC příliš dlouhý");
            }
            writes_non_ascii = writes_non_ascii || !is_ascii(*wanted[f].text);
        }
    }

    // UTF-8 text goes only where it cannot change how the other datasets read: under a 1:90
    // that names UTF-8, or, with no 1:90, beside texts that are ASCII and so read the same in
    // UTF-8 as in whatever set their writer meant.
    bool declare_utf8 = false;
    if (writes_non_ascii) {
        if (character_set != nullptr) {
            if (!declares_utf8(*character_set)) {
                return refused("Údaje IPTC mají jinou znakovou sadu než UTF-8" +
                               std::string(unchanged));
            }
        } else {
            const bool others_ascii =
                std::all_of(list.datasets.begin(), list.datasets.end(), [&](const dataset& d) {
                    if (d.record != application_record || is_binary(d)) {
                        return true;
                    }
                    const auto field = field_of(d);
                    if (field && wanted[static_cast<std::size_t>(*field)].edited) {
                        return true; // replaced or removed
                    }
                    return is_ascii(d.data);
                });
            if (!others_ascii) {
                return refused("Údaje IPTC mají neuvedenou znakovou sadu" + std::string(unchanged));
            }
            declare_utf8 = true;
        }
    }

    // 1:90 joins the envelope record, after its last dataset, or starts the data when there is
    // none: records stand in ascending order.
    const auto last_envelope =
        std::find_if(list.datasets.rbegin(), list.datasets.rend(),
                     [](const dataset& d) { return d.record == envelope_record; });
    const dataset* declaration_after =
        last_envelope == list.datasets.rend() ? nullptr : &*last_envelope;

    iim_edit_result result;
    result.ok = true;
    result.data.reserve(data.size() + 64);
    if (declare_utf8 && declaration_after == nullptr) {
        append_utf8_declaration(result.data);
    }
    std::array<bool, text_field_count> written{};
    for (const auto& d : list.datasets) {
        const auto field = field_of(d);
        const auto f = field ? static_cast<std::size_t>(*field) : 0;
        if (field && wanted[f].edited) {
            if (wanted[f].text && !written[f]) {
                append_text_dataset(result.data, d.number, *wanted[f].text);
            }
            written[f] = true;
        } else {
            append(result.data, data.subspan(static_cast<std::size_t>(d.offset),
                                             static_cast<std::size_t>(d.length)));
        }
        if (declare_utf8 && &d == declaration_after) {
            append_utf8_declaration(result.data);
        }
    }
    append(result.data, data.subspan(static_cast<std::size_t>(list.end)));
    return result;
}

} // namespace kestrov::imaging::iptc
