// Ctrl+C and requests to terminate during a command that writes many files: the first asks the
// command to stop after the files it is writing, so no temporary file is left beside them; a
// second one ends the program at once, as it would have without the guard.
#pragma once

namespace kestrov::cli {

class interruption_guard {
public:
    interruption_guard();
    interruption_guard(const interruption_guard&) = delete;
    interruption_guard& operator=(const interruption_guard&) = delete;
    ~interruption_guard();

    // Whether the user asked to stop since the guard was made.
    static bool requested();
};

} // namespace kestrov::cli
