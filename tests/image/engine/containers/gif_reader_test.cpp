#include "image/engine/container.h"
#include "image/engine/formats/gif/gif_format.h"

#include "image/engine/containers/format_test_support.h"
#include "image/engine/containers/tiff_builder.h"
#include "image/engine/format_facts.h"
#include "image/engine/property_item.h"

#include <gtest/gtest.h>

namespace kestrov::imaging {
namespace {

using namespace testing;

status read(const std::vector<std::byte>& file, decoded_metadata& out) {
    memory_source source(file);
    return read_gif(source, out);
}

// The ids GIF items have, pinned: a program that reads them asks for these numbers.
static_assert(frame_delay_id == 0x5100 && loop_count_id == 0x5101 && global_palette_id == 0x5102 &&
              background_index_id == 0x5103 && transparent_index_id == 0x5104 &&
              comment_id == 0x9286);

const auto palette = bytes_of({255, 0, 0, 0, 0, 255}); // two colours: red, blue
const auto trailer = bytes_of({0x3B});

// Signature and a 2×2 logical screen with the two-colour global table, or none.
std::vector<std::byte> header(bool with_table = true, std::uint8_t background = 1) {
    const std::uint8_t packed = with_table ? 0x80 : 0x00; // table of 2^(0+1) entries
    auto out = concat({bytes_of("GIF89a"), bytes_of({2, 0, 2, 0, packed, background, 0})});
    return with_table ? concat({out, palette}) : out;
}

std::vector<std::byte> sub_blocks(std::initializer_list<std::vector<std::byte>> blocks) {
    std::vector<std::byte> out;
    for (const auto& block : blocks) {
        out.push_back(static_cast<std::byte>(block.size()));
        out.insert(out.end(), block.begin(), block.end());
    }
    out.push_back(std::byte{0});
    return out;
}

std::vector<std::byte> graphic_control(std::uint16_t delay, bool transparent = false,
                                       std::uint8_t index = 0) {
    return concat({bytes_of({0x21, 0xF9}),
                   sub_blocks({bytes_of({static_cast<std::uint8_t>(transparent ? 1 : 0),
                                         static_cast<std::uint8_t>(delay & 0xFF),
                                         static_cast<std::uint8_t>(delay >> 8), index})})});
}

std::vector<std::byte> comment_extension(std::initializer_list<std::vector<std::byte>> parts) {
    return concat({bytes_of({0x21, 0xFE}), sub_blocks(parts)});
}

std::vector<std::byte> looping(const std::string& application, std::uint16_t count) {
    return concat(
        {bytes_of({0x21, 0xFF}),
         sub_blocks({bytes_of(application), bytes_of({1, static_cast<std::uint8_t>(count & 0xFF),
                                                      static_cast<std::uint8_t>(count >> 8)})})});
}

// An image descriptor, an optional local table, and image data sub-blocks whose bytes look like
// block introducers, to prove they are skipped and not parsed.
std::vector<std::byte> frame(bool local_table = false) {
    const std::uint8_t packed = local_table ? 0x81 : 0x00; // 4 entries when present
    auto out = concat({bytes_of({0x2C, 0, 0, 0, 0, 2, 0, 2, 0, packed})});
    if (local_table) {
        out = concat({out, std::vector<std::byte>(12, std::byte{0x21})});
    }
    return concat(
        {out, bytes_of({2}), sub_blocks({bytes_of({0x3B, 0x21, 0xF9}), bytes_of({0x2C})})});
}

std::vector<std::uint32_t> delays(const decoded_metadata& out) {
    const auto* item = out.properties.find(frame_delay_id);
    std::vector<std::uint32_t> values;
    if (item != nullptr) {
        for (std::size_t i = 0; i < item->value.size() / 4; ++i) {
            values.push_back(value_u32(*item, i));
        }
    }
    return values;
}

TEST(GifReader, WithoutAGlobalTableThereIsNoPaletteOrBackground) {
    decoded_metadata out;
    ASSERT_EQ(read(concat({header(false, 7), frame()}), out), status::ok);
    EXPECT_EQ(out.warnings.size(), 1U); // no trailer
    EXPECT_EQ(out.properties.find(global_palette_id), nullptr);
    EXPECT_EQ(out.properties.find(background_index_id), nullptr);
    EXPECT_EQ(delays(out), std::vector<std::uint32_t>{0});
}

TEST(GifReader, CollectsOneDelayPerFrameAndTheFirstTransparentIndex) {
    const auto file =
        concat({header(), graphic_control(10, false, 9), frame(), frame(true),
                graphic_control(250, true, 3), graphic_control(30, true, 4), frame(), trailer});
    decoded_metadata out;
    ASSERT_EQ(read(file, out), status::ok);
    EXPECT_TRUE(out.warnings.empty());
    // The second frame has no control block; the third takes the last one before it.
    EXPECT_EQ(delays(out), (std::vector<std::uint32_t>{10, 0, 30}));
    EXPECT_EQ(out.properties.find(frame_delay_id)->type, property_type::long_);
    const auto* index = out.properties.find(transparent_index_id);
    ASSERT_NE(index, nullptr);
    EXPECT_EQ(index->type, property_type::byte);
    EXPECT_EQ(index->value, bytes_of({3}));
}

TEST(GifReader, ReadsTheLoopCountOfEitherLoopingExtension) {
    for (const auto* application : {"NETSCAPE2.0", "ANIMEXTS1.0"}) { // Netscape's and Adobe's
        decoded_metadata out;
        ASSERT_EQ(read(concat({header(), looping(application, 0x0102), frame(), trailer}), out),
                  status::ok);
        const auto* count = out.properties.find(loop_count_id);
        ASSERT_NE(count, nullptr);
        EXPECT_EQ(count->type, property_type::short_);
        EXPECT_EQ(count->value, bytes_of({0x02, 0x01}));
    }
}

TEST(GifReader, JoinsTheCommentsSubBlocksAndKeepsTheFirstComment) {
    const auto file = concat({header(), comment_extension({bytes_of("Hello, "), bytes_of("world")}),
                              frame(), comment_extension({bytes_of("second")}), trailer});
    decoded_metadata out;
    ASSERT_EQ(read(file, out), status::ok);
    const auto* text = out.properties.find(comment_id);
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(text->type, property_type::ascii);
    EXPECT_EQ(value_text(*text), std::string("Hello, world\0", 13));
}

TEST(GifReader, CommentThatIsNotUtf8IsReadAsLatin1) {
    decoded_metadata out;
    ASSERT_EQ(
        read(concat({header(), comment_extension({bytes_of("caf\xE9")}), frame(), trailer}), out),
        status::ok);
    EXPECT_EQ(value_text(*out.properties.find(comment_id)), std::string("caf\xC3\xA9\0", 6));
}

TEST(GifReader, ShortGraphicControlIsIgnoredWithAWarning) {
    const auto short_control = concat({bytes_of({0x21, 0xF9}), sub_blocks({bytes_of({1, 9})})});
    decoded_metadata out;
    ASSERT_EQ(read(concat({header(), short_control, frame(), trailer}), out), status::ok);
    EXPECT_EQ(delays(out), std::vector<std::uint32_t>{0});
    EXPECT_EQ(out.properties.find(transparent_index_id), nullptr);
    EXPECT_EQ(out.warnings.size(), 1U);
}

TEST(GifReader, UnknownBlockStopsTheWalkWithAWarning) {
    decoded_metadata out;
    ASSERT_EQ(read(concat({header(), frame(), bytes_of({0x00}), comment_extension({bytes_of("x")}),
                           frame(), trailer}),
                   out),
              status::ok);
    EXPECT_EQ(delays(out).size(), 1U);
    EXPECT_EQ(out.properties.find(comment_id), nullptr);
    EXPECT_EQ(out.warnings.size(), 1U);
}

TEST(GifReader, FileWithoutAnyFrameIsUnreadable) {
    decoded_metadata out;
    EXPECT_NE(read(concat({header(), comment_extension({bytes_of("x")}), trailer}), out),
              status::ok);
}

TEST(GifReader, FileWithoutASoundHeaderIsUnreadable) {
    auto wrong_version = concat({header(), frame(), trailer});
    wrong_version[4] = std::byte{'8'};
    for (const auto& file : {wrong_version, bytes_of("GIF89a"), std::vector<std::byte>{}}) {
        decoded_metadata out;
        EXPECT_NE(read(file, out), status::ok);
    }
}

TEST(GifReader, EveryTruncationKeepsWhatPrecedesTheCut) {
    const auto file =
        concat({header(), graphic_control(7, true, 1), comment_extension({bytes_of("note")}),
                looping("NETSCAPE2.0", 0), frame(true), graphic_control(9), frame(), trailer});
    decoded_metadata whole;
    ASSERT_EQ(read(file, whole), status::ok);
    const auto first_frame = header().size() + graphic_control(7).size() +
                             comment_extension({bytes_of("note")}).size() +
                             looping("NETSCAPE2.0", 0).size();
    for (std::size_t length = 0; length < file.size(); ++length) {
        const std::vector<std::byte> cut(file.begin(),
                                         file.begin() + static_cast<std::ptrdiff_t>(length));
        decoded_metadata out;
        const auto result = read(cut, out);
        // A frame counts once its descriptor is whole.
        if (length < first_frame + 10) {
            EXPECT_NE(result, status::ok) << length;
            continue;
        }
        ASSERT_EQ(result, status::ok) << length;
        EXPECT_FALSE(out.warnings.empty()) << length;
        for (const auto& item : out.properties.items()) {
            ASSERT_NE(whole.properties.find(item.id), nullptr);
            if (item.id != frame_delay_id) {
                EXPECT_EQ(whole.properties.find(item.id)->value, item.value) << length;
            }
        }
    }
}

TEST(GifReader, ReadsLargeImageDataInFewReads) {
    std::vector<std::byte> data;
    for (int i = 0; i < 4000; ++i) { // about 1 MB of sub-blocks
        data.push_back(std::byte{255});
        data.insert(data.end(), 255, std::byte{0x2C});
    }
    data.push_back(std::byte{0});
    const auto file = concat({header(), bytes_of({0x2C, 0, 0, 0, 0, 2, 0, 2, 0, 0, 8}), data,
                              comment_extension({bytes_of("after")}), trailer});
    recording_source source(file);
    decoded_metadata out;
    ASSERT_EQ(read_gif(source, out), status::ok);
    EXPECT_NE(out.properties.find(comment_id), nullptr);
    EXPECT_LE(source.read_count(), 20U);
}

TEST(GifReader, StopsAtTheFrameCap) {
    const auto one = bytes_of({0x2C, 0, 0, 0, 0, 1, 0, 1, 0, 0, 2, 0});
    std::vector<std::byte> file = header();
    for (int i = 0; i < 100'001; ++i) {
        file.insert(file.end(), one.begin(), one.end());
    }
    file.push_back(std::byte{0x3B});
    decoded_metadata out;
    ASSERT_EQ(read(file, out), status::ok);
    EXPECT_EQ(delays(out).size(), 100'000U);
    EXPECT_EQ(out.warnings.size(), 1U);
}

// ImageMagick: two 2×2 frames of 20/100 s, a comment in each, looping, the second transparent.
const auto imagemagick_gif = bytes_of({
    0x47, 0x49, 0x46, 0x38, 0x39, 0x61, 0x02, 0x00, 0x02, 0x00, 0xf0, 0x00, 0x00, 0xff, 0x00, 0x00,
    0x00, 0x00, 0x00, 0x21, 0xf9, 0x04, 0x00, 0x14, 0x00, 0x00, 0x00, 0x21, 0xfe, 0x0b, 0x41, 0x68,
    0x6f, 0x6a, 0x20, 0x73, 0x76, 0xc4, 0x9b, 0x74, 0x65, 0x00, 0x21, 0xff, 0x0b, 0x4e, 0x45, 0x54,
    0x53, 0x43, 0x41, 0x50, 0x45, 0x32, 0x2e, 0x30, 0x03, 0x01, 0x02, 0x00, 0x00, 0x2c, 0x00, 0x00,
    0x00, 0x00, 0x02, 0x00, 0x02, 0x00, 0x00, 0x02, 0x02, 0x84, 0x51, 0x00, 0x21, 0xf9, 0x04, 0x01,
    0x14, 0x00, 0x00, 0x00, 0x21, 0xfe, 0x0b, 0x41, 0x68, 0x6f, 0x6a, 0x20, 0x73, 0x76, 0xc4, 0x9b,
    0x74, 0x65, 0x00, 0x2c, 0x00, 0x00, 0x00, 0x00, 0x02, 0x00, 0x02, 0x00, 0x80, 0x00, 0x00, 0x00,
    0x00, 0x00, 0x00, 0x02, 0x02, 0x84, 0x51, 0x00, 0x3b,
});

TEST(GifReader, ReadsAnAnimationWrittenByImageMagick) {
    decoded_metadata out;
    ASSERT_EQ(read(imagemagick_gif, out), status::ok);
    EXPECT_TRUE(out.warnings.empty());
    EXPECT_EQ(delays(out), (std::vector<std::uint32_t>{20, 20}));
    EXPECT_EQ(out.properties.find(loop_count_id)->value, bytes_of({2, 0}));
    EXPECT_EQ(out.properties.find(transparent_index_id)->value, bytes_of({0}));
    EXPECT_EQ(value_text(*out.properties.find(comment_id)), std::string("Ahoj sv\xC4\x9Bte\0", 12));
    EXPECT_EQ(out.properties.find(global_palette_id)->value, bytes_of({255, 0, 0, 0, 0, 0}));
    EXPECT_EQ(out.properties.find(background_index_id)->value, bytes_of({0}));
}

} // namespace
} // namespace kestrov::imaging
