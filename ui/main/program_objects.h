// The program-wide objects: each lives from its creation step in aplikace::run to the tear-down,
// and everything on the user-interface thread may rely on them while the message loop runs.
#pragma once

#include "app/settings.h"
#include "tags/tag_catalogue.h"

#include <memory>
#include <string>
#include <vector>

class aplikace;
class okno_hlavni;

extern std::unique_ptr<aplikace> app;
extern std::unique_ptr<std::vector<std::wstring>> supported_extensions;
extern std::unique_ptr<kestrov::tags::tag_catalogue> tag_catalogue;
extern std::unique_ptr<kestrov::settings_record> settings;
extern std::unique_ptr<okno_hlavni> main_window;
