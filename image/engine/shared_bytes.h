// A value's bytes, held once however many holders it has: the directory entry it was read from,
// the item exposed for it and the copy of the items kept for a save all share one buffer. The
// bytes never change once made; a new value is a new shared_bytes.
#pragma once

#include <algorithm>
#include <cstddef>
#include <initializer_list>
#include <memory>
#include <span>
#include <utility>
#include <vector>

namespace kestrov::imaging {

class shared_bytes {
public:
    using value_type = std::byte;
    using iterator = const std::byte*;
    using const_iterator = const std::byte*;

    shared_bytes() = default;
    // Implicit: values are built as byte vectors everywhere.
    shared_bytes(std::vector<std::byte> bytes)
        : bytes_(bytes.empty() ? nullptr
                               : std::make_shared<std::vector<std::byte>>(std::move(bytes))) {}
    shared_bytes(std::initializer_list<std::byte> bytes)
        : shared_bytes(std::vector<std::byte>(bytes)) {}
    // Built in place: a temporary vector moved from here trips GCC 12's free-nonheap-object
    // check in optimised builds.
    template <typename Iterator>
    shared_bytes(Iterator first, Iterator last)
        : bytes_(first == last ? nullptr : std::make_shared<std::vector<std::byte>>(first, last)) {}

    std::size_t size() const { return bytes_ ? bytes_->size() : 0; }
    bool empty() const { return size() == 0; }
    const std::byte* data() const { return bytes_ ? bytes_->data() : nullptr; }
    const std::byte* begin() const { return data(); }
    const std::byte* end() const { return data() + size(); }
    std::byte operator[](std::size_t index) const { return data()[index]; }
    operator std::span<const std::byte>() const { return {data(), size()}; }

    // Whether both hold the very same buffer (and so cost its bytes once).
    bool shares_with(const shared_bytes& other) const { return bytes_ && bytes_ == other.bytes_; }

    friend bool operator==(const shared_bytes& a, const shared_bytes& b) {
        return a.bytes_ == b.bytes_ || std::equal(a.begin(), a.end(), b.begin(), b.end());
    }
    friend bool operator==(const shared_bytes& a, const std::vector<std::byte>& b) {
        return std::equal(a.begin(), a.end(), b.begin(), b.end());
    }

private:
    std::shared_ptr<const std::vector<std::byte>> bytes_; // empty values hold none
};

} // namespace kestrov::imaging
