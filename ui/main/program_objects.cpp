#include "ui/main/program_objects.h"

#include "ui/main/aplikace.h"
#include "ui/main/okno_hlavni.h"

std::unique_ptr<aplikace> app;
std::unique_ptr<std::vector<std::wstring>> supported_extensions;
std::unique_ptr<kestrov::tags::tag_catalogue> tag_catalogue;
std::unique_ptr<kestrov::settings_record> settings;
std::unique_ptr<okno_hlavni> main_window;
