// Files of the source tree, and the sample photos beside it, as Wine programs see their Linux
// paths. MIRTEL_SOURCE_DIR is given by the build.
#pragma once

#include "base/text_conversion.h"

#include <string>

namespace kestrov::testing {

inline std::wstring source_file(const std::string& relative) {
    std::wstring path;
    utf8_to_wide(std::string(MIRTEL_SOURCE_DIR) + "/" + relative, path);
    for (auto& c : path) {
        if (c == L'/') {
            c = L'\\';
        }
    }
    return L"Z:" + path;
}

inline std::wstring corpus_file(const std::string& relative) {
    return source_file("../shared/corpus/" + relative);
}

} // namespace kestrov::testing
