// Entry point of Mirtel.exe. The main window is not built yet: the program says so and ends.
#include "app/application_base_win.h"
#include "app/message_box_style.h"

#include <exception>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, wchar_t*, int) {
    kestrov::application_base application;
    try {
        application.show_message(L"Mirtel zatím umí jen ohlásit, že běží: hlavní okno ještě "
                                 L"není hotové.",
                                 MB_ICONINFORMATION | MB_OK, 0);
    } catch (const std::exception& failure) {
        application.show_message_ansi(failure.what(), kestrov::message_box_flags::icon_error, 0);
        return 1;
    }
    return 0;
}
