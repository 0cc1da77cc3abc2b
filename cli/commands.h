// The console tool's commands. Each takes the arguments after its name and returns the exit
// code: 0 done, 1 something could not be done (reported on stderr), 2 a wrong command line.
#pragma once

#include <string>
#include <vector>

namespace kestrov::cli {

int show_command(const std::vector<std::wstring>& arguments);
int dump_command(const std::vector<std::wstring>& arguments);
int set_command(const std::vector<std::wstring>& arguments);
int remove_command(const std::vector<std::wstring>& arguments);
int extensions_command(const std::vector<std::wstring>& arguments);

// Dispatches a whole command line (without the program's name).
int run(const std::vector<std::wstring>& arguments);

} // namespace kestrov::cli
