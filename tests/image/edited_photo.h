// Where a test of a save begins: a file opened and given a new artist, not saved yet.
#pragma once

#include "image/bitmap_plus.h"
#include "image/property_writer.h"

#include <filesystem>
#include <string>

namespace kestrov::testing {

class edited_photo : public gdi::bitmap_plus {
public:
    explicit edited_photo(const std::filesystem::path& path, const std::wstring& artist = L"Petr")
        : bitmap_plus(path.wstring()) {
        gdi::set_text_property(bitmap(), 0x013B, artist);
    }
};

} // namespace kestrov::testing
