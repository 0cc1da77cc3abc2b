#include "image/engine/formats/inflate.h"

#include "image/engine/byte_reader.h"

#include <algorithm>
#include <array>

namespace kestrov::imaging {

namespace {

constexpr int max_code_bits = 15;          // RFC 1951 §3.2.2: codes are at most 15 bits long
constexpr std::size_t max_lengths = 286;   // literal/length symbols that may occur (§3.2.5)
constexpr std::size_t max_distances = 30;  // distance symbols that may occur (§3.2.5)
constexpr std::size_t fixed_lengths = 288; // the fixed code also assigns 286 and 287 (§3.2.6)

// Base values and extra bits of length symbols 257..285 and distance symbols 0..29 (§3.2.5).
constexpr std::array<std::uint16_t, 29> length_base = {3,  4,  5,  6,   7,   8,   9,   10,  11, 13,
                                                       15, 17, 19, 23,  27,  31,  35,  43,  51, 59,
                                                       67, 83, 99, 115, 131, 163, 195, 227, 258};
constexpr std::array<std::uint8_t, 29> length_extra = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2,
                                                       2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
constexpr std::array<std::uint16_t, 30> distance_base = {
    1,   2,   3,   4,   5,   7,    9,    13,   17,   25,   33,   49,   65,    97,    129,
    193, 257, 385, 513, 769, 1025, 1537, 2049, 3073, 4097, 6145, 8193, 12289, 16385, 24577};
constexpr std::array<std::uint8_t, 30> distance_extra = {0, 0, 0,  0,  1,  1,  2,  2,  3,  3,
                                                         4, 4, 5,  5,  6,  6,  7,  7,  8,  8,
                                                         9, 9, 10, 10, 11, 11, 12, 12, 13, 13};
// The order in which code length code lengths are sent (§3.2.7).
constexpr std::array<std::uint8_t, 19> code_length_order = {16, 17, 18, 0, 8,  7, 9,  6, 10, 5,
                                                            11, 4,  12, 3, 13, 2, 14, 1, 15};

// A canonical Huffman code (§3.2.2) as the number of codes of each length and the symbols in
// code order: enough to decode one bit at a time without any table that could be indexed out of
// range.
struct huffman_code {
    std::array<std::uint16_t, max_code_bits + 1> count{};
    std::array<std::uint16_t, fixed_lengths> symbol{};
};

enum class code_shape { complete, incomplete, oversubscribed };

// Builds `code` from the code lengths of its symbols (each 0..15).
code_shape build_code(huffman_code& code, std::span<const std::uint8_t> lengths) {
    code.count.fill(0);
    for (const auto length : lengths) {
        ++code.count[length];
    }
    if (code.count[0] == lengths.size()) {
        return code_shape::complete; // no codes at all: only an error if a symbol is decoded
    }
    int left = 1; // codes of the current length still unassigned
    for (int bits = 1; bits <= max_code_bits; ++bits) {
        left = left * 2 - code.count[static_cast<std::size_t>(bits)];
        if (left < 0) {
            return code_shape::oversubscribed;
        }
    }
    std::array<std::uint16_t, max_code_bits + 1> next{};
    for (std::size_t bits = 1; bits < max_code_bits; ++bits) {
        next[bits + 1] = static_cast<std::uint16_t>(next[bits] + code.count[bits]);
    }
    for (std::size_t symbol = 0; symbol < lengths.size(); ++symbol) {
        if (lengths[symbol] != 0) {
            code.symbol[next[lengths[symbol]]++] = static_cast<std::uint16_t>(symbol);
        }
    }
    return left == 0 ? code_shape::complete : code_shape::incomplete;
}

// An incomplete literal/length or distance code is allowed only as a single code of one bit
// (§3.2.7 allows one distance code; zlib accepts the same for both).
bool acceptable(const huffman_code& code, code_shape shape, std::size_t symbols) {
    if (shape == code_shape::oversubscribed) {
        return false;
    }
    return shape == code_shape::complete ||
           static_cast<std::size_t>(code.count[0]) + code.count[1] == symbols;
}

class inflater {
public:
    inflater(std::span<const std::byte> input, std::vector<std::byte>& out, std::size_t limit)
        : input_(input), out_(out), limit_(limit) {}

