// The file-name extensions the engine's decoders read, as the program checks files against them.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace kestrov {

// Fills `list` with the decoders' extensions, lower-case with their dot, in the decoders' order
// (".bmp", ".dib", ".rle", ".jpg", ...). Raises kestrov_exception when the decoders cannot be
// listed.
void load_decoder_extensions(std::vector<std::wstring>& list);

// Whether `extension` (with its dot, any letter case) is in the list. A null extension raises
// E_INVALIDARG; an empty one matches nothing.
bool contains(const std::vector<std::wstring>& list, const wchar_t* extension);
bool contains(const std::vector<std::wstring>& list, std::wstring_view extension);

// The extension of a path's last component, with its dot; empty when it has none.
std::wstring_view extension_of(std::wstring_view path);

} // namespace kestrov
