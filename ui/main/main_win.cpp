// Entry point of Mirtel.exe: the application object runs the program and its answer is the exit
// code.
#include "ui/main/aplikace.h"
#include "ui/main/program_objects.h"

#include <memory>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, wchar_t*, int) {
    app = std::make_unique<aplikace>();
    const int exit_code = app->run();
    app.reset();
    return exit_code;
}