    // The deflate blocks from `offset` up to and including the final one.
    bool inflate_blocks(std::size_t offset) {
        position_ = offset;
        bool last = false;
        while (!last) {
            std::uint32_t header = 0;
            if (!bits(3, header)) {
                return false;
            }
            last = (header & 1) != 0;
            const auto type = header >> 1;
            const bool done = type == 0   ? stored_block()
                              : type == 1 ? fixed_block()
                              : type == 2 ? dynamic_block()
                                          : fail(inflate_status::malformed);
            if (!done) {
                return false;
            }
        }
        return true;
    }

    // Where the byte after the deflate data starts: the partial byte in hand is dropped.
    std::size_t byte_position() const { return position_; }
    inflate_status failure() const { return failure_; }

private:
    bool fail(inflate_status why) {
        failure_ = why;
        return false;
    }

    // `count` (at most 16) bits, least significant first (§3.1.1).
    bool bits(int count, std::uint32_t& value) {
        while (bit_count_ < count) {
            if (position_ == input_.size()) {
                return fail(inflate_status::truncated);
            }
            bit_buffer_ |= std::to_integer<std::uint32_t>(input_[position_++]) << bit_count_;
            bit_count_ += 8;
        }
        value = bit_buffer_ & ((1U << count) - 1);
        bit_buffer_ >>= count;
        bit_count_ -= count;
        return true;
    }

    // One symbol, read bit by bit: canonical codes of each length are consecutive numbers, so
    // the code read so far is a symbol of this length when it falls inside that length's range.
    bool decode(const huffman_code& code, std::uint32_t& symbol) {
        int value = 0; // the bits read so far
        int first = 0; // the first code of the current length
        int index = 0; // index in `symbol` of the first code of the current length
        for (std::size_t length = 1; length <= max_code_bits; ++length) {
            std::uint32_t bit = 0;
            if (!bits(1, bit)) {
                return false;
            }
            value |= static_cast<int>(bit);
            const int count = code.count[length];
            if (value - first < count) {
                symbol = code.symbol[static_cast<std::size_t>(index + value - first)];
                return true;
            }
            index += count;
            first = (first + count) << 1;
            value <<= 1;
        }
        return fail(inflate_status::malformed); // a bit pattern that is no code
    }

    bool emit(std::byte b) {
        if (out_.size() >= limit_) {
            return fail(inflate_status::too_large);
        }
        out_.push_back(b);
        return true;
    }

    // §3.2.4: LEN and NLEN after the byte boundary, then LEN bytes as they are.
    bool stored_block() {
        bit_buffer_ = 0;
        bit_count_ = 0;
        byte_reader reader(input_.subspan(position_));
        const auto length = reader.u16();
        const auto complement = reader.u16();
        if (!reader.ok()) {
            position_ = input_.size();
            return fail(inflate_status::truncated);
        }
        if (static_cast<std::uint16_t>(~complement) != length) {
            return fail(inflate_status::malformed);
        }
        const auto data = reader.bytes(length);
        if (!reader.ok()) {
            return fail(inflate_status::truncated);
        }
        if (limit_ - out_.size() < data.size()) {
            return fail(inflate_status::too_large);
        }
        out_.insert(out_.end(), data.begin(), data.end());
        position_ += reader.position();
        return true;
    }

