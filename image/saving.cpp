#include "image/saving.h"

#include "base/ascii_case.h"
#include "base/kestrov_exception.h"
#include "base/last_error.h"
#include "base/system_message.h"
#include "base/text_conversion.h"
#include "image/engine/io/file_system.h"
#include "image/gdiplus_exception.h"
#include "image/supported_extensions.h"

#include <algorithm>
#include <optional>
#include <vector>

namespace kestrov::gdi {

namespace {

// Names tried for the new content before a save gives up: "_temp_", "_temp_2" ...
constexpr unsigned temporary_attempts = 100;

// The folder part of a path, where the new content is written.
std::wstring folder_of(const std::wstring& path) {
    const auto slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? std::wstring(L".") : path.substr(0, slash + 1);
}

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
        // The record's pointer is not const, but the image only reads through it.
        const imaging::PropertyItem record{item.id, static_cast<std::uint32_t>(item.value.size()),
                                           item.type, const_cast<std::byte*>(item.value.data())};
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

std::wstring temporary_name(const std::wstring& file_name, unsigned attempt) {
    const std::wstring number = attempt > 1 ? std::to_wstring(attempt) : std::wstring();
    return file_name + L"_temp_" + number + std::wstring(extension_of(file_name));
}

std::string other_names_note() {
    return "Soubor měl další pevné odkazy (jiné názvy téhož souboru); ty ukazují dál na jeho "
           "původní obsah.";
}

pending_save::pending_save(bitmap_plus& bitmap, bool flush) : bitmap_(bitmap) {
    imaging::image* image = bitmap_.bitmap();
    if (image == nullptr) {
        throw kestrov_exception(e_pointer);
    }
    own_ = bitmap_.file_name();
    auto target = imaging::file_behind_links(own_);
    if (!target) {
        throw kestrov_exception();
    }
    target_ = std::move(*target);
    // A rename would replace even a read-only file: refuse before anything is written.
    if (!imaging::may_replace(target_)) {
        throw kestrov_exception();
    }
    const auto names = imaging::name_count(target_);
    other_names_ = names && *names > 1;
    const auto encoder = find_encoder(extension_of(own_));
    imaging::save_options options;
    options.flush = flush;
    options.attributes_of = target_;
    if (auto unnamed = imaging::output_file::create_unnamed(folder_of(target_))) {
        // Dropped on failure, the file goes with its handle.
        const imaging::status result = image->save_to(*unnamed, encoder, options);
        if (result != imaging::status::ok) {
            throw gdiplus_exception(result);
        }
        unnamed_ = std::move(unnamed);
        return;
    }
    options.create_new = true;
    // A name that is taken belongs to somebody (perhaps an earlier save that was cut short): it
    // stays as it is and the next name is tried.
    for (unsigned attempt = 1; attempt <= temporary_attempts; ++attempt) {
        temporary_ = temporary_name(target_, attempt);
        const imaging::status result = image->save_to_file(temporary_, encoder, options);
        if (result == imaging::status::ok) {
            pending_ = true;
            return;
        }
        if (result != imaging::status::win32_error || last_error() != win32::error_file_exists ||
            attempt == temporary_attempts) {
            throw gdiplus_exception(result);
        }
    }
}

void pending_save::name_new_content() {
    for (unsigned attempt = 1; attempt <= temporary_attempts; ++attempt) {
        temporary_ = temporary_name(target_, attempt);
        if (unnamed_->link_as(temporary_)) {
            pending_ = true;
            break;
        }
        if (last_error() != win32::error_file_exists || attempt == temporary_attempts) {
            temporary_.clear();
            unnamed_.reset();
            throw kestrov_exception();
        }
    }
    const bool closed = unnamed_->close();
    unnamed_.reset();
    if (!closed) {
        throw kestrov_exception();
    }
}

pending_save::~pending_save() {
    if (pending_) {
        imaging::remove_file(temporary_);
    }
}

void pending_save::commit(bool reload, bool durable) {
    imaging::image* image = bitmap_.bitmap();
    if ((!pending_ && !unnamed_) || image == nullptr) {
        throw kestrov_exception(e_pointer);
    }
    const auto loaded = image->source_identity();
    const auto now = imaging::identity_of(own_);
    if (!now || !loaded || *now != *loaded) {
        if (pending_) {
            imaging::remove_file(temporary_);
        }
        pending_ = false;
        unnamed_.reset();
        throw kestrov_exception(
            "Soubor se od načtení změnil na disku, změny proto nebyly uloženy.");
    }
    if (unnamed_) {
        name_new_content();
    }
    // Where the open file blocks the replace, the image lets go of it first and keeps a copy of
    // its items to put back should the replace fail.
    std::optional<imaging::property_list> edited;
    if (!imaging::open_file_can_be_replaced()) {
        edited = image->metadata().properties;
        bitmap_.release();
    }
    if (!imaging::replace_file(temporary_, target_)) {
        const std::uint32_t error = last_error();
        pending_ = false;
        // Only while the original is still in its place is the new content disposable; otherwise
        // the temporary file may be the one copy left.
        const auto after = imaging::identity_of(target_);
        const bool original_intact = after && *after == *loaded;
        if (original_intact) {
            imaging::remove_file(temporary_);
        }
        if (edited) {
            try {
                bitmap_.load(own_);
                restore_items(*bitmap_.bitmap(), *edited);
            } catch (const std::exception&) {
                // The replace's error is the one the user must see.
            }
        }
        set_last_error(error);
        if (original_intact) {
            throw kestrov_exception();
        }
        std::string kept;
        to_multibyte(temporary_, code_page_utf8, kept);
        throw kestrov_exception(system_message(hresult_from_win32(error)) +
                                "Nová verze souboru zůstala uložena jako „" + kept + "“.");
    }
    pending_ = false;
    const bool flushed = !durable || imaging::make_replace_durable(target_);
    const std::uint32_t flush_error = last_error();
    if (reload) {
        bitmap_.load(own_);
    } else {
        bitmap_.release();
    }
    if (!flushed) {
        throw kestrov_exception(replaced_but_not_durable(flush_error));
    }
}

std::string replaced_but_not_durable(std::uint32_t error) {
    return "Soubor byl přepsán, ale změnu se nepodařilo bezpečně zapsat na disk: " +
           system_message(hresult_from_win32(error));
}

} // namespace kestrov::gdi
