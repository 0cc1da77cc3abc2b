// The engine's image object: one file's metadata, read on creation and kept in memory, with the
// file held open until the object is destroyed. Every operation records a failing status as the
// image's last status, as the platform library's image class does.
#pragma once

#include "image/engine/codecs.h"
#include "image/engine/container.h"
#include "image/engine/io/byte_source.h"
#include "image/engine/io/file_system.h"
#include "image/engine/property_item.h"
#include "image/engine/status.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kestrov::imaging {

struct save_options {
    // Flush the new file to the disk before the save returns.
    bool flush = false;
    // Create the file only if no file (or link) of that name exists; otherwise the save fails with
    // "file exists" and touches nothing.
    bool create_new = false;
    // Give the new file the owner, permissions and extended attributes of this file (the one it
    // is about to replace) before anything is written into it.
    std::wstring attributes_of;
};

class image {
public:
    // Always an object (unless memory runs out); when the file could not be opened or read its
    // last status says why and it holds no items.
    static std::unique_ptr<image> from_file(std::wstring_view path);
    // The same from bytes in memory (tests and the fuzzer).
    static std::unique_ptr<image> from_bytes(std::vector<std::byte> bytes);

    image(const image&) = delete;
    image& operator=(const image&) = delete;
    ~image();

    // Takes the status of the last failing operation and resets it to ok.
    status last_status();

    // Size of the record plus value of item `id`; 0 and property_not_found when there is none.
    status property_item_size(std::uint32_t id, std::uint32_t& size);
    // The record and its value into `buffer` of `size` bytes (at least the item size).
    status property_item(std::uint32_t id, std::uint32_t size, PropertyItem* buffer);
    // The ids of all items, in the order they were read.
    status property_ids(std::vector<std::uint32_t>& ids);

    // Adds the item, or replaces the one with the same id. Formats that cannot hold items, and ids
    // the format cannot store (past 16 bits, the sub-directory pointers, the thumbnail's bytes,
    // thumbnail fields in a TIFF file), answer property_not_supported and change nothing.
    status set_property_item(const PropertyItem& item);
    // property_not_found when there is no such item.
    status remove_property_item(std::uint32_t id);

    // Writes the image with its current items to `path` through `encoder`, which must be of the
    // image's own format: the engine rewrites metadata and never converts. On failure nothing is
    // left at `path`. The image's own file cannot be the target while the image holds it open.
    // Never throws: running out of memory answers out_of_memory, any other failure inside a writer
    // generic_error.
    status save_to_file(std::wstring_view path, const codec_info& encoder,
                        const save_options& options = {});
    // The same into `file`, an empty file the caller created and owns (one without a name yet,
    // for instance): the caller closes it, and on failure drops it.
    status save_to(output_file& file, const codec_info& encoder, const save_options& options = {});

    // The file as it was when loaded; nothing for an image made from memory or not loaded.
    std::optional<file_identity> source_identity() const;

    image_format format() const { return metadata_.format; }
    const decoded_metadata& metadata() const { return metadata_; }
    const std::vector<std::string>& warnings() const { return metadata_.warnings; }

private:
    image() = default;
    status record(status result);
    void load(std::unique_ptr<byte_source> source);
    template <typename Write>
    status guarded_save(const codec_info& encoder, const Write& write);
    status write_file(std::wstring_view path, const save_options& options);
    status write_into(output_file& file, const save_options& options);

    std::unique_ptr<byte_source> source_;
    std::optional<file_identity> source_identity_;
    std::vector<std::byte> memory_; // backing store of a memory source
    decoded_metadata metadata_;
    status last_status_ = status::ok;
};

} // namespace kestrov::imaging
