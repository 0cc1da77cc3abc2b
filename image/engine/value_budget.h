// How many bytes of values an open image may hold. A crafted file can point hundreds of entries at
// one range of bytes, each a value of its own; the budget keeps what reading such a file holds
// near what the file really has.
#pragma once

#include <cstdint>

namespace kestrov::imaging {

// All values of one image together, whatever its size: past this, a file is no photo's metadata.
inline constexpr std::uint64_t max_held_value_bytes = 64ULL << 20;

// The values of a block may take this many times the distinct bytes they cover. Real files store
// each value apart (or share one now and then); only crafted ones pile values onto one range.
inline constexpr std::uint64_t max_overlap_factor = 2;

class value_budget {
public:
    explicit value_budget(std::uint64_t limit = max_held_value_bytes) : left_(limit) {}

    // Takes `bytes` when they fit in what is left; false (and nothing taken) otherwise.
    bool take(std::uint64_t bytes) {
        if (bytes > left_) {
            return false;
        }
        left_ -= bytes;
        return true;
    }
    std::uint64_t left() const { return left_; }

private:
    std::uint64_t left_;
};

} // namespace kestrov::imaging
