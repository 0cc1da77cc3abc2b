#include "app/registry_key_win.h"

#include "base/kestrov_exception.h"

#include <utility>

namespace kestrov {

namespace {
// KEY_READ | KEY_SET_VALUE | KEY_CREATE_SUB_KEY: what the settings need, and no more.
constexpr REGSAM key_access = KEY_READ | KEY_SET_VALUE | KEY_CREATE_SUB_KEY;
} // namespace

registry_key::registry_key(std::wstring path) : path_(std::move(path)) {}

registry_key::~registry_key() {
    // A destructor cannot report a failed close; the handle is gone for this process either way.
    if (handle_ != nullptr) {
        RegCloseKey(handle_);
    }
}

bool registry_key::open() {
    close();
    HKEY opened = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, path_.c_str(), 0, key_access, &opened) != ERROR_SUCCESS) {
        return false;
    }
    handle_ = opened;
    return true;
}

void registry_key::create() {
    close();
    HKEY created = nullptr;
    const LSTATUS result =
        RegCreateKeyExW(HKEY_CURRENT_USER, path_.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                        key_access, nullptr, &created, nullptr);
    if (result != ERROR_SUCCESS) {
        throw kestrov_exception(hresult_from_win32(static_cast<std::uint32_t>(result)));
    }
    handle_ = created;
}

void registry_key::close() {
    if (handle_ == nullptr) {
        return;
    }
    const LSTATUS result = RegCloseKey(std::exchange(handle_, nullptr));
    if (result != ERROR_SUCCESS) {
        // The registry reports through its result, not the last error; make it the last error.
        raise_last_error(hresult_from_win32(static_cast<std::uint32_t>(result)));
    }
}

bool registry_key::read_dword(const wchar_t* name, std::uint32_t& value) {
    if (handle_ == nullptr) {
        SetLastError(ERROR_INVALID_HANDLE);
        return false;
    }
    DWORD type = REG_NONE;
    DWORD read = 0;
    DWORD size = sizeof read;
    const LSTATUS result =
        RegQueryValueExW(handle_, name, nullptr, &type, reinterpret_cast<BYTE*>(&read), &size);
    if (result != ERROR_SUCCESS) {
        SetLastError(static_cast<DWORD>(result));
        return false;
    }
    // A shorter REG_DWORD would leave part of the number unread.
    if (type != REG_DWORD || size != sizeof read) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return false;
    }
    value = read;
    return true;
}

bool registry_key::value_size(const wchar_t* name, std::uint32_t& size) {
    if (handle_ == nullptr) {
        return false;
    }
    DWORD needed = 0;
    if (RegQueryValueExW(handle_, name, nullptr, nullptr, nullptr, &needed) != ERROR_SUCCESS) {
        return false;
    }
    size = needed;
    return true;
}

bool registry_key::read_bytes(const wchar_t* name, std::span<std::uint8_t> buffer,
                              std::uint32_t& size) {
    if (handle_ == nullptr) {
        return false;
    }
    DWORD read = static_cast<DWORD>(buffer.size());
    if (RegQueryValueExW(handle_, name, nullptr, nullptr, buffer.data(), &read) != ERROR_SUCCESS) {
        return false;
    }
    size = read;
    return true;
}

void registry_key::write_dword(const wchar_t* name, std::uint32_t value) {
    write(name, REG_DWORD, &value, sizeof value);
}

void registry_key::write_binary(const wchar_t* name, std::span<const std::uint8_t> bytes) {
    write(name, REG_BINARY, bytes.data(), bytes.size());
}

void registry_key::write(const wchar_t* name, DWORD type, const void* data, std::size_t size) {
    const LSTATUS result = RegSetValueExW(handle_, name, 0, type, static_cast<const BYTE*>(data),
                                          static_cast<DWORD>(size));
    if (result != ERROR_SUCCESS) {
        throw kestrov_exception(hresult_from_win32(static_cast<std::uint32_t>(result)));
    }
}

} // namespace kestrov
