#include "image/engine/io/byte_reader.h"

#include <gtest/gtest.h>

#include <vector>

namespace kestrov::imaging {
namespace {

std::vector<std::byte> counting_bytes(std::size_t length) {
    std::vector<std::byte> bytes(length);
    for (std::size_t i = 0; i < length; ++i) {
        bytes[i] = static_cast<std::byte>(i);
    }
    return bytes;
}

// A source read through a buffer far smaller than the reads reads what memory reads: every read
// crosses the buffer's edge somewhere, and reads at an offset in between do not lose the place.
TEST(ByteReader, ReadsASourceThroughItsBufferAsItReadsMemory) {
    const auto bytes = counting_bytes(40);
    memory_source source(bytes);
    byte_reader in_memory(bytes, byte_order::big);
    byte_reader buffered(source, byte_order::big, 3);
    for (byte_reader* reader : {&in_memory, &buffered}) {
        SCOPED_TRACE(reader == &buffered ? "buffered" : "in memory");
        EXPECT_EQ(reader->u8(), 0);
        EXPECT_EQ(reader->u16(), 0x0102);
        EXPECT_EQ(reader->u32_at(20), 0x14151617u);
        EXPECT_EQ(reader->u32(), 0x03040506u);
        const auto run = reader->bytes(10);
        ASSERT_EQ(run.size(), 10u);
        EXPECT_EQ(run.front(), std::byte{7});
        EXPECT_EQ(run.back(), std::byte{16});
        EXPECT_EQ(reader->copy_at(38, 2), (std::vector<std::byte>{std::byte{38}, std::byte{39}}));
        EXPECT_FALSE(reader->copy_at(39, 2));
        EXPECT_FALSE(reader->u16_at(39));
        EXPECT_TRUE(reader->bytes_at(40, 1).empty());
        EXPECT_TRUE(reader->ok()); // reads at an offset leave the flag alone
        reader->skip(23);
        EXPECT_TRUE(reader->at_end());
        EXPECT_EQ(reader->u8(), 0);
        EXPECT_FALSE(reader->ok());
        EXPECT_EQ(reader->position(), 40u);
    }
}

} // namespace
} // namespace kestrov::imaging
