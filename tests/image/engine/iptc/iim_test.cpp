#include "image/engine/iptc/iim.h"

#include "support/byte_literals.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace kestrov::imaging::iptc {
namespace {

using kestrov::testing::bytes_of;
using kestrov::testing::concat;

using bytes = std::vector<std::byte>;

bytes dataset(std::uint8_t record, std::uint8_t number, const bytes& data) {
    const auto size = data.size();
    return concat(
        {bytes_of({0x1C, record, number, std::uint8_t(size >> 8), std::uint8_t(size)}), data});
}

bytes dataset(std::uint8_t record, std::uint8_t number, const std::string& text) {
    return dataset(record, number, bytes_of(text));
}

// A dataset whose length takes `count` bytes after the extended-length word (§1.5).
bytes extended(std::uint8_t record, std::uint8_t number, std::uint8_t count, const bytes& data) {
    auto out = bytes_of({0x1C, record, number, 0x80, count});
    for (std::uint8_t i = count; i > 0; --i) {
        out.push_back(std::byte(static_cast<std::uint8_t>(data.size() >> (8U * (i - 1U)))));
    }
    return concat({out, data});
}

const bytes version = bytes_of({0, 4});
const bytes utf8_declaration = bytes_of({0x1C, 1, 90, 0, 3, 0x1B, 0x25, 0x47});

// Record 1, then record 2 with both By-lines apart and the caption in an extended dataset.
const std::vector<bytes> parts = {
    dataset(1, 0, version),
    dataset(2, 0, version),
    dataset(2, 5, "Title"),
    dataset(2, 80, "Anna"),
    dataset(2, 25, "keyword"),
    dataset(2, 80, "Bob"),
    extended(2, 120, 2, bytes_of("A caption")),
};

bytes joined(const std::vector<bytes>& pieces) {
    bytes out;
    for (const auto& p : pieces) {
        out = concat({out, p});
    }
    return out;
}

using texts = std::array<std::optional<std::string>, text_field_count>;

TEST(IptcRead, ReadsTheTextsAndTheCharacterSet) {
    const struct {
        const char* what;
        bytes data;
        texts expected;
        bool utf8_declared;
        bool well_formed;
    } cases[] = {
        {"sample", joined(parts), texts{{"Title", "A caption", "Anna; Bob"}}, false, true},
        {"zero padding", concat({joined(parts), bytes(3)}),
         texts{{"Title", "A caption", "Anna; Bob"}}, false, true},
        {"UTF-8 declared", concat({utf8_declaration, dataset(2, 5, "\xC5\xBDlu\xC5\xA5")}),
         texts{{"\xC5\xBDlu\xC5\xA5", {}, {}}}, true, true},
        {"Latin-1", dataset(2, 120, "caf\xE9"), texts{{{}, "caf\xC3\xA9", {}}}, false, true},
        {"one length byte", extended(2, 5, 1, bytes_of("a")), texts{{"a", {}, {}}}, false, true},
        {"four length bytes", extended(2, 5, 4, bytes_of("b")), texts{{"b", {}, {}}}, false, true},
        {"five length bytes", concat({dataset(2, 5, "c"), extended(2, 80, 5, bytes_of("d"))}),
         texts{{"c", {}, {}}}, false, false},
        {"no length bytes", concat({dataset(2, 5, "c"), extended(2, 80, 0, {})}),
         texts{{"c", {}, {}}}, false, false},
        {"not a dataset", concat({dataset(2, 5, "c"), bytes_of({0x1D, 2, 80, 0, 0})}),
         texts{{"c", {}, {}}}, false, false},
        {"past the end", concat({dataset(2, 5, "c"), bytes_of({0x1C, 2, 80, 0, 9, 1})}),
         texts{{"c", {}, {}}}, false, false},
    };
    for (const auto& c : cases) {
        const auto read = read_iim(c.data);
        EXPECT_EQ(read.texts, c.expected) << c.what;
        EXPECT_EQ(read.utf8_declared, c.utf8_declared) << c.what;
        EXPECT_EQ(read.well_formed, c.well_formed) << c.what;
    }
}

TEST(IptcRead, EveryTruncationIsMalformedUnlessItEndsBetweenDatasets) {
    const auto data = joined(parts);
    std::vector<std::size_t> boundaries = {0};
    for (const auto& p : parts) {
        boundaries.push_back(boundaries.back() + p.size());
    }
    for (std::size_t size = 0; size < data.size(); ++size) {
        const bool between =
            std::find(boundaries.begin(), boundaries.end(), size) != boundaries.end();
        EXPECT_EQ(read_iim(std::span(data).first(size)).well_formed, between) << size;
        const std::vector<iim_edit> edit = {{text_field::caption, "x"}};
        EXPECT_EQ(edit_iim(std::span(data).first(size), edit).ok, between) << size;
    }
}

const std::string undeclared =
    "Údaje IPTC mají neuvedenou znakovou sadu, popisné texty v nich zůstaly beze změny";
const std::string other_set =
    "Údaje IPTC mají jinou znakovou sadu než UTF-8, popisné texty v nich zůstaly beze změny";

TEST(IptcEdit, ChangesOnlyTheEditedFieldsWhereTheCharacterSetAllows) {
    const auto& p = parts;
    const std::string czech = "Jan Nov\xC3\xA1k";
    // Beyond 32767 bytes, in an extended dataset; beyond the IIM's 2000 bytes for a caption, too.
    const std::string long_text(40000, 'x');
    const auto latin1 = dataset(2, 25, "k\xE1men");
    const auto other_declaration = bytes_of({0x1C, 1, 90, 0, 3, 0x1B, 0x2D, 0x41});
    const struct {
        const char* what;
        bytes data;
        std::vector<iim_edit> edits;
        bytes expected; // empty: refused
        std::string problem;
    } cases[] = {
        {"By-line set in the first one's place",
         joined(p),
         {{text_field::by_line, "Eva"}},
         joined({p[0], p[1], p[2], dataset(2, 80, "Eva"), p[4], p[6]}),
         ""},
        {"a long caption",
         joined(p),
         {{text_field::caption, long_text}},
         joined({p[0], p[1], p[2], p[3], p[4], p[5], extended(2, 120, 4, bytes_of(long_text))}),
         ""},
        {"caption removed, later edit counts",
         joined(p),
         {{text_field::caption, "x"}, {text_field::caption, std::nullopt}},
         joined({p[0], p[1], p[2], p[3], p[4], p[5]}),
         ""},
        {"absent field left absent",
         joined({p[0], p[2]}),
         {{text_field::caption, "new"}},
         joined({p[0], p[2]}),
         ""},
        {"ASCII beside an undeclared set",
         joined({p[2], latin1}),
         {{text_field::object_name, "T"}},
         joined({dataset(2, 5, "T"), latin1}),
         ""},
        {"UTF-8 declared",
         joined({utf8_declaration, p[3], latin1}),
         {{text_field::by_line, czech}},
         joined({utf8_declaration, dataset(2, 80, czech), latin1}),
         ""},
        {"declared after record 1",
         joined({p[0], p[1], p[3]}),
         {{text_field::by_line, czech}},
         joined({p[0], utf8_declaration, p[1], dataset(2, 80, czech)}),
         ""},
        {"declared at the start",
         joined({p[1], p[3]}),
         {{text_field::by_line, czech}},
         joined({utf8_declaration, p[1], dataset(2, 80, czech)}),
         ""},
        {"the only non-ASCII text replaced",
         joined({p[0], dataset(2, 5, "\xE9t\xE9")}),
         {{text_field::object_name, czech}},
         joined({p[0], utf8_declaration, dataset(2, 5, czech)}),
         ""},
        {"non-ASCII beside an undeclared set",
         joined({p[2], latin1}),
         {{text_field::object_name, czech}},
         {},
         undeclared},
        {"another set declared",
         joined({other_declaration, p[2]}),
         {{text_field::object_name, czech}},
         {},
         other_set},
        {"ASCII under another set",
         joined({other_declaration, p[2]}),
         {{text_field::object_name, "T"}},
         joined({other_declaration, dataset(2, 5, "T")}),
         ""},
        {"zero padding kept",
         concat({p[2], bytes(2)}),
         {{text_field::object_name, "T"}},
         concat({dataset(2, 5, "T"), bytes(2)}),
         ""},
        {"malformed",
         concat({p[2], bytes_of({0x1C})}),
         {{text_field::object_name, "T"}},
         {},
         "Údaje IPTC jsou poškozené, popisné texty v nich zůstaly beze změny"},
    };
    for (const auto& c : cases) {
        const auto result = edit_iim(c.data, c.edits);
        EXPECT_EQ(result.ok, !c.expected.empty()) << c.what;
        EXPECT_EQ(result.data, c.expected) << c.what;
        EXPECT_EQ(result.problem, c.problem) << c.what;
    }
}

} // namespace
} // namespace kestrov::imaging::iptc
