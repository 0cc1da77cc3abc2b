#include "image/supported_extensions.h"

#include "base/ascii_case.h"
#include "base/kestrov_exception.h"
#include "image/engine/codecs.h"

#include <algorithm>

namespace kestrov {

namespace {

bool is_separator(wchar_t c) {
    return c == L'*' || c == L';' || c == L' ';
}

} // namespace

void load_decoder_extensions(std::vector<std::wstring>& list) {
    list.clear();
    std::vector<imaging::codec_info> decoders;
    if (imaging::image_decoders(decoders) != imaging::status::ok || decoders.empty()) {
        raise_last_error();
    }
    for (const auto& decoder : decoders) {
        const std::wstring& text = decoder.filename_extension;
        for (std::size_t i = 0; i < text.size();) {
            if (is_separator(text[i])) {
                ++i;
                continue;
            }
            std::wstring token;
            for (; i < text.size() && !is_separator(text[i]); ++i) {
                token.push_back(fold_ascii(text[i]));
            }
            list.push_back(std::move(token));
        }
    }
}

bool contains(const std::vector<std::wstring>& list, const wchar_t* extension) {
    if (extension == nullptr) {
        raise_last_error(e_invalidarg);
    }
    return contains(list, std::wstring_view(extension));
}

bool contains(const std::vector<std::wstring>& list, std::wstring_view extension) {
    if (extension.empty()) {
        return false;
    }
    return std::any_of(list.begin(), list.end(), [extension](const std::wstring& entry) {
        return equal_ignoring_case<wchar_t>(entry, extension);
    });
}

std::wstring_view extension_of(std::wstring_view path) {
    const auto component_start = path.find_last_of(L"\\/");
    const auto name =
        component_start == std::wstring_view::npos ? path : path.substr(component_start + 1);
    const auto dot = name.rfind(L'.');
    return dot == std::wstring_view::npos ? std::wstring_view() : name.substr(dot);
}

} // namespace kestrov
