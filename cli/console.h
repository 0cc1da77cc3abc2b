// Text output of the console tool: UTF-8 on every platform.
#pragma once

#include <cstdio>
#include <string_view>

namespace kestrov::cli {

// Prepares the console for UTF-8 output (Windows consoles need to be told).
void prepare_console();
// Whether `stream` is a terminal (progress is shown only there).
bool is_terminal(std::FILE* stream);

void write(std::FILE* stream, std::wstring_view text);
void write(std::FILE* stream, std::string_view utf8);

} // namespace kestrov::cli
