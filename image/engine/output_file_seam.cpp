// The test seam of output_file, shared by both platforms' implementations.
#include "image/engine/file_system.h"

#include "app/hresult.h"
#include "app/last_error.h"

namespace kestrov::imaging {

namespace {
thread_local std::optional<std::uint64_t> bytes_until_failure;
} // namespace

void output_file::fail_writes_after_for_testing(std::optional<std::uint64_t> bytes) {
    bytes_until_failure = bytes;
}

bool output_file::test_seam_allows(std::size_t count) {
    if (!bytes_until_failure) {
        return true;
    }
    if (*bytes_until_failure < count) {
        bytes_until_failure = 0;
        set_last_error(win32::error_disk_full);
        return false;
    }
    *bytes_until_failure -= count;
    return true;
}

} // namespace kestrov::imaging