    bool fixed_block() {
        if (!fixed_built_) {
            std::array<std::uint8_t, fixed_lengths> lengths{};
            for (std::size_t symbol = 0; symbol < fixed_lengths; ++symbol) {
                lengths[symbol] = symbol < 144 ? 8 : symbol < 256 ? 9 : symbol < 280 ? 7 : 8;
            }
            build_code(fixed_lengths_, lengths);
            std::array<std::uint8_t, max_distances> distances{};
            distances.fill(5);
            build_code(fixed_distances_, distances);
            fixed_built_ = true;
        }
        return codes(fixed_lengths_, fixed_distances_);
    }

    // §3.2.7: the code lengths, themselves Huffman coded, then the block's symbols.
    bool dynamic_block() {
        std::uint32_t header = 0;
        if (!bits(14, header)) {
            return false;
        }
        const std::size_t length_count = (header & 0x1F) + 257;
        const std::size_t distance_count = ((header >> 5) & 0x1F) + 1;
        const std::size_t code_length_count = (header >> 10) + 4;
        if (length_count > max_lengths || distance_count > max_distances) {
            return fail(inflate_status::malformed);
        }
        std::array<std::uint8_t, 19> code_lengths{};
        for (std::size_t i = 0; i < code_length_count; ++i) {
            std::uint32_t length = 0;
            if (!bits(3, length)) {
                return false;
            }
            code_lengths[code_length_order[i]] = static_cast<std::uint8_t>(length);
        }
        huffman_code code_length_code;
        if (build_code(code_length_code, code_lengths) != code_shape::complete) {
            return fail(inflate_status::malformed);
        }
        std::array<std::uint8_t, max_lengths + max_distances> lengths{};
        const std::size_t total = length_count + distance_count;
        if (!read_code_lengths(code_length_code, std::span(lengths).first(total))) {
            return false;
        }
        if (lengths[256] == 0) {
            return fail(inflate_status::malformed); // no end-of-block code
        }
        huffman_code length_code;
        huffman_code distance_code;
        const auto literal_lengths = std::span(lengths).first(length_count);
        const auto distance_lengths = std::span(lengths).subspan(length_count, distance_count);
        if (!acceptable(length_code, build_code(length_code, literal_lengths), length_count) ||
            !acceptable(distance_code, build_code(distance_code, distance_lengths),
                        distance_count)) {
            return fail(inflate_status::malformed);
        }
        return codes(length_code, distance_code);
    }

    // Symbols 0..15 are lengths; 16 repeats the previous length, 17 and 18 repeat zero.
    bool read_code_lengths(const huffman_code& code, std::span<std::uint8_t> lengths) {
        std::size_t index = 0;
        while (index < lengths.size()) {
            std::uint32_t symbol = 0;
            if (!decode(code, symbol)) {
                return false;
            }
            if (symbol < 16) {
                lengths[index++] = static_cast<std::uint8_t>(symbol);
                continue;
            }
            std::uint8_t repeated = 0;
            std::uint32_t repeat = 0;
            bool read = false;
            if (symbol == 16) {
                if (index == 0) {
                    return fail(inflate_status::malformed); // nothing to repeat
                }
                repeated = lengths[index - 1];
                read = bits(2, repeat);
                repeat += 3;
            } else if (symbol == 17) {
                read = bits(3, repeat);
                repeat += 3;
            } else {
                read = bits(7, repeat);
                repeat += 11;
            }
            if (!read) {
                return false;
            }
            if (lengths.size() - index < repeat) {
                return fail(inflate_status::malformed);
            }
            for (std::uint32_t i = 0; i < repeat; ++i) {
                lengths[index++] = repeated;
            }
        }
        return true;
    }

