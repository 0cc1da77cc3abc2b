#include "image/engine/io/cached_source.h"

#include "image/engine/io/byte_reader.h"

#include <algorithm>

namespace kestrov::imaging {

const cached_source::page* cached_source::page_holding(std::uint64_t number) {
    ++clock_;
    for (auto& cached : pages_) {
        if (cached.number == number) {
            cached.last_use = clock_;
            return &cached;
        }
    }
    const std::uint64_t start = number * page_size;
    const auto length =
        static_cast<std::size_t>(std::min<std::uint64_t>(page_size, size() - start));
    page loaded{number, clock_, std::vector<std::byte>(length)};
    if (!source_->read(start, loaded.bytes)) {
        return nullptr;
    }
    if (pages_.size() < max_pages) {
        pages_.push_back(std::move(loaded));
        return &pages_.back();
    }
    auto oldest = std::min_element(pages_.begin(), pages_.end(), [](const page& a, const page& b) {
        return a.last_use < b.last_use;
    });
    *oldest = std::move(loaded);
    return &*oldest;
}

bool cached_source::read(std::uint64_t offset, std::span<std::byte> out) {
    if (!range_fits(size(), offset, out.size())) {
        return false;
    }
    // Large reads (values, copies of image data) go straight through.
    if (out.size() >= page_size) {
        return source_->read(offset, out);
    }
    std::size_t done = 0;
    while (done < out.size()) {
        const std::uint64_t at = offset + done;
        const page* cached = page_holding(at / page_size);
        if (cached == nullptr) {
            return false;
        }
        const auto within = static_cast<std::size_t>(at % page_size);
        const std::size_t count = std::min(out.size() - done, cached->bytes.size() - within);
        std::copy_n(cached->bytes.begin() + static_cast<std::ptrdiff_t>(within), count,
                    out.begin() + static_cast<std::ptrdiff_t>(done));
        done += count;
    }
    return true;
}

} // namespace kestrov::imaging
