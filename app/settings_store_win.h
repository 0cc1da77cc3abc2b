// Loading and storing the preferences, and the stored main-window rectangle, in the registry.
#pragma once

#include "app/application_base_win.h"
#include "app/screen_rect.h"
#include "app/settings.h"

#include <optional>

namespace kestrov {

// Reads the stored values over the record's current contents. A missing key or value, or one of
// the wrong type or size, leaves its field as it was; nothing is created and nothing raises.
void load_settings(settings_record& settings);

// Stores both values. A failure is written to the event log and shown in a message box through
// `application`, and never reaches the caller: closing a window must not stop on it.
void store_settings(const settings_record& settings, application_base& application);

// Writes the window rectangle; raises kestrov_exception when the key or the value cannot be
// written.
void store_window_rect(const screen_rect& rect);

// The stored window rectangle, or nothing when there is none usable (see rect_from_stored_bytes).
std::optional<screen_rect> load_window_rect();

} // namespace kestrov
