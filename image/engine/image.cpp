#include "image/engine/image.h"

#include "base/hresult.h"
#include "base/last_error.h"
#include "image/engine/container_writer.h"
#include "image/engine/descriptive/descriptive_texts.h"
#include "image/engine/formats.h"
#include "image/engine/image_format.h"
#include "image/engine/io/cached_source.h"
#include "image/engine/io/input_file.h"
#include "image/engine/tiff/tiff_items.h"
#include "image/engine/tiff/tiff_reader.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <new>
#include <utility>

namespace kestrov::imaging {

namespace {

// Removes the file a save is writing unless the save completes: any way out of it, a failed write
// or an exception, leaves nothing behind. The thread's last error stays the failure's.
class partial_file_guard {
public:
    explicit partial_file_guard(std::wstring_view path) : path_(path) {}
    partial_file_guard(const partial_file_guard&) = delete;
    partial_file_guard& operator=(const partial_file_guard&) = delete;
    ~partial_file_guard() {
        if (armed_) {
            const std::uint32_t error = last_error();
            remove_file(path_);
            set_last_error(error);
        }
    }
    // The file exists now and is this save's to remove.
    void arm() { armed_ = true; }
    void commit() { armed_ = false; }

private:
    std::wstring_view path_;
    bool armed_ = false;
};

// The Win32 error that tells a user why a writer stopped, for a writer that set none.
std::uint32_t error_for(status result) {
    switch (result) {
    case status::out_of_memory:
        return win32::error_not_enough_memory;
    case status::value_overflow:
        return win32::error_file_too_large;
    case status::not_implemented:
    case status::property_not_supported:
        return win32::error_not_supported;
    case status::win32_error:
        return win32::error_gen_failure;
    default:
        return win32::error_invalid_data;
    }
}

bool holds_items(image_format format) {
    const format_entry* entry = format_entry_of(format);
    return entry != nullptr && entry->holds_items;
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
        const file_identity identity = file->identity();
        result->load(std::make_unique<cached_source>(std::move(file)));
        if (result->source_) {
            result->source_identity_ = identity;
        }
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
    const format_entry* format = format_entry_of(detect_format(std::span(head, head_length)));
    const container_reader reader = format != nullptr ? format->read : nullptr;
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
    read_descriptive_texts(metadata, format->other_text_places);
    metadata.as_read = metadata.properties;
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

status image::set_property_item(const PropertyItem& item) {
    if (!source_) {
        return record(status::wrong_state);
    }
    if (!holds_items(metadata_.format)) {
        return record(status::property_not_supported);
    }
    // Every item is stored as an entry of a TIFF structure: the TIFF file's own, or the Exif block
    // of a JPEG or PNG (whose text chunks hold only ids such a block could hold too). An id that
    // has no entry there would be cut to another tag or dropped by the save.
    if (!tiff_can_hold_item(item.id, metadata_.format != image_format::tiff)) {
        return record(status::property_not_supported);
    }
    if (item.length > 0 && item.value == nullptr) {
        return record(status::invalid_parameter);
    }
    // Values must be whole elements of their type, or no container could store them.
    const std::uint32_t element = tiff_type_size(item.type);
    if (element == 0 || item.length % element != 0) {
        return record(status::invalid_parameter);
    }
    property updated{item.id, item.type, {}};
    const auto* bytes = static_cast<const std::byte*>(item.value);
    updated.value = shared_bytes(bytes, bytes + item.length);
    metadata_.properties.set(std::move(updated));
    return status::ok;
}

status image::remove_property_item(std::uint32_t id) {
    if (!source_) {
        return record(status::wrong_state);
    }
    if (!holds_items(metadata_.format)) {
        return record(status::property_not_supported);
    }
    return metadata_.properties.remove(id) ? status::ok : record(status::property_not_found);
}

std::optional<file_identity> image::source_identity() const {
    return source_identity_;
}

status image::save_to_file(std::wstring_view path, const codec_info& encoder,
                           const save_options& options) {
    return guarded_save(encoder, [&] { return write_file(path, options); });
}

status image::save_to(output_file& file, const codec_info& encoder, const save_options& options) {
    return guarded_save(encoder, [&] { return write_into(file, options); });
}

template <typename Write>
status image::guarded_save(const codec_info& encoder, const Write& write) {
    if (!source_) {
        return record(status::wrong_state);
    }
    if (encoder.format != metadata_.format) {
        set_last_error(win32::error_not_supported);
        return record(status::not_implemented);
    }
    // Like every operation of the library, a save answers with a status: what a writer throws
    // (memory running out, or any other failure) becomes one, after the guard in write_file has
    // removed the partial file.
    try {
        return record(write());
    } catch (const std::bad_alloc&) {
        set_last_error(win32::error_not_enough_memory);
        return record(status::out_of_memory);
    } catch (...) {
        set_last_error(e_unexpected);
        return record(status::generic_error);
    }
}

status image::write_file(std::wstring_view path, const save_options& options) {
    if (!options.create_new) {
        // Writing over the file being read would destroy the source mid-copy.
        const auto target = identity_of(path);
        if (target && source_identity_ && target->volume == source_identity_->volume &&
            target->file == source_identity_->file) {
            set_last_error(win32::error_sharing_violation);
            return status::win32_error;
        }
    }
    // The guard outlives the file: the file is closed before the guard removes it.
    partial_file_guard guard(path);
    auto file = options.create_new ? output_file::create_new(path) : output_file::create(path);
    if (!file) {
        return status::win32_error;
    }
    guard.arm();
    if (const status result = write_into(*file, options); result != status::ok) {
        return result;
    }
    if (!file->close()) {
        return status::win32_error;
    }
    guard.commit();
    return status::ok;
}

status image::write_into(output_file& file, const save_options& options) {
    // From here every failure sets its own error: a writer that refuses without one must not
    // report what an earlier call left behind.
    set_last_error(win32::error_success);
    // Nobody else may read the new content before it has the original's permissions.
    if (!options.attributes_of.empty() && !file.copy_attributes_of(options.attributes_of)) {
        return status::win32_error;
    }
    const format_entry& format = *format_entry_of(metadata_.format);
    property_list items;
    property_list as_read;
    side_block_changes changes;
    status result =
        agree_descriptive_texts(metadata_, format.other_text_places, items, as_read, changes);
    if (result == status::ok) {
        // The writer sees the items and blocks in agreement; the image keeps its own.
        const auto swap_in = [&] {
            std::swap(metadata_.properties, items);
            std::swap(metadata_.as_read, as_read);
            std::swap(metadata_.block_changes, changes);
        };
        swap_in();
        try {
            result = format.write(*source_, metadata_, file);
        } catch (...) {
            swap_in();
            throw;
        }
        swap_in();
    }
    if (result != status::ok) {
        if (last_error() == win32::error_success) {
            set_last_error(error_for(result));
        }
        return result;
    }
    if (options.flush && !file.flush()) {
        return status::win32_error;
    }
    return status::ok;
}

} // namespace kestrov::imaging