    // §3.2.5: literals, end of block, and length/distance pairs copied from the output so far.
    bool codes(const huffman_code& length_code, const huffman_code& distance_code) {
        for (;;) {
            std::uint32_t symbol = 0;
            if (!decode(length_code, symbol)) {
                return false;
            }
            if (symbol < 256) {
                if (!emit(static_cast<std::byte>(symbol))) {
                    return false;
                }
                continue;
            }
            if (symbol == 256) {
                return true;
            }
            symbol -= 257;
            if (symbol >= length_base.size()) {
                return fail(inflate_status::malformed); // 286 and 287 never occur
            }
            std::uint32_t extra = 0;
            if (!bits(length_extra[symbol], extra)) {
                return false;
            }
            const std::size_t length = length_base[symbol] + extra;
            std::uint32_t distance_symbol = 0;
            if (!decode(distance_code, distance_symbol)) {
                return false;
            }
            if (distance_symbol >= distance_base.size()) {
                return fail(inflate_status::malformed); // 30 and 31 never occur
            }
            if (!bits(distance_extra[distance_symbol], extra)) {
                return false;
            }
            const std::size_t distance = distance_base[distance_symbol] + extra;
            if (distance > out_.size()) {
                return fail(inflate_status::malformed); // before the start of the output
            }
            if (limit_ - out_.size() < length) {
                return fail(inflate_status::too_large);
            }
            // Byte by byte, in order: the source may overlap the bytes being written (§3.2.3).
            const auto start = out_.size();
            out_.resize(start + length);
            for (std::size_t at = start; at < start + length; ++at) {
                out_[at] = out_[at - distance];
            }
        }
    }

    std::span<const std::byte> input_;
    std::vector<std::byte>& out_;
    std::size_t limit_;
    std::size_t position_ = 0;
    std::uint32_t bit_buffer_ = 0;
    int bit_count_ = 0;
    inflate_status failure_ = inflate_status::ok;
    bool fixed_built_ = false;
    huffman_code fixed_lengths_;
    huffman_code fixed_distances_;
};

} // namespace

inflate_status zlib_inflate(std::span<const std::byte> input, std::vector<std::byte>& out,
                            std::size_t max_output) {
    out.clear();
    byte_reader header(input, byte_order::big);
    const auto cmf = header.u8();
    const auto flg = header.u8();
    if (!header.ok()) {
        return inflate_status::truncated;
    }
    // RFC 1950 §2.2: method 8 (deflate) with a window of at most 32 KiB, a header check that
    // makes CMF·256+FLG a multiple of 31, and no preset dictionary (PNG never uses one).
    const bool valid =
        (cmf & 0x0F) == 8 && (cmf >> 4) <= 7 && ((cmf << 8) | flg) % 31 == 0 && (flg & 0x20) == 0;
    if (!valid) {
        return inflate_status::malformed;
    }
    inflater decoder(input, out, max_output);
    if (!decoder.inflate_blocks(2)) {
        return decoder.failure();
    }
    bool in_range = false;
    const auto checksum = header.u32_at(decoder.byte_position(), in_range);
    if (!in_range) {
        return inflate_status::truncated;
    }
    return checksum == adler32(out) ? inflate_status::ok : inflate_status::bad_checksum;
}

std::uint32_t adler32(std::span<const std::byte> bytes) {
    constexpr std::uint32_t modulus = 65521;
    // 5552 bytes is the most that can be summed before `b` could pass 2^32 (RFC 1950 §9).
    constexpr std::size_t run = 5552;
    std::uint32_t a = 1;
    std::uint32_t b = 0;
    while (!bytes.empty()) {
        const auto piece = bytes.first(std::min(run, bytes.size()));
        for (const auto byte : piece) {
            a += std::to_integer<std::uint32_t>(byte);
            b += a;
        }
        a %= modulus;
        b %= modulus;
        bytes = bytes.subspan(piece.size());
    }
    return (b << 16) | a;
}

const char* describe(inflate_status status) {
    switch (status) {
    case inflate_status::ok:
        return "ok";
    case inflate_status::truncated:
        return "truncated";
    case inflate_status::malformed:
        return "malformed";
    case inflate_status::too_large:
        return "too large";
    case inflate_status::bad_checksum:
        return "damaged (checksum mismatch)";
    }
    return "unreadable";
}

} // namespace kestrov::imaging
