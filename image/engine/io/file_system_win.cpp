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

// Closes a handle of a file opened only to ask or flush it.
struct handle_closer {
    HANDLE handle;
    ~handle_closer() {
        if (handle != INVALID_HANDLE_VALUE) {
            CloseHandle(handle);
        }
    }
};

// Opens the file (or folder) itself for questions, following links; the last error says why not.
HANDLE open_for_questions(const std::wstring& name) {
    return CreateFileW(name.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                       nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
}

// "\\?\C:\a" and "\\?\UNC\server\share\a" as the paths a user knows.
std::wstring without_long_path_prefix(std::wstring path) {
    if (path.starts_with(L"\\\\?\\UNC\\")) {
        return L"\\\\" + path.substr(8);
    }
    if (path.starts_with(L"\\\\?\\") && path.size() >= 6 && path[5] == L':') {
        return path.substr(4);
    }
    return path;
}

// What Windows tells of the file at `path`, through a handle opened only to ask.
std::optional<BY_HANDLE_FILE_INFORMATION> information_of(std::wstring_view path) {
    const handle_closer file{open_for_questions(std::wstring(path))};
    BY_HANDLE_FILE_INFORMATION info{};
    if (file.handle == INVALID_HANDLE_VALUE || !GetFileInformationByHandle(file.handle, &info)) {
        return std::nullopt;
    }
    return info;
}

HANDLE create_for_writing(std::wstring_view path, DWORD disposition) {
    return CreateFileW(std::wstring(path).c_str(), GENERIC_WRITE, 0, nullptr, disposition,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
}

} // namespace

std::optional<file_identity> identity_of(std::wstring_view path) {
    const auto info = information_of(path);
    return info ? std::optional(identity_from_information(*info)) : std::nullopt;
}

std::unique_ptr<output_file> output_file::adopt_new_file(std::intptr_t handle,
                                                         std::wstring_view path) {
    try {
        return std::unique_ptr<output_file>(new output_file(handle));
    } catch (...) {
        // Nothing owns the new file yet: it goes before the failure does.
        CloseHandle(reinterpret_cast<HANDLE>(handle));
        DeleteFileW(std::wstring(path).c_str());
        throw;
    }
}

std::unique_ptr<output_file> output_file::create(std::wstring_view path) {
    const HANDLE file = create_for_writing(path, CREATE_ALWAYS);
    return file == INVALID_HANDLE_VALUE
               ? nullptr
               : adopt_new_file(reinterpret_cast<std::intptr_t>(file), path);
}

// CREATE_NEW fails on any existing name, a symbolic link's included. The new file takes the
// folder's inherited security until it replaces the original and gets the original's.
std::unique_ptr<output_file> output_file::create_new(std::wstring_view path) {
    const HANDLE file = create_for_writing(path, CREATE_NEW);
    return file == INVALID_HANDLE_VALUE
               ? nullptr
               : adopt_new_file(reinterpret_cast<std::intptr_t>(file), path);
}

// Windows has no files without a name; a save uses a named temporary file instead.
std::unique_ptr<output_file> output_file::create_unnamed(std::wstring_view) {
    SetLastError(ERROR_NOT_SUPPORTED);
    return nullptr;
}

bool output_file::link_as(std::wstring_view) {
    SetLastError(ERROR_NOT_SUPPORTED);
    return false;
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

// ReplaceFileW carries the original's security, attributes and streams over to the new file.
bool output_file::copy_attributes_of(std::wstring_view) {
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

std::optional<std::wstring> file_behind_links(std::wstring_view path) {
    const std::wstring name(path);
    const DWORD attributes = GetFileAttributesW(name.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        return std::nullopt;
    }
    if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0) {
        return name;
    }
    const handle_closer file{open_for_questions(name)};
    if (file.handle == INVALID_HANDLE_VALUE) {
        return std::nullopt;
    }
    std::wstring target(MAX_PATH, L'\0');
    for (int attempt = 0; attempt < 4; ++attempt) {
        const DWORD length =
            GetFinalPathNameByHandleW(file.handle, target.data(), static_cast<DWORD>(target.size()),
                                      FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
        if (length == 0) {
            return std::nullopt;
        }
        if (length < target.size()) {
            target.resize(length);
            return without_long_path_prefix(std::move(target));
        }
        target.resize(length);
    }
    SetLastError(ERROR_CANT_RESOLVE_FILENAME);
    return std::nullopt;
}

std::optional<std::uint64_t> name_count(std::wstring_view path) {
    const auto info = information_of(path);
    return info ? std::optional<std::uint64_t>(info->nNumberOfLinks) : std::nullopt;
}

bool replace_file(std::wstring_view from, std::wstring_view to) {
    const std::wstring source(from);
    const std::wstring target(to);
    if (fails_for_testing(failing_step::replace)) {
        return false;
    }
    if (ReplaceFileW(target.c_str(), source.c_str(), nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS,
                     nullptr, nullptr)) {
        return true;
    }
    const DWORD error = GetLastError();
    // Where the file system cannot keep the original's security, or the replace stopped half way
    // with the original already gone (ERROR_UNABLE_TO_MOVE_REPLACEMENT_2), a move puts the new
    // content in place in one step. When that fails too, the replace's own error is the one to
    // tell, and the new content stays under its temporary name.
    const DWORD flags = error == ERROR_UNABLE_TO_MOVE_REPLACEMENT_2
                            ? MOVEFILE_WRITE_THROUGH
                            : MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH;
    if (MoveFileExW(source.c_str(), target.c_str(), flags)) {
        return true;
    }
    SetLastError(error);
    return false;
}

// Windows refuses to replace a file that is open, even with FILE_SHARE_DELETE, on most file
// systems.
bool open_file_can_be_replaced() {
    return false;
}

// NTFS writes a rename to its log; flushing the replaced file forces the log, and the rename with
// it, to the disk (a folder cannot be flushed without administrator rights).
bool make_replace_durable(std::wstring_view path) {
    if (fails_for_testing(failing_step::durable_replace)) {
        return false;
    }
    const std::wstring name(path);
    const handle_closer file{CreateFileW(name.c_str(), GENERIC_WRITE,
                                         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                         nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr)};
    return file.handle != INVALID_HANDLE_VALUE && FlushFileBuffers(file.handle) != 0;
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
