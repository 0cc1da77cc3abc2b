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

std::vector<std::wstring>
dropped_image_files(HDROP drop, const std::vector<std::wstring>& extensions, std::size_t most) {
    struct release_drop {
        HDROP drop;
        ~release_drop() { DragFinish(drop); }
    } release{drop};
    // Path buffers for dropped files: the longest path the system names.
    constexpr UINT path_capacity = 32768;
    const UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
    std::vector<std::wstring> files;
    std::vector<wchar_t> path(path_capacity, L'\0');
    for (UINT index = 0; index < count && index < most; ++index) {
        if (DragQueryFileW(drop, index, path.data(), path_capacity) > 0 &&
            is_openable_image_file(path.data(), extensions)) {
            files.emplace_back(path.data());
        }
    }
    return files;
}

} // namespace kestrov
