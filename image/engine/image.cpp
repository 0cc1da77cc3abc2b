#include "image/engine/image.h"

#include "app/hresult.h"
#include "app/last_error.h"
#include "image/engine/image_format.h"
#include "image/engine/input_file.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <new>
#include <utility>

namespace kestrov::imaging {

namespace {

container_reader reader_for(image_format format) {
    switch (format) {
    case image_format::jpeg:
        return read_jpeg;
    case image_format::tiff:
        return read_tiff;
    case image_format::png:
        return read_png;
    case image_format::gif:
        return read_gif;
    case image_format::bmp:
        return read_bmp;
    case image_format::ico:
        return read_ico;
    case image_format::emf:
        return read_emf;
    case image_format::wmf:
        return read_wmf;
    case image_format::unknown:
        break;
    }
    return nullptr;
}

} // namespace

image::~image() = default;

std::unique_ptr<image> image::from_file(std::wstring_view path) {
    try {
        std::unique_ptr<image> result(new image());
        status opened = status::ok;
        auto file = input_file::open(path, opened);
        if (!file) {
            result->last_status_ = opened;
            return result;
        }
        result->load(std::move(file));
        return result;
    } catch (const std::bad_alloc&) {
        set_last_error(win32::error_not_enough_memory);
        return nullptr;
    }
}

std::unique_ptr<image> image::from_bytes(std::vector<std::byte> bytes) {
    try {
        std::unique_ptr<image> result(new image());
        result->memory_ = std::move(bytes);
        result->load(std::make_unique<memory_source>(result->memory_));
        return result;
    } catch (const std::bad_alloc&) {
        set_last_error(win32::error_not_enough_memory);
        return nullptr;
    }
}

void image::load(std::unique_ptr<byte_source> source) {
    std::byte head[format_signature_length] = {};
    const auto head_length =
        static_cast<std::size_t>(std::min<std::uint64_t>(source->size(), format_signature_length));
    if (!source->read(0, std::span(head, head_length))) {
        last_status_ = status::win32_error;
        return;
    }
    const container_reader reader = reader_for(detect_format(std::span(head, head_length)));
    if (reader == nullptr) {
        set_last_error(win32::error_unsupported_type);
        last_status_ = status::unknown_image_format;
        return;
    }
    decoded_metadata metadata;
    const status result = reader(*source, metadata);
    if (result != status::ok) {
        last_status_ = result;
        return;
    }
    metadata_ = std::move(metadata);
    source_ = std::move(source);
}

status image::record(status result) {
    if (result != status::ok) {
        last_status_ = result;
    }
    return result;
}

status image::last_status() {
    return std::exchange(last_status_, status::ok);
}

status image::property_item_size(std::uint32_t id, std::uint32_t& size) {
    size = 0;
    const property* item = metadata_.properties.find(id);
    if (item == nullptr) {
        return record(status::property_not_found);
    }
    if (item->value.size() > std::numeric_limits<std::uint32_t>::max() - sizeof(PropertyItem)) {
        return record(status::value_overflow);
    }
    size = static_cast<std::uint32_t>(sizeof(PropertyItem) + item->value.size());
    return status::ok;
}

status image::property_item(std::uint32_t id, std::uint32_t size, PropertyItem* buffer) {
    if (buffer == nullptr) {
        return record(status::invalid_parameter);
    }
    std::uint32_t needed = 0;
    if (const status result = property_item_size(id, needed); result != status::ok) {
        return result;
    }
    if (size < needed) {
        return record(status::invalid_parameter);
    }
    const property& item = *metadata_.properties.find(id);
    auto* value = reinterpret_cast<std::byte*>(buffer) + sizeof(PropertyItem);
    buffer->id = item.id;
    buffer->length = static_cast<std::uint32_t>(item.value.size());
    buffer->type = item.type;
    buffer->value = value;
    if (!item.value.empty()) {
        std::memcpy(value, item.value.data(), item.value.size());
    }
    return status::ok;
}

status image::property_ids(std::vector<std::uint32_t>& ids) {
    ids.clear();
    for (const auto& item : metadata_.properties.items()) {
        ids.push_back(item.id);
    }
    return status::ok;
}

} // namespace kestrov::imaging
