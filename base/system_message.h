// Texts for HRESULTs: the narrow one exceptions carry, and the wide one of the COM error rule.
#pragma once

#include "base/hresult.h"

#include <optional>
#include <string>

namespace kestrov {

// "Nespecifikovaná chyba" for 0; otherwise the system's text (line break included) or
// "Nespecifikovaná chyba Win API" when the system has none. UTF-8.
std::string system_message(hresult code);

// The COM error rule: the system's text without its final line break; when there is none,
// "IDispatch error #n" for 0x80040201-0x8004FFFF or "Unknown error 0x..." (at most 31 characters).
std::wstring error_text(hresult code);

// The platform's own message text for a code, UTF-8, as the system gives it; nothing when it has
// none. Windows asks the system's message tables; the portable build has a small table of its own.
std::optional<std::string> system_message_text(hresult code);

} // namespace kestrov
