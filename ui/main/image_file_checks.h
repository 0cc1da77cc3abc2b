// What every way of opening files checks before a file goes further, and the file types the
// file-open dialogs offer.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include <windows.h>

#include <shellapi.h>
#include <shtypes.h>

namespace kestrov {

// The extensions the engine's decoders read (lower case, with the dot), listed on first use.
// Raises kestrov_exception when the decoders cannot be listed; the next call tries again.
const std::vector<std::wstring>& decodable_extensions();

// Whether `path` names an existing file, not a folder, whose extension (from the last dot of the
// file name, dot included, any letter case) is one of `extensions`. A null or empty path, or a
// name without an extension, is never accepted.
bool is_openable_image_file(const wchar_t* path, const std::vector<std::wstring>& extensions);
// The same against decodable_extensions().
bool is_openable_image_file(const wchar_t* path);

// The first `most` files of a drop, in the order of the drop, that pass is_openable_image_file
// against `extensions`. The drop is released however this ends: it is the receiver's from the
// moment it arrives.
std::vector<std::wstring>
dropped_image_files(HDROP drop, const std::vector<std::wstring>& extensions, std::size_t most);

// The filters of both file-open dialogs, in the order the dialogs show them. They only narrow
// what a dialog lists: a chosen file still has to pass is_openable_image_file.
inline constexpr COMDLG_FILTERSPEC image_file_types[] = {
    {L"Grafické soubory", L"*.jpg;*.jpeg;*.png;*.bmp;*.gif;*.tif;*.tiff"},
    {L"JPEG", L"*.jpg;*.jpeg"},
    {L"PNG", L"*.png"},
    {L"Bitmapy", L"*.bmp"},
    {L"GIF", L"*.gif"},
    {L"TIFF", L"*.tiff;*.tif"},
    {L"Všechny soubory", L"*.*"},
};
inline constexpr UINT image_file_type_count =
    sizeof(image_file_types) / sizeof(image_file_types[0]);

} // namespace kestrov
