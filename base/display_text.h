// Narrow texts shown to the user are UTF-8. A text from elsewhere that is not (a library's own
// message in a legacy code page) is still shown, byte by byte, rather than lost.
#pragma once

#include <string>
#include <string_view>

namespace kestrov {

std::wstring display_text(std::string_view narrow);

} // namespace kestrov
