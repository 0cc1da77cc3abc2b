#include "app/version_info_win.h"

#include "app/kestrov_exception.h"

#include <cstdint>
#include <cstring>
#include <cwchar>
#include <stdexcept>
#include <vector>

#include <windows.h>

#include <shlwapi.h>

namespace kestrov {

namespace {

std::wstring own_executable_path() {
    std::vector<wchar_t> path(32768);
    const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0) {
        throw kestrov_exception();
    }
    std::wstring result(path.data(), length);
    if (!PathFileExistsW(result.c_str()) || PathIsDirectoryW(result.c_str())) {
        throw std::invalid_argument("Zadaná cesta k souboru není platný soubor.");
    }
    return result;
}

std::vector<std::byte> read_version_data(const std::wstring& path) {
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(path.c_str(), &ignored);
    if (size == 0) {
        throw kestrov_exception();
    }
    std::vector<std::byte> data(size);
    if (!GetFileVersionInfoW(path.c_str(), 0, size, data.data())) {
        throw kestrov_exception(last_error_hresult(true));
    }
    return data;
}

} // namespace

std::wstring version_string(const wchar_t* name) {
    if (name == nullptr) {
        throw std::invalid_argument("Nebylo zadané jméno bloku v informaci o verzi.");
    }
    auto data = read_version_data(own_executable_path());

    void* found = nullptr;
    UINT found_size = 0;
    if (!VerQueryValueW(data.data(), L"\\VarFileInfo\\Translation", &found, &found_size) ||
        found_size < 2 * sizeof(std::uint16_t)) {
        throw kestrov_exception(last_error_hresult(true));
    }
    std::uint16_t translation[2];
    std::memcpy(translation, found, sizeof translation);

    wchar_t query[100];
    std::swprintf(query, 100, L"\\StringFileInfo\\%04x%04x\\%ls", unsigned{translation[0]},
                  unsigned{translation[1]}, name);
    if (!VerQueryValueW(data.data(), query, &found, &found_size)) {
        throw kestrov_exception(last_error_hresult(true));
    }
    // The size counts the terminating zero, which stays out of the result.
    const auto* text = static_cast<const wchar_t*>(found);
    return std::wstring(text, wcsnlen(text, found_size));
}

} // namespace kestrov
