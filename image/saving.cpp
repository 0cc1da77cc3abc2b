#include "image/saving.h"

#include "base/ascii_case.h"
#include "base/kestrov_exception.h"
#include "base/last_error.h"
#include "image/engine/io/file_system.h"
#include "image/gdiplus_exception.h"
#include "image/supported_extensions.h"

#include <algorithm>
#include <vector>

namespace kestrov::gdi {

namespace {

// Puts the items the image held before a failed replace back on the reloaded image, so the
// user's edits are not lost with the save.
void restore_items(imaging::image& image, const imaging::property_list& items) {
    std::vector<std::uint32_t> ids;
    image.property_ids(ids);
    for (const auto id : ids) {
        if (items.find(id) == nullptr) {
            image.remove_property_item(id);
        }
    }
    for (const auto& item : items.items()) {
        auto value = item.value;
        const imaging::PropertyItem record{item.id, static_cast<std::uint32_t>(value.size()),
                                           item.type, value.data()};
        image.set_property_item(record);
    }
    image.last_status();
}

} // namespace

imaging::codec_info find_encoder(std::wstring_view extension) {
    std::vector<imaging::codec_info> encoders;
    if (imaging::image_encoders(encoders) != imaging::status::ok) {
        raise_last_error();
    }
    // An empty extension is part of every list; it names no format.
    if (!extension.empty()) {
        for (const auto& encoder : encoders) {
            if (contains_ignoring_case<wchar_t>(encoder.filename_extension, extension)) {
                return encoder;
            }
        }
    }
    throw gdiplus_exception::no_encoder();
}

std::wstring temporary_name(const std::wstring& file_name) {
    return file_name + L"_temp_" + std::wstring(extension_of(file_name));
}

pending_save::pending_save(bitmap_plus& bitmap, bool flush) : bitmap_(bitmap) {
    imaging::image* image = bitmap_.bitmap();
    if (image == nullptr) {
        throw kestrov_exception(e_pointer);
    }
    own_ = bitmap_.file_name();
    temporary_ = temporary_name(own_);
    // A rename would replace even a read-only file: refuse before anything is written.
    if (!imaging::may_replace(own_)) {
        throw kestrov_exception();
    }
    const auto encoder = find_encoder(extension_of(own_));
    imaging::save_options options;
    options.flush = flush;
    options.permissions_of = own_;
    const imaging::status result = image->save_to_file(temporary_, encoder, options);
    if (result != imaging::status::ok) {
        throw gdiplus_exception(result);
    }
    pending_ = true;
}

pending_save::~pending_save() {
    if (pending_) {
        imaging::remove_file(temporary_);
    }
}

void pending_save::commit(bool reload) {
    imaging::image* image = bitmap_.bitmap();
    if (!pending_ || image == nullptr) {
        throw kestrov_exception(e_pointer);
    }
    const auto now = imaging::identity_of(own_);
    const auto loaded = image->source_identity();
    if (!now || !loaded || *now != *loaded) {
        imaging::remove_file(temporary_);
        pending_ = false;
        throw kestrov_exception(
            "Soubor se od načtení změnil na disku, změny proto nebyly uloženy.");
    }
    const imaging::property_list edited = image->metadata().properties;
    // The image keeps its file open; it lets go of it before the new content takes its place.
    bitmap_.release();
    if (!imaging::replace_file(temporary_, own_)) {
        const std::uint32_t error = last_error();
        imaging::remove_file(temporary_);
        pending_ = false;
        bitmap_.load(own_);
        restore_items(*bitmap_.bitmap(), edited);
        set_last_error(error);
        throw kestrov_exception();
    }
    pending_ = false;
    if (reload) {
        bitmap_.load(own_);
    }
}

} // namespace kestrov::gdi
