#include "image/engine/io/input_file.h"

#include "image/engine/io/byte_reader.h"
#include "image/engine/io/stat_identity.h"

#include "base/hresult.h"
#include "base/last_error.h"
#include "base/text_conversion.h"

#include <cerrno>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace kestrov::imaging {

namespace {

status status_from_errno(int error_number) {
    set_last_error_from_errno(error_number);
    switch (error_number) {
    case ENOENT:
    case ENOTDIR:
        return status::file_not_found;
    case EACCES:
    case EPERM:
        return status::access_denied;
    default:
        return status::win32_error;
    }
}

} // namespace

std::unique_ptr<input_file> input_file::open(std::wstring_view path, status& result) {
    std::string native_path;
    try {
        to_multibyte(path, code_page_utf8, native_path);
    } catch (...) {
        result = status::invalid_parameter;
        return nullptr;
    }
    if (native_path.empty() || native_path.find('\0') != std::string::npos) {
        set_last_error(win32::error_invalid_name);
        result = status::invalid_parameter;
        return nullptr;
    }
    const int fd = ::open(native_path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        result = status_from_errno(errno);
        return nullptr;
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        // A folder or a device is no image file; Windows answers "access denied" for a folder.
        const int error_number = S_ISDIR(info.st_mode) ? EACCES : errno;
        ::close(fd);
        result = status_from_errno(error_number == 0 ? EINVAL : error_number);
        return nullptr;
    }
    result = status::ok;
    return std::unique_ptr<input_file>(new input_file(fd, identity_from_stat(info)));
}

input_file::~input_file() {
    ::close(static_cast<int>(handle_));
}

bool input_file::read(std::uint64_t offset, std::span<std::byte> out) {
    if (!range_fits(size_, offset, out.size())) {
        return false;
    }
    std::size_t done = 0;
    while (done < out.size()) {
        const ssize_t count = ::pread(static_cast<int>(handle_), out.data() + done,
                                      out.size() - done, static_cast<off_t>(offset + done));
        if (count < 0 && errno == EINTR) {
            continue;
        }
        if (count <= 0) {
            set_last_error_from_errno(count == 0 ? EIO : errno);
            return false;
        }
        done += static_cast<std::size_t>(count);
    }
    return true;
}

} // namespace kestrov::imaging
