#include "image/engine/formats/png/zlib_inflate.h"

// zlib's input pointer is a pointer to const only with this.
#define ZLIB_CONST
#include <zlib.h>

#include <algorithm>
#include <array>
#include <limits>
#include <new>

namespace kestrov::imaging {

namespace {

// One inflate state, ended however the decoding leaves.
class inflate_stream {
public:
    inflate_stream() {
        if (inflateInit(&stream_) != Z_OK) {
            throw std::bad_alloc();
        }
    }
    ~inflate_stream() { inflateEnd(&stream_); }
    inflate_stream(const inflate_stream&) = delete;
    inflate_stream& operator=(const inflate_stream&) = delete;

    z_stream* get() { return &stream_; }

private:
    z_stream stream_{};
};

// The output comes in pieces of this size, so the cap is checked long before a bomb costs memory.
constexpr std::size_t output_piece = 16 * 1024;

} // namespace

inflate_result zlib_inflate(std::span<const std::byte> input, std::vector<std::byte>& out,
                            std::size_t max_output) {
    out.clear();
    inflate_stream state;
    z_stream& stream = *state.get();
    std::array<std::byte, output_piece> buffer{};
    // zlib counts input in uInt: a larger input is handed over in several pieces.
    constexpr std::size_t largest_input = std::numeric_limits<uInt>::max();
    auto rest = input;
    for (;;) {
        if (stream.avail_in == 0 && !rest.empty()) {
            const auto piece = std::min(rest.size(), largest_input);
            stream.next_in = reinterpret_cast<const Bytef*>(rest.data());
            stream.avail_in = static_cast<uInt>(piece);
            rest = rest.subspan(piece);
        }
        stream.next_out = reinterpret_cast<Bytef*>(buffer.data());
        stream.avail_out = static_cast<uInt>(buffer.size());
        const int result = inflate(&stream, Z_NO_FLUSH);
        const auto produced = buffer.size() - stream.avail_out;
        const auto room = max_output - out.size();
        const auto kept = std::span(buffer).first(std::min(produced, room));
        out.insert(out.end(), kept.begin(), kept.end());
        if (produced > room) {
            return {inflate_status::too_large, {}};
        }
        switch (result) {
        case Z_STREAM_END:
            if (stream.avail_in != 0 || !rest.empty()) {
                return {inflate_status::trailing_data, {}};
            }
            return {inflate_status::ok, {}};
        case Z_OK:
            // With room left in the output, zlib stopped only because the input ran out.
            if (stream.avail_out != 0 && rest.empty()) {
                return {inflate_status::truncated, {}};
            }
            break;
        case Z_BUF_ERROR: // no progress: the output had room, so the input is used up
            return {inflate_status::truncated, {}};
        case Z_NEED_DICT:
            return {inflate_status::needs_dictionary, {}};
        case Z_MEM_ERROR:
            throw std::bad_alloc();
        default: // Z_DATA_ERROR, and anything else zlib may answer
            return {inflate_status::damaged,
                    stream.msg != nullptr ? std::string_view(stream.msg) : std::string_view()};
        }
    }
}

std::string describe(const inflate_result& result) {
    switch (result.status) {
    case inflate_status::ok:
        return "je v pořádku";
    case inflate_status::truncated:
        return "je zkrácený";
    case inflate_status::trailing_data:
        return "pokračuje nadbytečnými bajty";
    case inflate_status::needs_dictionary:
        return "potřebuje přednastavený slovník";
    case inflate_status::damaged:
        return result.detail.empty() ? "je poškozený"
                                     : "je poškozený (" + std::string(result.detail) + ")";
    case inflate_status::too_large:
        return "se rozbalí na příliš mnoho dat";
    }
    return "nelze přečíst";
}

} // namespace kestrov::imaging
