// A few pages of another source kept in memory: container walks make many small reads close
// together (segment headers, directory entries), and each would otherwise be a system call.
#pragma once

#include "image/engine/io/byte_source.h"

#include <memory>
#include <vector>

namespace kestrov::imaging {

class cached_source final : public byte_source {
public:
    explicit cached_source(std::unique_ptr<byte_source> source) : source_(std::move(source)) {}

    std::uint64_t size() const override { return source_->size(); }
    bool read(std::uint64_t offset, std::span<std::byte> out) override;

    static constexpr std::size_t page_size = 16 * 1024;
    static constexpr std::size_t max_pages = 16;

private:
    struct page {
        std::uint64_t number = 0;
        std::uint64_t last_use = 0;
        std::vector<std::byte> bytes;
    };
    const page* page_holding(std::uint64_t number);

    std::unique_ptr<byte_source> source_;
    std::vector<page> pages_;
    std::uint64_t clock_ = 0;
};

} // namespace kestrov::imaging
