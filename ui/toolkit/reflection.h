// Reflection: a parent hands the notifications its child controls send it back to the control that
// sent them, as the message number plus 0x2000, so each control class handles its own drawing,
// colouring and notifications.
#pragma once

#include <windows.h>

namespace kestrov::winapi {

inline constexpr UINT reflected_offset = 0x2000;

// The reflected numbers the control classes handle.
inline constexpr UINT reflected_draw_item = WM_DRAWITEM + reflected_offset;             // 0x202B
inline constexpr UINT reflected_delete_item = WM_DELETEITEM + reflected_offset;         // 0x202D
inline constexpr UINT reflected_notify = WM_NOTIFY + reflected_offset;                  // 0x204E
inline constexpr UINT reflected_command = WM_COMMAND + reflected_offset;                // 0x2111
inline constexpr UINT reflected_ctlcolor_static = WM_CTLCOLORSTATIC + reflected_offset; // 0x2138
inline constexpr UINT reflected_parent_notify = WM_PARENTNOTIFY + reflected_offset;     // 0x2210

// The child control of `parent` that a received message concerns, or null when the message is
// not one that is reflected, names no child, or fails its condition (menu items have wParam 0).
HWND reflection_target(HWND parent, UINT message, WPARAM wparam, LPARAM lparam);

// Sends the reflected message to the child the message concerns. False, with nothing sent, when
// there is no such child.
bool reflect(HWND parent, UINT message, WPARAM wparam, LPARAM lparam, LRESULT& result);

} // namespace kestrov::winapi
