#include "app/version_info_win.h"

#include "app/version_text.h"
#include "base/kestrov_exception.h"

#include <cstdint>
#include <cstring>
#include <cwchar>
#include <new>
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
    std::vector<std::byte> data;
    try {
        data.resize(size);
    } catch (const std::bad_alloc&) {
        raise_last_error(e_outofmemory);
    }
    if (!GetFileVersionInfoW(path.c_str(), 0, size, data.data())) {
        throw kestrov_exception(last_error_hresult(true));
    }
    return data;
}

// A block of the version data, at least `minimum` bytes long (characters, for string values).
const void* query_version_block(std::vector<std::byte>& data, const std::wstring& query,
                                UINT minimum, UINT& size) {
    void* found = nullptr;
    size = 0;
    if (!VerQueryValueW(data.data(), query.c_str(), &found, &size) || found == nullptr ||
        size < minimum) {
        throw kestrov_exception(last_error_hresult(true));
    }
    return found;
}

} // namespace

std::wstring version_string(const wchar_t* name) {
    if (name == nullptr) {
        throw std::invalid_argument("Nebylo zadané jméno bloku v informaci o verzi.");
    }
    auto data = read_version_data(own_executable_path());

    UINT size = 0;
    const void* translations =
        query_version_block(data, L"\\VarFileInfo\\Translation", 2 * sizeof(std::uint16_t), size);
    std::uint16_t first[2];
    std::memcpy(first, translations, sizeof first);

    const auto* text = static_cast<const wchar_t*>(
        query_version_block(data, version_string_query(first[0], first[1], name), 0, size));
    // The size counts the terminating zero, which stays out of the result.
    return std::wstring(text, wcsnlen(text, size));
}

std::wstring product_version() {
    auto data = read_version_data(own_executable_path());
    UINT size = 0;
    VS_FIXEDFILEINFO fixed;
    std::memcpy(&fixed, query_version_block(data, L"\\", sizeof fixed, size), sizeof fixed);
    return version_number_text(fixed.dwProductVersionMS, fixed.dwProductVersionLS);
}

} // namespace kestrov
