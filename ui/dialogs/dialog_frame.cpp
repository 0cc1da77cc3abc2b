#include "ui/dialogs/dialog_frame.h"

#include "base/kestrov_exception.h"
#include "ui/toolkit/window.h"

void dress_dialog(HWND dialog, const kestrov::application_base& application,
                  const std::wstring& caption) {
    kestrov::winapi::require_window(dialog);
    SendMessageW(dialog, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(application.large_icon));
    kestrov::winapi::require_window(dialog);
    SendMessageW(dialog, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(application.small_icon));
    if (SendMessageW(dialog, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(caption.c_str())) == 0) {
        kestrov::raise_last_error();
    }
}
