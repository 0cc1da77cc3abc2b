// A file's identity from what stat() tells, for the POSIX side of the file layer.
#pragma once

#include "image/engine/io/file_system.h"

#include <sys/stat.h>

namespace kestrov::imaging {

inline file_identity identity_from_stat(const struct stat& info) {
    return {static_cast<std::uint64_t>(info.st_dev), static_cast<std::uint64_t>(info.st_ino),
            static_cast<std::uint64_t>(info.st_size),
            static_cast<std::int64_t>(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec};
}

} // namespace kestrov::imaging
