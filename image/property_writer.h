// Writing a text into an image's item.
#pragma once

#include "image/engine/image.h"

#include <cstdint>
#include <string_view>

namespace kestrov::gdi {

// Sets item `id` to `text` as an ASCII item holding UTF-8 and one zero byte (an empty text gives
// length 1). Raises kestrov_exception when the text cannot be converted and gdiplus_exception
// with the library's status when the item cannot be set.
void set_text_property(imaging::image* image, std::uint32_t id, std::wstring_view text);

} // namespace kestrov::gdi
