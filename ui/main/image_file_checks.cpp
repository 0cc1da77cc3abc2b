#include "ui/main/image_file_checks.h"

#include "image/supported_extensions.h"

#include <shlwapi.h>

namespace kestrov {

const std::vector<std::wstring>& decodable_extensions() {
    static const std::vector<std::wstring> extensions = [] {
        std::vector<std::wstring> list;
        load_decoder_extensions(list);
        return list;
    }();
    return extensions;
}

bool is_openable_image_file(const wchar_t* path, const std::vector<std::wstring>& extensions) {
    if (path == nullptr || *path == L'\0') {
        return false;
    }
    if (!PathFileExistsW(path) || PathIsDirectoryW(path)) {
        return false;
    }
    // Points at the terminating zero when the name has no dot, which matches nothing.
    return contains(extensions, PathFindExtensionW(path));
}

bool is_openable_image_file(const wchar_t* path) {
    return is_openable_image_file(path, decodable_extensions());
}

} // namespace kestrov
