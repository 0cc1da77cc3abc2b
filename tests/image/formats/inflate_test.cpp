#include "image/engine/formats/inflate.h"

#include "image/engine/tiff_builder.h"

#include <gtest/gtest.h>

#include <string>

namespace kestrov::imaging {
namespace {

using testing::bytes_of;

// Streams made with python3's zlib, one per kind of deflate block.
const auto stored_stream =
    bytes_of({0x78, 0x01, 0x01, 0x1b, 0x00, 0xe4, 0xff, 0x53, 0x74, 0x6f, 0x72, 0x65, 0x64,
              0x20, 0x74, 0x65, 0x78, 0x74, 0x2c, 0x20, 0x6b, 0x65, 0x70, 0x74, 0x20, 0x61,
              0x73, 0x20, 0x69, 0x74, 0x20, 0x69, 0x73, 0x2e, 0x89, 0xaa, 0x09, 0x72});
const std::string stored_text = "Stored text, kept as it is.";

const auto fixed_stream =
    bytes_of({0x78, 0xda, 0x73, 0xcb, 0xac, 0x48, 0x4d, 0x51, 0xf0, 0x28, 0x4d, 0x4b,
              0xcb, 0x4d, 0xcc, 0x53, 0x48, 0xce, 0x4f, 0x49, 0x2d, 0xb6, 0x52, 0x48,
              0x4c, 0x4a, 0x46, 0xc6, 0x7a, 0x00, 0xf6, 0x1a, 0x0c, 0x84});
const std::string fixed_text = "Fixed Huffman codes: abc abc abc abc.";

const auto dynamic_stream = bytes_of(
    {0x78, 0xda, 0xd5, 0xcd, 0xbd, 0x11, 0x82, 0x30, 0x1c, 0x86, 0xf1, 0x55, 0xde, 0x09, 0x38,
     0xbf, 0x3f, 0xb6, 0xb0, 0x60, 0x01, 0x22, 0x01, 0x62, 0x02, 0x7f, 0x08, 0x04, 0x84, 0x09,
     0x6c, 0x3c, 0x07, 0xb0, 0xb2, 0xb0, 0xb0, 0xb2, 0xb0, 0xf3, 0x8e, 0x2a, 0x64, 0x2f, 0xb3,
     0x86, 0xf5, 0x73, 0xf7, 0x7b, 0xc2, 0x8c, 0xa3, 0x32, 0xe2, 0x28, 0xc1, 0x34, 0x75, 0x05,
     0x12, 0x3a, 0xe3, 0x64, 0xf2, 0xb2, 0x06, 0xb5, 0x5c, 0xa3, 0xf1, 0x59, 0x45, 0x43, 0x8f,
     0x98, 0xd2, 0x00, 0x6e, 0x54, 0xc6, 0x3d, 0xc9, 0x4c, 0x57, 0x69, 0x47, 0x48, 0xf7, 0x76,
     0x17, 0xd8, 0x6f, 0x39, 0xdd, 0x15, 0xa6, 0x9b, 0x7d, 0x30, 0xae, 0x6a, 0x69, 0x5f, 0xb0,
     0x9f, 0xb8, 0x0f, 0x10, 0xfe, 0xa1, 0x3c, 0x9b, 0x2f, 0x96, 0xab, 0xf5, 0x66, 0xbb, 0xdb,
     0xe3, 0x10, 0x79, 0x3f, 0xef, 0xc1, 0x3c, 0xde, 0x89, 0x26, 0x43, 0x22, 0x5a, 0xee, 0xc9,
     0x81, 0x17, 0x50, 0xa2, 0x32, 0xa4, 0xfd, 0x33, 0xad, 0x83, 0x1f, 0x08, 0x03, 0x89, 0xac});

std::string dynamic_text() {
    const std::string sentence =
        "The quick brown fox jumps over the lazy dog. \xC5\xBDlu\xC5\xA5ou\xC4\x8Dk\xC3\xBD "
        "k\xC5\xAF\xC5\x88 \xC3\xBAp\xC4\x9Bl \xC4\x8F\xC3\xA1"
        "belsk\xC3\xA9 \xC3\xB3"
        "dy. ";
    return sentence + sentence + sentence + "0123456789 Pack my box with five dozen liquor jugs.";
}

// A fixed block, a full flush (an empty stored block) and a final fixed block.
const auto flushed_stream =
    bytes_of({0x78, 0xda, 0x4a, 0xcb, 0x2c, 0x2a, 0x2e, 0x51, 0x28, 0x48, 0x2c, 0x2a, 0xd1,
              0x51, 0x00, 0x00, 0x00, 0x00, 0xff, 0xff, 0x2b, 0x4e, 0x4d, 0xce, 0xcf, 0x4b,
              0x51, 0x28, 0x48, 0x2c, 0x2a, 0x01, 0x00, 0x67, 0xc6, 0x08, 0x9f});

std::string as_text(const std::vector<std::byte>& bytes) {
    std::string text;
    for (const auto b : bytes) {
        text.push_back(static_cast<char>(b));
    }
    return text;
}

// Writes deflate bits least significant first (RFC 1951 §3.1.1), to build streams no encoder
// would make.
class bit_writer {
public:
    bit_writer() { bytes_ = bytes_of({0x78, 0x01}); } // zlib header: deflate, 32 KiB window

