// Values of the program's own version resource.
#pragma once

#include <string>

namespace kestrov {

// One string value of the executable's version resource, in its first translation. Raises
// std::invalid_argument for a missing name and kestrov_exception when the resource cannot be read.
std::wstring version_string(const wchar_t* name);

// The executable's product version (not its file version) as "a.b.c.d". Raises kestrov_exception
// when the resource cannot be read.
std::wstring product_version();

} // namespace kestrov
