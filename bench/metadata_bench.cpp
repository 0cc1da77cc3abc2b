// Times one operation on one file and reports the process's peak memory, so a script can compare
// files of very different sizes:
//   metadata_bench open FILE   load the file and read every row of every group
//   metadata_bench save FILE   load it, set the author and save it over itself, durably
#include "base/text_conversion.h"
#include "image/bitmap_plus.h"
#include "image/property_writer.h"
#include "tags/group_rows.h"

#include <chrono>
#include <cstdio>
#include <exception>
#include <fstream>
#include <string>

namespace {

// The peak resident memory of this process in kB (VmHWM), 0 where it cannot be read.
long peak_memory_kb() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmHWM:", 0) == 0) {
            return std::stol(line.substr(6));
        }
    }
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: metadata_bench open|save FILE\n");
        return 2;
    }
    const std::string mode = argv[1];
    std::wstring path;
    kestrov::utf8_to_wide(argv[2], path);
    const auto start = std::chrono::steady_clock::now();
    std::size_t rows = 0;
    try {
        kestrov::gdi::bitmap_plus bitmap(path);
        if (mode == "open") {
            kestrov::tags::tag_catalogue catalogue;
            catalogue.fill();
            kestrov::tags::missing_tag_list missing;
            rows = kestrov::tags::group_rows(kestrov::tags::group_all, bitmap.bitmap(), catalogue,
                                             missing)
                       .size();
        } else if (mode == "save") {
            kestrov::gdi::set_text_property(bitmap.bitmap(), 0x013B, L"Bench Author");
            bitmap.save();
        } else {
            std::fprintf(stderr, "unknown mode %s\n", mode.c_str());
            return 2;
        }
    } catch (const std::exception& error) {
        std::fprintf(stderr, "%s: %s\n", argv[2], error.what());
        return 1;
    }
    const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
    std::printf("%.4f %ld %zu\n", elapsed.count(), peak_memory_kb(), rows);
    return 0;
}
