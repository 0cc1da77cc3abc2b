// One key under HKEY_CURRENT_USER, opened for reading, writing values and creating subkeys. The
// object closes its handle when it goes.
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include <windows.h>

namespace kestrov {

class registry_key {
public:
    explicit registry_key(std::wstring path);
    registry_key(const registry_key&) = delete;
    registry_key& operator=(const registry_key&) = delete;
    ~registry_key();

    // Opens the existing key; false when it is missing or cannot be opened. Nothing is created.
    bool open();
    // Opens the key, creating it and its missing parents; raises on failure.
    void create();
    // Closes the handle, if any; raises when the registry refuses.
    void close();

    // True, and `value` written, only for an existing REG_DWORD of exactly 4 bytes. Otherwise
    // `value` is unchanged and the thread's last error tells why: the registry's own result, or
    // ERROR_INVALID_PARAMETER for a value of another type or size.
    bool read_dword(const wchar_t* name, std::uint32_t& value);
    // Whether the value exists, and how many bytes it holds.
    bool value_size(const wchar_t* name, std::uint32_t& size);
    // Reads a value of any type into `buffer`; false when it is missing or larger than the buffer.
    // `size` receives the number of bytes read.
    bool read_bytes(const wchar_t* name, std::span<std::uint8_t> buffer, std::uint32_t& size);

    // Writing raises kestrov_exception with the registry's result in HRESULT form.
    void write_dword(const wchar_t* name, std::uint32_t value);
    void write_binary(const wchar_t* name, std::span<const std::uint8_t> bytes);

    bool is_open() const { return handle_ != nullptr; }
    const std::wstring& path() const { return path_; }

private:
    void write(const wchar_t* name, DWORD type, const void* data, std::size_t size);

    HKEY handle_ = nullptr;
    std::wstring path_;
};

} // namespace kestrov