    void bits(std::uint32_t value, int count) {
        for (int i = 0; i < count; ++i) {
            if (used_ == 0) {
                bytes_.push_back(std::byte{0});
            }
            if (((value >> i) & 1) != 0) {
                bytes_.back() |= static_cast<std::byte>(1U << used_);
            }
            used_ = (used_ + 1) % 8;
        }
    }

    // A Huffman code goes most significant bit first (§3.1.1).
    void code(std::uint32_t value, int length) {
        for (int i = length - 1; i >= 0; --i) {
            bits((value >> i) & 1, 1);
        }
    }

    // A symbol of the fixed literal/length code (§3.2.6).
    void fixed_symbol(std::uint32_t symbol) {
        if (symbol < 144) {
            code(0x30 + symbol, 8);
        } else if (symbol < 256) {
            code(0x190 + symbol - 144, 9);
        } else if (symbol < 280) {
            code(symbol - 256, 7);
        } else {
            code(0xC0 + symbol - 280, 8);
        }
    }

    // Ends the deflate data and appends the Adler-32 of `expected`.
    std::vector<std::byte> finish(const std::vector<std::byte>& expected) {
        used_ = 0;
        const auto checksum = adler32(expected);
        for (int shift = 24; shift >= 0; shift -= 8) {
            bytes_.push_back(static_cast<std::byte>((checksum >> shift) & 0xFF));
        }
        return bytes_;
    }

private:
    std::vector<std::byte> bytes_;
    int used_ = 0; // bits used in the last byte
};

// A final fixed block holding one zero byte, then `copies` copies of 258 bytes at distance 1.
std::vector<std::byte> zeros_stream(std::size_t copies) {
    bit_writer writer;
    writer.bits(1, 1); // final
    writer.bits(1, 2); // fixed codes
    writer.fixed_symbol(0);
    for (std::size_t i = 0; i < copies; ++i) {
        writer.fixed_symbol(285); // length 258
        writer.code(0, 5);        // distance 1
    }
    writer.fixed_symbol(256);
    return writer.finish(std::vector<std::byte>(1 + copies * 258));
}

inflate_status inflate(const std::vector<std::byte>& stream, std::vector<std::byte>& out,
                       std::size_t limit = default_inflate_limit) {
    return zlib_inflate(stream, out, limit);
}

TEST(Inflate, Adler32MatchesTheReferenceValue) {
    EXPECT_EQ(adler32(bytes_of("Wikipedia")), 0x11E60398U);
    EXPECT_EQ(adler32({}), 1U);
    // Long enough to need the modulo several times on the way.
    EXPECT_EQ(adler32(std::vector<std::byte>(100000, std::byte{0xFF})), 0x149A302CU);
}

TEST(Inflate, DecodesEachKindOfBlock) {
    const std::pair<const std::vector<std::byte>*, std::string> cases[] = {
        {&stored_stream, stored_text},
        {&fixed_stream, fixed_text},
        {&dynamic_stream, dynamic_text()},
        {&flushed_stream, "first part, second part"},
    };
    for (const auto& [stream, text] : cases) {
        std::vector<std::byte> out;
        ASSERT_EQ(inflate(*stream, out), inflate_status::ok) << text;
        EXPECT_EQ(as_text(out), text);
    }
}

TEST(Inflate, CopiesOverlappingBackReferences) {
    std::vector<std::byte> out;
    ASSERT_EQ(inflate(zeros_stream(3), out), inflate_status::ok);
    EXPECT_EQ(out, std::vector<std::byte>(1 + 3 * 258));
}

TEST(Inflate, EveryTruncationIsRejected) {
    for (const auto* stream : {&stored_stream, &fixed_stream, &dynamic_stream, &flushed_stream}) {
        for (std::size_t length = 0; length < stream->size(); ++length) {
            const std::vector<std::byte> cut(stream->begin(),
                                             stream->begin() + static_cast<std::ptrdiff_t>(length));
            std::vector<std::byte> out;
            EXPECT_EQ(inflate(cut, out), inflate_status::truncated) << "length " << length;
        }
    }
}

// Whatever a damaged byte does, the stream either fails cleanly or, rarely, still decodes to
// the original (a flipped bit in an unused part of the last byte).
TEST(Inflate, EveryCorruptedByteFailsCleanlyOrDecodesTheSameText) {
    for (const auto* stream : {&stored_stream, &fixed_stream, &dynamic_stream}) {
        std::vector<std::byte> expected;
        ASSERT_EQ(inflate(*stream, expected), inflate_status::ok);
        for (std::size_t at = 0; at < stream->size(); ++at) {
            for (const int mask : {0x01, 0x10, 0x80, 0xFF}) {
                auto damaged = *stream;
                damaged[at] ^= static_cast<std::byte>(mask);
                std::vector<std::byte> out;
                const auto result = inflate(damaged, out, 4096);
                EXPECT_TRUE(result != inflate_status::ok || out == expected)
                    << "byte " << at << " mask " << mask;
            }
        }
    }
}

TEST(Inflate, OutputPastTheLimitIsRejected) {
    const auto stream = zeros_stream(100);
    std::vector<std::byte> out;
    EXPECT_EQ(inflate(stream, out, 1 + 100 * 258), inflate_status::ok);
    EXPECT_EQ(inflate(stream, out, 100 * 258), inflate_status::too_large);
    EXPECT_EQ(inflate(stored_stream, out, stored_text.size() - 1), inflate_status::too_large);
    EXPECT_EQ(inflate(fixed_stream, out, 4), inflate_status::too_large);
}

TEST(Inflate, ADecompressionBombStopsAtTheDefaultLimit) {
    // About 17 MiB from 108 KiB of input.
    const auto stream = zeros_stream(default_inflate_limit / 258 + 1000);
    std::vector<std::byte> out;
    EXPECT_EQ(inflate(stream, out), inflate_status::too_large);
    EXPECT_LE(out.size(), default_inflate_limit);
}

TEST(Inflate, WrongChecksumIsReported) {
    auto stream = stored_stream;
    stream.back() ^= std::byte{1};
    std::vector<std::byte> out;
    EXPECT_EQ(inflate(stream, out), inflate_status::bad_checksum);
}

TEST(Inflate, HeaderOtherThanDeflateWithoutDictionaryIsRejected) {
    std::vector<std::byte> out;
    EXPECT_EQ(inflate(bytes_of({0x79, 0x9C, 0x03, 0x00}), out), inflate_status::malformed);
    EXPECT_EQ(inflate(bytes_of({0x78, 0x9D, 0x03, 0x00}), out), inflate_status::malformed);
    // A preset dictionary (FDICT) with a valid header check.
    EXPECT_EQ(inflate(bytes_of({0x78, 0xBB, 0, 0, 0, 1, 0x03, 0x00}), out),
              inflate_status::malformed);
    // A window larger than 32 KiB.
    EXPECT_EQ(inflate(bytes_of({0x88, 0x1C, 0x03, 0x00}), out), inflate_status::malformed);
}

// A final fixed block: the literal 'a', then `symbol` with distance code `distance`.
std::vector<std::byte> fixed_copy(std::uint32_t symbol, std::uint32_t distance) {
    bit_writer writer;
    writer.bits(1, 1);
    writer.bits(1, 2);
    writer.fixed_symbol('a');
    writer.fixed_symbol(symbol);
    writer.code(distance, 5);
    writer.fixed_symbol(256);
    return writer.finish(bytes_of("aaaa"));
}

TEST(Inflate, BlocksThatBreakTheFormatAreRejected) {
    bit_writer reserved_type;
    reserved_type.bits(1, 1);
    reserved_type.bits(3, 2);
    auto bad_complement = stored_stream;
    bad_complement[5] ^= std::byte{0x01};
    for (const auto& stream : {
             reserved_type.finish({}),
             bad_complement,
             fixed_copy(257, 1), // length 3 at distance 2: before the start of the output
             fixed_copy(286, 0), // length symbols 286 and 287 never occur
             fixed_copy(287, 0),
             fixed_copy(257, 30), // nor do distance symbols 30 and 31
             fixed_copy(257, 31),
         }) {
        std::vector<std::byte> out;
        EXPECT_EQ(inflate(stream, out), inflate_status::malformed);
    }
}

// A dynamic block header with HLIT, HDIST and HCLEN as given, then code length code lengths.
bit_writer dynamic_header(std::uint32_t lengths, std::uint32_t distances,
                          std::initializer_list<std::uint32_t> code_length_lengths) {
    bit_writer writer;
    writer.bits(1, 1);
    writer.bits(2, 2);
    writer.bits(lengths - 257, 5);
    writer.bits(distances - 1, 5);
    writer.bits(static_cast<std::uint32_t>(code_length_lengths.size()) - 4, 4);
    for (const auto length : code_length_lengths) {
        writer.bits(length, 3);
    }
    return writer;
}

TEST(Inflate, DynamicCodesThatBreakTheFormatAreRejected) {
    // Code length codes of one bit for 16 (repeat the last length) and 18 (repeat zero).
    auto repeat_first = dynamic_header(257, 1, {1, 0, 1, 0});
    repeat_first.code(0, 1); // 16 with nothing before it
    repeat_first.bits(0, 2);
    auto repeat_past_end = dynamic_header(257, 1, {1, 0, 1, 0});
    for (int i = 0; i < 2; ++i) {
        repeat_past_end.code(1, 1); // 18: 138 zeros, twice, for 258 lengths
        repeat_past_end.bits(127, 7);
    }
    auto no_end_of_block = dynamic_header(257, 1, {1, 0, 1, 0});
    no_end_of_block.code(1, 1); // 138 + 120 zeros: all 258 lengths, 256 among them
    no_end_of_block.bits(127, 7);
    no_end_of_block.code(1, 1);
    no_end_of_block.bits(109, 7);
    for (auto* writer : {&repeat_first, &repeat_past_end, &no_end_of_block}) {
        std::vector<std::byte> out;
        EXPECT_EQ(inflate(writer->finish({}), out), inflate_status::malformed);
    }
    for (auto header : {
             dynamic_header(287, 1, {1, 1, 0, 0}),  // more literal/length codes than exist
             dynamic_header(257, 31, {1, 1, 0, 0}), // more distance codes than exist
             dynamic_header(257, 1, {1, 1, 1, 0}),  // three codes of one bit
             dynamic_header(257, 1, {2, 0, 0, 0}),  // one code of two bits: incomplete
         }) {
        std::vector<std::byte> out;
        EXPECT_EQ(inflate(header.finish({}), out), inflate_status::malformed);
    }
}

} // namespace
} // namespace kestrov::imaging
