// The messages the main window's children post to it.
#pragma once

#include <windows.h>

// The property list's tracked row changed; wParam and lParam are 0.
inline constexpr UINT WM_APP_SELECTION_CHANGED = WM_APP + 2006;
// The property list was double-clicked; wParam is its control id, lParam its window handle.
inline constexpr UINT WM_APP_EDIT_REQUEST = WM_APP + 2007;
