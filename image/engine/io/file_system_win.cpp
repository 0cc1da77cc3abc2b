#include "image/engine/io/file_system.h"

#include "image/engine/io/handle_identity_win.h"

#include <algorithm>
#include <string>

#include <windows.h>

namespace kestrov::imaging {

namespace {

HANDLE native(std::intptr_t handle) {
    return reinterpret_cast<HANDLE>(handle);
}

} // namespace

std::optional<file_identity> identity_of(std::wstring_view path) {
    const std::wstring name(path);
    HANDLE file =
        CreateFileW(name.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return std::nullopt;
    }
    BY_HANDLE_FILE_INFORMATION info{};
    const bool ok = GetFileInformationByHandle(file, &info) != 0;
    CloseHandle(file);
    if (!ok) {
        return std::nullopt;
    }
    return identity_from_information(info);
}

std::unique_ptr<output_file> output_file::create(std::wstring_view path) {
    const std::wstring name(path);
    HANDLE file = CreateFileW(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return nullptr;
    }
    try {
        return std::unique_ptr<output_file>(new output_file(reinterpret_cast<std::intptr_t>(file)));
    } catch (...) {
        // Nothing owns the new file yet: it goes before the failure does.
        CloseHandle(file);
        DeleteFileW(name.c_str());
        throw;
    }
}

output_file::~output_file() {
    if (open_) {
        CloseHandle(native(handle_));
    }
}

bool output_file::write(std::span<const std::byte> bytes) {
    if (!test_seam_allows(bytes.size())) {
        return false;
    }
    while (!bytes.empty()) {
        const auto chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1U << 30));
        DWORD written = 0;
        if (!WriteFile(native(handle_), bytes.data(), chunk, &written, nullptr) || written == 0) {
            return false;
        }
        bytes = bytes.subspan(written);
    }
    return true;
}

bool output_file::flush() {
    return FlushFileBuffers(native(handle_)) != 0;
}

// ReplaceFileW carries the original's security and attributes over to the new file.
bool output_file::copy_permissions_of(std::wstring_view) {
    return true;
}

bool output_file::close() {
    open_ = false;
    return CloseHandle(native(handle_)) != 0;
}

bool may_replace(std::wstring_view path) {
    const std::wstring name(path);
    const DWORD attributes = GetFileAttributesW(name.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        return false;
    }
    if ((attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)) != 0) {
        SetLastError(ERROR_ACCESS_DENIED);
        return false;
    }
    return true;
}

bool replace_file(std::wstring_view from, std::wstring_view to) {
    const std::wstring source(from);
    const std::wstring target(to);
    if (ReplaceFileW(target.c_str(), source.c_str(), nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS,
                     nullptr, nullptr)) {
        return true;
    }
    // Where the file system cannot keep the original's security (or the target is gone), a plain
    // replacing move still puts the new content in one step.
    return MoveFileExW(source.c_str(), target.c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

bool remove_file(std::wstring_view path) {
    const std::wstring name(path);
    return DeleteFileW(name.c_str()) != 0;
}

// Windows has no flush of a whole volume for ordinary users: each file is flushed on its own.
bool flush_file_system(std::wstring_view) {
    return true;
}

bool file_system_flush_available() {
    return false;
}

} // namespace kestrov::imaging
