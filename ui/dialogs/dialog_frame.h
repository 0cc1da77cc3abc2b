// What every dialog of the program shows on its frame: the application's icons and a caption.
#pragma once

#include "app/application_base_win.h"

#include <string>
#include <windows.h>

// The application's large and small icons and `caption` on the dialog's frame; raises when the
// dialog is gone or the caption cannot be set.
void dress_dialog(HWND dialog, const kestrov::application_base& application,
                  const std::wstring& caption);
