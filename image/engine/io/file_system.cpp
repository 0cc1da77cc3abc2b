#include "image/engine/io/file_system.h"

#include "base/hresult.h"
#include "base/last_error.h"
#include "base/text_conversion.h"
#include "image/engine/io/stat_identity.h"

#include <cerrno>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace kestrov::imaging {

namespace {

std::optional<std::string> native(std::wstring_view path) {
    std::string out;
    try {
        to_multibyte(path, code_page_utf8, out);
    } catch (...) {
        set_last_error(win32::error_invalid_name);
        return std::nullopt;
    }
    if (out.empty() || out.find('\0') != std::string::npos) {
        set_last_error(win32::error_invalid_name);
        return std::nullopt;
    }
    return out;
}

bool failed() {
    set_last_error_from_errno(errno);
    return false;
}

std::string folder_of(const std::string& path) {
    const auto slash = path.find_last_of('/');
    if (slash == std::string::npos) {
        return ".";
    }
    return slash == 0 ? "/" : path.substr(0, slash);
}

int fd(std::intptr_t handle) {
    return static_cast<int>(handle);
}

} // namespace

std::optional<file_identity> identity_of(std::wstring_view path) {
    const auto name = native(path);
    struct stat info {};
    if (!name || ::stat(name->c_str(), &info) != 0) {
        if (name) {
            failed();
        }
        return std::nullopt;
    }
    return file_identity{
        static_cast<std::uint64_t>(info.st_dev), static_cast<std::uint64_t>(info.st_ino),
        static_cast<std::uint64_t>(info.st_size),
        static_cast<std::int64_t>(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec};
}

std::unique_ptr<output_file> output_file::create(std::wstring_view path) {
    const auto name = native(path);
    if (!name) {
        return nullptr;
    }
    const int handle = ::open(name->c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (handle < 0) {
        failed();
        return nullptr;
    }
    try {
        return std::unique_ptr<output_file>(new output_file(handle));
    } catch (...) {
        // Nothing owns the new file yet: it goes before the failure does.
        ::close(handle);
        ::unlink(name->c_str());
        throw;
    }
}

output_file::~output_file() {
    if (open_) {
        ::close(fd(handle_));
    }
}

bool output_file::write(std::span<const std::byte> bytes) {
    if (!test_seam_allows(bytes.size())) {
        return false;
    }
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd(handle_), bytes.data(), bytes.size());
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            return failed();
        }
        bytes = bytes.subspan(static_cast<std::size_t>(written));
    }
    return true;
}

bool output_file::flush() {
    return ::fsync(fd(handle_)) == 0 || failed();
}

bool output_file::copy_permissions_of(std::wstring_view original) {
    const auto name = native(original);
    struct stat info {};
    if (!name || ::stat(name->c_str(), &info) != 0) {
        return name ? failed() : false;
    }
    // Owner and group follow where the user may set them; a user who may not (saving someone
    // else's file in a shared folder) becomes its owner, as with any program that saves by rename.
    static const uid_t user = ::geteuid();
    static const gid_t group = ::getegid();
    if (info.st_uid != user || info.st_gid != group) {
        if (::fchown(fd(handle_), info.st_uid, info.st_gid) != 0) {
            [[maybe_unused]] const int ignored =
                ::fchown(fd(handle_), static_cast<uid_t>(-1), info.st_gid);
        }
    }
    return ::fchmod(fd(handle_), info.st_mode & 07777) == 0 || failed();
}

bool output_file::close() {
    open_ = false;
    return ::close(fd(handle_)) == 0 || failed();
}

bool may_replace(std::wstring_view path) {
    const auto name = native(path);
    struct stat info {};
    if (!name || ::stat(name->c_str(), &info) != 0) {
        return name ? failed() : false;
    }
    // access() answers yes to root for any file; a file or folder without write permission bits
    // is still one its owner marked read-only, and a rename would replace the file regardless.
    const std::string folder = folder_of(*name);
    struct stat folder_info {};
    if ((info.st_mode & 0222) == 0 || ::access(name->c_str(), W_OK) != 0 ||
        ::stat(folder.c_str(), &folder_info) != 0 || (folder_info.st_mode & 0222) == 0 ||
        ::access(folder.c_str(), W_OK) != 0) {
        set_last_error(win32::error_access_denied);
        return false;
    }
    return true;
}

bool replace_file(std::wstring_view from, std::wstring_view to) {
    const auto source = native(from);
    const auto target = native(to);
    if (!source || !target) {
        return false;
    }
    return ::rename(source->c_str(), target->c_str()) == 0 || failed();
}

bool remove_file(std::wstring_view path) {
    const auto name = native(path);
    return name && (::unlink(name->c_str()) == 0 || failed());
}

bool flush_file_system(std::wstring_view path) {
    const auto name = native(path);
    if (!name) {
        return false;
    }
    const int handle = ::open(folder_of(*name).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (handle < 0) {
        return failed();
    }
    const bool flushed = ::syncfs(handle) == 0;
    const int error_number = errno;
    ::close(handle);
    if (!flushed) {
        set_last_error_from_errno(error_number);
    }
    return flushed;
}

bool file_system_flush_available() {
    return true;
}

} // namespace kestrov::imaging
