// IPTC-IIM datasets (IPTC-IIM 4.2), as Photoshop's "IPTC-NAA record" resource holds them: each a
// tag marker 0x1C, a record number, a dataset number and a 16-bit big-endian length, which, when
// its high bit is set, instead gives how many bytes after it hold the length (an extended
// dataset, §1.5). The engine reads and edits the three descriptive texts it shows.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace kestrov::imaging::iptc {

enum class text_field : std::uint8_t {
    object_name, // 2:05 Object Name
    caption,     // 2:120 Caption-Abstract
    by_line,     // 2:80 By-line, repeatable
};

inline constexpr std::size_t text_field_count = 3;

struct iim_texts {
    // By field, in UTF-8; several By-line datasets are joined with "; ".
    std::array<std::optional<std::string>, text_field_count> texts;
    // False when a dataset runs past the end, its length is malformed, or something other than a
    // dataset stands where one should start; the texts are those read before.
    bool well_formed = true;
    // Dataset 1:90 Coded Character Set names UTF-8.
    bool utf8_declared = false;

    const std::optional<std::string>& text(text_field field) const {
        return texts[static_cast<std::size_t>(field)];
    }
};

// Texts are read as UTF-8 when 1:90 declares it or the bytes are valid UTF-8, else as Latin-1.
iim_texts read_iim(std::span<const std::byte> data);

struct iim_edit {
    text_field field = text_field::object_name;
    std::optional<std::string> text; // UTF-8; nullopt removes every dataset of the field
};

struct iim_edit_result {
    bool ok = false;
    std::vector<std::byte> data;
    // When not ok: a short Czech sentence, without a final full stop, for the reading or saving
    // warning.
    std::string problem;
};

// Whether any new text can join the datasets: they declare UTF-8, or declare nothing and hold
// only ASCII texts. Otherwise an edit that keeps a text in another set is refused.
bool takes_utf8_texts(std::span<const std::byte> data);

// Applies the edits to the fields that have datasets; a field without one stays absent (the
// caller decides where else to put it). Setting a field replaces its first dataset in place and
// removes the others; removing drops them all; for one field edited twice, the later edit counts.
// Every other dataset stays byte for byte as it was. Texts are written as UTF-8; non-ASCII text
// is written only where 1:90 declares UTF-8 or where it can be declared without changing how
// the datasets left in place read. Malformed data, or data whose character set does not allow
// the edit, is refused whole: ok is false and nothing changes.
iim_edit_result edit_iim(std::span<const std::byte> data, std::span<const iim_edit> edits);

} // namespace kestrov::imaging::iptc
