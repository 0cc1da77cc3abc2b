#include "image/bitmap_plus.h"

#include "base/ascii_case.h"
#include "image/gdiplus_exception.h"
#include "image/saving.h"
#include "image/supported_extensions.h"

namespace kestrov::gdi {

bitmap_plus::bitmap_plus(const std::wstring& path) {
    load(path);
}

bitmap_plus::~bitmap_plus() {
    bitmap_plus::release();
}

void bitmap_plus::load(const std::wstring& path) {
    release();
    auto loaded = imaging::image::from_file(path);
    if (!loaded) {
        throw gdiplus_exception::allocation_failed();
    }
    const imaging::status result = loaded->last_status();
    if (result != imaging::status::ok) {
        throw gdiplus_exception(result);
    }
    bitmap_ = std::move(loaded);
    file_name_ = path;
}

void bitmap_plus::release() {
    bitmap_.reset();
    file_name_.clear();
}

const std::vector<std::string>& bitmap_plus::warnings() const {
    static const std::vector<std::string> none;
    return bitmap_ ? bitmap_->warnings() : none;
}

save_report bitmap_plus::save() {
    pending_save save(*this, true);
    save.commit();
    return {save.other_names_keep_old_content()};
}

save_report bitmap_plus::save_as(const std::wstring& path) {
    const auto fold = [](wchar_t c) {
        return (c >= L'A' && c <= L'Z') ? static_cast<wchar_t>(c + 32) : c;
    };
    const bool own_file =
        path.empty() || std::equal(path.begin(), path.end(), file_name_.begin(), file_name_.end(),
                                   [&fold](wchar_t a, wchar_t b) { return fold(a) == fold(b); });
    if (own_file) {
        return save();
    }
    save_to(path);
    return {};
}

void bitmap_plus::save_to(const std::wstring& path) {
    if (!bitmap_) {
        throw kestrov_exception(e_pointer);
    }
    const auto encoder = find_encoder(extension_of(path));
    const imaging::status result = bitmap_->save_to_file(path, encoder);
    if (result != imaging::status::ok) {
        throw gdiplus_exception(result);
    }
}

} // namespace kestrov::gdi
