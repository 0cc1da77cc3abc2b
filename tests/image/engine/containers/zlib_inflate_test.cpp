#include "image/engine/formats/png/zlib_inflate.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <string>

namespace kestrov::imaging {
namespace {

std::vector<std::byte> compressed(const std::string& text) {
    const auto text_length = static_cast<uLong>(text.size());
    std::vector<std::byte> stream(compressBound(text_length));
    auto length = static_cast<uLongf>(stream.size());
    EXPECT_EQ(compress(reinterpret_cast<Bytef*>(stream.data()), &length,
                       reinterpret_cast<const Bytef*>(text.data()), text_length),
              Z_OK);
    stream.resize(length);
    return stream;
}

std::string as_text(const std::vector<std::byte>& bytes) {
    return {reinterpret_cast<const char*>(bytes.data()), bytes.size()};
}

TEST(ZlibInflate, InflatesWhatZlibCompressedUpToTheCap) {
    // Much more than one output piece, so the text is gathered over many calls.
    std::string text;
    for (int line = 0; text.size() < 100'000; ++line) {
        text += "\xC5\x98\xC3\xA1"
                "dek " +
                std::to_string(line) + "\n";
    }
    const auto stream = compressed(text);
    std::vector<std::byte> out;
    EXPECT_EQ(zlib_inflate(stream, out).status, inflate_status::ok);
    EXPECT_EQ(as_text(out), text);
    EXPECT_EQ(zlib_inflate(stream, out, text.size()).status, inflate_status::ok);
    EXPECT_EQ(as_text(out), text);

    const auto over = zlib_inflate(stream, out, text.size() - 1);
    EXPECT_EQ(over.status, inflate_status::too_large);
    EXPECT_EQ(out.size(), text.size() - 1); // what is kept never passes the cap
    EXPECT_EQ(describe(over), "se rozbalí na příliš mnoho dat");
}

TEST(ZlibInflate, UnusableStreamsFailWithTheirReasons) {
    const auto stream = compressed("Popis fotografie, popis fotografie, popis.");
    std::vector<std::byte> out;
    const auto inflated = [&out](std::vector<std::byte> bytes) { return zlib_inflate(bytes, out); };

    auto cut = stream;
    cut.resize(stream.size() / 2);
    EXPECT_EQ(inflated(cut).status, inflate_status::truncated);
    EXPECT_EQ(inflated({}).status, inflate_status::truncated);
    auto no_checksum = stream;
    no_checksum.pop_back();
    EXPECT_EQ(describe(inflated(no_checksum)), "je zkrácený");

    auto trailing = stream;
    trailing.push_back(std::byte{0});
    EXPECT_EQ(describe(inflated(trailing)), "pokračuje nadbytečnými bajty");

    auto bad_checksum = no_checksum;
    bad_checksum.push_back(stream.back() ^ std::byte{1});
    EXPECT_EQ(describe(inflated(bad_checksum)), "je poškozený (incorrect data check)");
    auto bad_header = stream;
    bad_header[1] ^= std::byte{1};
    EXPECT_EQ(inflated(bad_header).status, inflate_status::damaged);
    // A final block of the reserved type 3.
    EXPECT_EQ(describe(inflated({std::byte{0x78}, std::byte{0x9C}, std::byte{0x07}})),
              "je poškozený (invalid block type)");

    // A header that asks for the preset dictionary with the Adler-32 of 1.
    const auto with_dictionary = inflated(
        {std::byte{0x78}, std::byte{0x20}, std::byte{0}, std::byte{0}, std::byte{0}, std::byte{1}});
    EXPECT_EQ(with_dictionary.status, inflate_status::needs_dictionary);
    EXPECT_EQ(describe(with_dictionary), "potřebuje přednastavený slovník");
}

} // namespace
} // namespace kestrov::imaging
