// The program-wide objects: each lives from its creation step in aplikace::run to the tear-down,
// and everything on the user-interface thread may rely on them while the message loop runs.
#pragma once

#include "app/settings.h"
#include "tags/tag_catalogue.h"

#include <exception>
#include <memory>
#include <string>
#include <vector>

class aplikace;
class okno_hlavni;

extern std::unique_ptr<aplikace> app;
extern std::unique_ptr<std::vector<std::wstring>> supported_extensions;
extern std::unique_ptr<kestrov::tags::tag_catalogue> tag_catalogue;
extern std::unique_ptr<kestrov::tags::missing_tag_list> missing_tags;
extern std::unique_ptr<kestrov::settings_record> settings;
extern std::unique_ptr<okno_hlavni> main_window;

// A failure raised inside a window procedure. Exceptions must not unwind through the system's
// own frames, so the procedure keeps it here and the message loop raises it again once the
// dispatch has returned: the failure reaches aplikace::run as if it had travelled out directly.
extern std::exception_ptr pending_failure;

// Runs `handler` and keeps what it raises for the message loop; `failed` is answered then.
template <typename Handler>
auto keep_failure(Handler handler, decltype(handler()) failed) {
    try {
        return handler();
    } catch (...) {
        if (!pending_failure) {
            pending_failure = std::current_exception();
        }
        return failed;
    }
}
