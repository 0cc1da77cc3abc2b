// BMP, ICO, EMF and WMF: recognised, no items, and a header that must be sound.
#include "image/engine/container.h"
#include "image/engine/formats/simple/simple_formats.h"

#include "image/engine/containers/format_test_support.h"
#include "image/engine/containers/tiff_builder.h"
#include "image/engine/io/byte_reader.h"

#include <gtest/gtest.h>

namespace kestrov::imaging {
namespace {

using namespace testing;

using reader_function = status (*)(byte_source&, decoded_metadata&);

status read(reader_function reader, const std::vector<std::byte>& file, decoded_metadata& out) {
    memory_source source(file);
    return reader(source, out);
}

bool readable(reader_function reader, const std::vector<std::byte>& file) {
    decoded_metadata out;
    const auto result = read(reader, file, out);
    EXPECT_EQ(out.properties.size(), 0U);
    return result == status::ok;
}

std::vector<std::byte> le16(std::uint16_t value) {
    std::vector<std::byte> out(2);
    store_u16(out.data(), value, byte_order::little);
    return out;
}

std::vector<std::byte> le32(std::uint32_t value) {
    std::vector<std::byte> out(4);
    store_u32(out.data(), value, byte_order::little);
    return out;
}

// Every strict prefix of a sound file is unreadable until `needed` bytes are there.
void expect_truncations_unreadable_below(reader_function reader, const std::vector<std::byte>& file,
                                         std::size_t needed) {
    for (std::size_t length = 0; length < file.size(); ++length) {
        const std::vector<std::byte> cut(file.begin(),
                                         file.begin() + static_cast<std::ptrdiff_t>(length));
        EXPECT_EQ(readable(reader, cut), length >= needed) << length;
    }
}

struct bmp_fields {
    std::uint32_t info_length = 40;
    std::int32_t width = 1;
    std::int32_t height = 1;
    std::uint16_t planes = 1;
    std::uint16_t bit_count = 24;
    std::uint32_t pixel_offset = 0; // 0: right after the headers
};

// File header, info header, 4 bytes of pixels.
std::vector<std::byte> bmp(const bmp_fields& f) {
    std::vector<std::byte> info = le32(f.info_length);
    if (f.info_length == 12) {
        info = concat({info, le16(static_cast<std::uint16_t>(f.width)),
                       le16(static_cast<std::uint16_t>(f.height))});
    } else {
        info = concat({info, le32(static_cast<std::uint32_t>(f.width)),
                       le32(static_cast<std::uint32_t>(f.height))});
    }
    info = concat({info, le16(f.planes), le16(f.bit_count)});
    info.resize(f.info_length);
    const auto offset = f.pixel_offset != 0 ? f.pixel_offset : 14 + f.info_length;
    return concat({bytes_of("BM"), le32(14 + f.info_length + 4), le32(0), le32(offset), info,
                   bytes_of({0, 0, 255, 0})});
}

TEST(BmpReader, AcceptsEachKnownInfoHeader) {
    for (const std::uint32_t length : {12U, 16U, 40U, 52U, 56U, 64U, 108U, 124U}) {
        decoded_metadata out;
        EXPECT_EQ(read(read_bmp, bmp({.info_length = length}), out), status::ok) << length;
        EXPECT_EQ(out.format, image_format::bmp);
        EXPECT_TRUE(out.warnings.empty());
    }
    EXPECT_TRUE(readable(read_bmp, bmp({.height = -1}))); // top-down
}

TEST(BmpReader, RejectsAHeaderThatCannotBeTrue) {
    for (const std::uint32_t length : {0U, 20U, 41U, 200U}) {
        EXPECT_FALSE(readable(read_bmp, bmp({.info_length = length}))) << length;
    }
    for (const auto& fields : {
             bmp_fields{.width = 0}, bmp_fields{.width = -4}, bmp_fields{.height = 0},
             bmp_fields{.planes = 3}, bmp_fields{.bit_count = 7},
             bmp_fields{.pixel_offset = 40},         // inside the headers
             bmp_fields{.pixel_offset = 58},         // at the end of the file
             bmp_fields{.pixel_offset = 0xFFFFFFFF}, // far past it
         }) {
        EXPECT_FALSE(readable(read_bmp, bmp(fields)));
    }
}

TEST(BmpReader, EveryTruncationBeforeThePixelsIsUnreadable) {
    expect_truncations_unreadable_below(read_bmp, bmp({}), 55);
}

struct icon_entry {
    std::uint32_t length;
    std::uint32_t offset;
};

// Directory of `entries`, then `data_length` bytes of image data.
std::vector<std::byte> ico(std::uint16_t count, std::initializer_list<icon_entry> entries,
                           std::size_t data_length) {
    auto out = concat({le16(0), le16(1), le16(count)});
    for (const auto& entry : entries) {
        out = concat({out, bytes_of({16, 16, 0, 0}), le16(1), le16(32), le32(entry.length),
                      le32(entry.offset)});
    }
    out.resize(out.size() + data_length, std::byte{0x28});
    return out;
}

TEST(IcoReader, AcceptsADirectoryWhoseImagesLieInTheFile) {
    decoded_metadata out;
    ASSERT_EQ(read(read_ico, ico(2, {{40, 38}, {20, 78}}, 60), out), status::ok);
    EXPECT_EQ(out.format, image_format::ico);
    EXPECT_TRUE(out.warnings.empty());
}

TEST(IcoReader, RejectsAnEmptyOrCutDirectoryOrAnotherResourceType) {
    auto cursor = ico(1, {{40, 22}}, 40);
    cursor[2] = std::byte{2};
    EXPECT_FALSE(readable(read_ico, cursor));
    EXPECT_FALSE(readable(read_ico, ico(0, {}, 40)));
    EXPECT_FALSE(readable(read_ico, ico(3, {{40, 22}}, 10)));
    EXPECT_FALSE(readable(read_ico, ico(0xFFFF, {{40, 22}}, 40)));
}

TEST(IcoReader, WarnsOfImagesOutsideTheFile) {
    decoded_metadata out;
    ASSERT_EQ(read(read_ico, ico(3, {{40, 54}, {40, 80}, {0, 54}}, 40), out), status::ok);
    EXPECT_EQ(out.warnings.size(), 2U);
}

TEST(IcoReader, RejectsADirectoryWithoutAnyUsableImage) {
    EXPECT_FALSE(readable(read_ico, ico(1, {{40, 0xFFFFFFF0}}, 40)));
    EXPECT_FALSE(readable(read_ico, ico(1, {{40, 2}}, 40)));
    EXPECT_FALSE(readable(read_ico, ico(1, {{0xFFFFFFFF, 22}}, 40)));
}

TEST(IcoReader, EveryTruncationBeforeTheImageEndsIsUnreadable) {
    expect_truncations_unreadable_below(read_ico, ico(1, {{40, 22}}, 40), 62);
}

// An EMR_HEADER of `header_size` bytes claiming `total_size`, then an EMR_EOF record.
std::vector<std::byte> emf(std::uint32_t header_size = 88, std::uint32_t total_size = 108) {
    auto header = concat({le32(1), le32(header_size), std::vector<std::byte>(32), le32(0x464D4520),
                          le32(0x10000), le32(total_size), le32(2)});
    header.resize(header_size);
    return concat({header, le32(14), le32(20), le32(0), le32(16), le32(20)});
}

TEST(EmfReader, AcceptsASoundHeader) {
    decoded_metadata out;
    ASSERT_EQ(read(read_emf, emf(), out), status::ok);
    EXPECT_EQ(out.format, image_format::emf);
    EXPECT_TRUE(readable(read_emf, emf(108, 128))); // a header with extensions
}

TEST(EmfReader, RejectsAHeaderThatDisagreesWithItselfOrTheFile) {
    EXPECT_FALSE(readable(read_emf, emf(84, 104)));  // shorter than the header
    EXPECT_FALSE(readable(read_emf, emf(90, 110)));  // not a multiple of 4
    EXPECT_FALSE(readable(read_emf, emf(88, 80)));   // total smaller than the header
    EXPECT_FALSE(readable(read_emf, emf(88, 4000))); // total past the end of the file
    auto wrong_signature = emf();
    wrong_signature[40] = std::byte{'X'};
    EXPECT_FALSE(readable(read_emf, wrong_signature));
}

TEST(EmfReader, EveryTruncationIsUnreadable) {
    expect_truncations_unreadable_below(read_emf, emf(), 108);
}

// The META_HEADER (type 1, 9 words, `version`, total size in words) and the end record.
std::vector<std::byte> wmf_body(std::uint16_t version = 0x0300, std::uint16_t header_words = 9) {
    return concat({le16(1), le16(header_words), le16(version), le32(12), le16(0), le32(3), le16(0),
                   le32(3), le16(0)});
}

std::vector<std::byte> placeable(const std::vector<std::byte>& body) {
    return concat({le32(0x9AC6CDD7), le16(0), le16(0), le16(0), le16(100), le16(100), le16(1440),
                   le32(0), le16(0), body});
}

TEST(WmfReader, AcceptsAPlainOrPlaceableMetafile) {
    decoded_metadata out;
    ASSERT_EQ(read(read_wmf, wmf_body(), out), status::ok);
    EXPECT_EQ(out.format, image_format::wmf);
    EXPECT_TRUE(readable(read_wmf, placeable(wmf_body(0x0100))));
}

TEST(WmfReader, RejectsAHeaderThatIsNotAMetaHeader) {
    EXPECT_FALSE(readable(read_wmf, wmf_body(0x0200)));
    EXPECT_FALSE(readable(read_wmf, wmf_body(0x0300, 8)));
    EXPECT_FALSE(readable(read_wmf, placeable(std::vector<std::byte>(24))));
}

TEST(WmfReader, EveryTruncationOfTheHeaderIsUnreadable) {
    expect_truncations_unreadable_below(read_wmf, wmf_body(), 18);
    expect_truncations_unreadable_below(read_wmf, placeable(wmf_body()), 40);
}

} // namespace
} // namespace kestrov::imaging
