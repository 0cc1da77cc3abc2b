#include "image/engine/io/input_file.h"

#include "image/engine/io/byte_reader.h"
#include "image/engine/io/handle_identity_win.h"

#include <algorithm>
#include <string>

#include <windows.h>

namespace kestrov::imaging {

namespace {

status status_from_last_error() {
    switch (GetLastError()) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
        return status::file_not_found;
    case ERROR_ACCESS_DENIED:
        return status::access_denied;
    default:
        return status::win32_error;
    }
}

HANDLE native(std::intptr_t handle) {
    return reinterpret_cast<HANDLE>(handle);
}

} // namespace

std::unique_ptr<input_file> input_file::open(std::wstring_view path, status& result) {
    const std::wstring native_path(path);
    if (native_path.empty() || native_path.find(L'\0') != std::wstring::npos) {
        SetLastError(ERROR_INVALID_NAME);
        result = status::invalid_parameter;
        return nullptr;
    }
    // Others may read the file while it is open, and a save may replace it once it is closed.
    HANDLE file =
        CreateFileW(native_path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        result = status_from_last_error();
        return nullptr;
    }
    BY_HANDLE_FILE_INFORMATION info{};
    if (GetFileType(file) != FILE_TYPE_DISK || !GetFileInformationByHandle(file, &info)) {
        if (GetLastError() == ERROR_SUCCESS) {
            SetLastError(ERROR_ACCESS_DENIED);
        }
        result = status_from_last_error();
        CloseHandle(file);
        return nullptr;
    }
    result = status::ok;
    return std::unique_ptr<input_file>(
        new input_file(reinterpret_cast<std::intptr_t>(file), identity_from_information(info)));
}

input_file::~input_file() {
    CloseHandle(native(handle_));
}

bool input_file::read(std::uint64_t offset, std::span<std::byte> out) {
    if (!range_fits(size_, offset, out.size())) {
        return false;
    }
    std::size_t done = 0;
    while (done < out.size()) {
        OVERLAPPED position{};
        const std::uint64_t at = offset + done;
        position.Offset = static_cast<DWORD>(at & 0xFFFFFFFFU);
        position.OffsetHigh = static_cast<DWORD>(at >> 32);
        const auto chunk = static_cast<DWORD>(std::min<std::size_t>(out.size() - done, 1U << 30));
        DWORD count = 0;
        if (!ReadFile(native(handle_), out.data() + done, chunk, &count, &position) || count == 0) {
            if (GetLastError() == ERROR_SUCCESS) {
                SetLastError(ERROR_HANDLE_EOF);
            }
            return false;
        }
        done += count;
    }
    return true;
}

} // namespace kestrov::imaging
