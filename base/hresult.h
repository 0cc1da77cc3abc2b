// HRESULT values and Win32 error numbers the program raises and recognises. They are plain numbers
// here so that portable code can use them without the platform headers.
#pragma once

#include <cstdint>

namespace kestrov {

// A COM status code. Unsigned so that ranges such as 0x80040201-0x8004FFFF compare as written.
using hresult = std::uint32_t;

inline constexpr hresult s_ok = 0;
inline constexpr hresult e_notimpl = 0x80004001;
inline constexpr hresult e_nointerface = 0x80004002;
inline constexpr hresult e_pointer = 0x80004003;
inline constexpr hresult e_fail = 0x80004005;
inline constexpr hresult e_unexpected = 0x8000FFFF;
inline constexpr hresult e_outofmemory = 0x8007000E;
inline constexpr hresult e_invalidarg = 0x80070057;

// Win32 error numbers, as GetLastError reports them.
namespace win32 {
inline constexpr std::uint32_t error_success = 0;
inline constexpr std::uint32_t error_file_not_found = 2;
inline constexpr std::uint32_t error_path_not_found = 3;
inline constexpr std::uint32_t error_too_many_open_files = 4;
inline constexpr std::uint32_t error_access_denied = 5;
inline constexpr std::uint32_t error_invalid_handle = 6;
inline constexpr std::uint32_t error_not_enough_memory = 8;
inline constexpr std::uint32_t error_invalid_data = 13;
inline constexpr std::uint32_t error_outofmemory = 14;
inline constexpr std::uint32_t error_not_same_device = 17;
inline constexpr std::uint32_t error_write_protect = 19;
inline constexpr std::uint32_t error_gen_failure = 31;
inline constexpr std::uint32_t error_sharing_violation = 32;
inline constexpr std::uint32_t error_handle_eof = 38;
inline constexpr std::uint32_t error_not_supported = 50;
inline constexpr std::uint32_t error_file_exists = 80;
inline constexpr std::uint32_t error_invalid_parameter = 87;
inline constexpr std::uint32_t error_disk_full = 112;
inline constexpr std::uint32_t error_insufficient_buffer = 122;
inline constexpr std::uint32_t error_invalid_name = 123;
inline constexpr std::uint32_t error_dir_not_empty = 145;
inline constexpr std::uint32_t error_already_exists = 183;
inline constexpr std::uint32_t error_filename_exced_range = 206;
inline constexpr std::uint32_t error_file_too_large = 223;
inline constexpr std::uint32_t error_directory = 267;
inline constexpr std::uint32_t error_no_unicode_translation = 1113;
inline constexpr std::uint32_t error_io_device = 1117;
inline constexpr std::uint32_t error_unsupported_type = 1630;
inline constexpr std::uint32_t error_resource_type_not_found = 1813;
inline constexpr std::uint32_t error_cant_resolve_filename = 1921;
} // namespace win32

// The HRESULT form of a Win32 error: 0x80070000 with the error's low 16 bits. Zero, and values that
// are already failure codes (negative as a signed number), stay as they are, as HRESULT_FROM_WIN32
// has it.
constexpr hresult hresult_from_win32(std::uint32_t error) noexcept {
    if (error == 0 || (error & 0x80000000U) != 0) {
        return error;
    }
    return 0x80070000U | (error & 0xFFFFU);
}

} // namespace kestrov
