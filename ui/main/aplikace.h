// The application object: start-up, the message loop and tear-down, in a fixed order.
#pragma once

#include "app/application_base_win.h"
#include "ui/toolkit/image_list_pair.h"

#include <exception>
#include <memory>
#include <string>

namespace kestrov {

// The application base with the accelerator table. The metadata engine needs no start-up of its
// own, so there is no library token to keep.
class application_exe : public application_base {
public:
    HACCEL accelerators = nullptr;
};

} // namespace kestrov

class aplikace : public kestrov::application_exe {
public:
    aplikace() = default;
    ~aplikace() override;

    // Starts everything, runs the message loop until the main window ends it, tears everything
    // down and answers the exit code; 1 after a failure, which it shows (when even the box
    // fails, the exit code is all that tells of it).
    int run();

    // Steps of run, apart so that tests can bring the program up and down around their own
    // message handling: COM, icons, toolbar images, accelerators, the program-wide objects and
    // the main window; then the reverse.
    void start();
    void tear_down();
    // Releases icons and accelerators; harmless when run twice.
    void release_resources();

    std::wstring current_file;
    std::unique_ptr<kestrov::winapi::image_list_pair> toolbar_images;

private:
    // The failure's text in the error box; a failing box is dropped.
    void show_failure(const std::exception_ptr& failure) noexcept;

    bool com_initialized_ = false;
};
