#include "image/engine/io/file_system.h"

#include "base/hresult.h"
#include "base/last_error.h"
#include "base/text_conversion.h"
#include "image/engine/io/stat_identity.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <memory>
#include <string>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>
#include <vector>

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

// What stat() tells of the file `name` names, or (with `follow_last_link` false) lstat() of the
// name itself; nothing, with the last error set, when there is no name or it fails.
std::optional<struct stat> status_of(const std::optional<std::string>& name,
                                     bool follow_last_link = true) {
    struct stat info {};
    if (!name) {
        return std::nullopt;
    }
    if ((follow_last_link ? ::stat(name->c_str(), &info) : ::lstat(name->c_str(), &info)) != 0) {
        failed();
        return std::nullopt;
    }
    return info;
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

// Opens the folder holding `path` and flushes it with `flush` (the folder itself, or its whole
// file system).
bool flush_folder_of(std::wstring_view path, int (*flush)(int)) {
    const auto name = native(path);
    if (!name) {
        return false;
    }
    const int handle = ::open(folder_of(*name).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (handle < 0) {
        return failed();
    }
    const bool flushed = flush(handle) == 0;
    const int error_number = errno;
    ::close(handle);
    if (!flushed) {
        set_last_error_from_errno(error_number);
    }
    return flushed;
}

// The names of the extended attributes of `path`, each ending in a zero; empty when it has none or
// the file system keeps none.
std::optional<std::vector<char>> attribute_names(const std::string& path) {
    std::vector<char> names;
    for (int attempt = 0; attempt < 8; ++attempt) {
        const ssize_t size = ::listxattr(path.c_str(), nullptr, 0);
        if (size < 0) {
            if (errno == ENOTSUP) {
                return std::vector<char>();
            }
            return std::nullopt;
        }
        names.resize(static_cast<std::size_t>(size));
        const ssize_t got = ::listxattr(path.c_str(), names.data(), names.size());
        if (got >= 0) {
            names.resize(static_cast<std::size_t>(got));
            return names;
        }
        if (errno != ERANGE) { // ERANGE: an attribute was added meanwhile
            return std::nullopt;
        }
    }
    return std::nullopt;
}

// Only the user's own namespaces must come along; trusted.* and security.* need privileges the
// user may not have, and the system sets those itself.
bool must_keep(std::string_view name) {
    return name.starts_with("user.") || name.starts_with("system.");
}

bool copy_attributes(const std::string& from, int to) {
    const auto names = attribute_names(from);
    if (!names) {
        return failed();
    }
    std::vector<char> value;
    for (std::size_t at = 0; at < names->size();) {
        const std::string name(names->data() + at);
        at += name.size() + 1;
        ssize_t size = ::getxattr(from.c_str(), name.c_str(), nullptr, 0);
        if (size >= 0) {
            value.resize(static_cast<std::size_t>(size));
            size = ::getxattr(from.c_str(), name.c_str(), value.data(), value.size());
        }
        if (size < 0) {
            if (errno == ENODATA) {
                continue; // removed meanwhile
            }
            return failed();
        }
        if (::fsetxattr(to, name.c_str(), value.data(), static_cast<std::size_t>(size), 0) != 0 &&
            must_keep(name)) {
            return failed();
        }
    }
    return true;
}

} // namespace

std::optional<file_identity> identity_of(std::wstring_view path) {
    const auto info = status_of(native(path));
    return info ? std::optional(identity_from_stat(*info)) : std::nullopt;
}

std::unique_ptr<output_file> output_file::adopt_new_file(std::intptr_t handle,
                                                         std::wstring_view path) {
    try {
        return std::unique_ptr<output_file>(new output_file(handle));
    } catch (...) {
        // Nothing owns the new file yet: it goes before the failure does.
        ::close(static_cast<int>(handle));
        if (const auto name = native(path)) {
            ::unlink(name->c_str());
        }
        throw;
    }
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
    return adopt_new_file(handle, path);
}

std::unique_ptr<output_file> output_file::create_new(std::wstring_view path) {
    const auto name = native(path);
    if (!name) {
        return nullptr;
    }
    // O_EXCL also refuses a symbolic link of that name, dangling or not.
    const int handle =
        ::open(name->c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (handle < 0) {
        failed();
        return nullptr;
    }
    return adopt_new_file(handle, path);
}

std::unique_ptr<output_file>
output_file::create_unnamed([[maybe_unused]] std::wstring_view folder) {
#ifdef O_TMPFILE
    // The name is given later through /proc (or, with the privilege, the handle itself); without
    // either such a file could never be put in place.
    static const bool can_link = ::access("/proc/self/fd", F_OK) == 0 || ::geteuid() == 0;
    const auto name = native(folder);
    if (!name) {
        return nullptr;
    }
    if (!can_link) {
        set_last_error(win32::error_not_supported);
        return nullptr;
    }
    const int handle = ::open(name->c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600);
    if (handle < 0) {
        failed();
        return nullptr;
    }
    try {
        return std::unique_ptr<output_file>(new output_file(handle));
    } catch (...) {
        ::close(handle);
        throw;
    }
#else
    set_last_error(win32::error_not_supported);
    return nullptr;
#endif
}

bool output_file::link_as(std::wstring_view path) {
    const auto name = native(path);
    if (!name) {
        return false;
    }
#ifdef AT_EMPTY_PATH
    if (::linkat(fd(handle_), "", AT_FDCWD, name->c_str(), AT_EMPTY_PATH) == 0) {
        return true;
    }
    if (errno == EEXIST) {
        return failed();
    }
#endif
    // Without the privilege to link a handle, its /proc entry names the same file.
    const std::string self = "/proc/self/fd/" + std::to_string(fd(handle_));
    return ::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, name->c_str(), AT_SYMLINK_FOLLOW) == 0 ||
           failed();
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

bool output_file::copy_attributes_of(std::wstring_view original) {
    const auto name = native(original);
    const auto found = status_of(name);
    if (!found) {
        return false;
    }
    const struct stat& info = *found;
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
    // The mode before the attributes: an access list (system.posix_acl_access) sets the group
    // bits again.
    if (::fchmod(fd(handle_), info.st_mode & 07777) != 0) {
        return failed();
    }
    return copy_attributes(*name, fd(handle_));
}

bool output_file::close() {
    open_ = false;
    return ::close(fd(handle_)) == 0 || failed();
}

bool may_replace(std::wstring_view path) {
    const auto name = native(path);
    const auto found = status_of(name);
    if (!found) {
        return false;
    }
    const struct stat& info = *found;
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

std::optional<std::wstring> file_behind_links(std::wstring_view path) {
    const auto name = native(path);
    const auto info = status_of(name, false);
    if (!info) {
        return std::nullopt;
    }
    if (!S_ISLNK(info->st_mode)) {
        return std::wstring(path);
    }
    const std::unique_ptr<char, decltype(&std::free)> target(::realpath(name->c_str(), nullptr),
                                                             &std::free);
    if (!target) {
        failed();
        return std::nullopt;
    }
    std::wstring wide;
    try {
        utf8_to_wide(target.get(), wide);
    } catch (...) {
        set_last_error(win32::error_cant_resolve_filename);
        return std::nullopt;
    }
    return wide;
}

std::optional<std::uint64_t> name_count(std::wstring_view path) {
    const auto info = status_of(native(path));
    return info ? std::optional(static_cast<std::uint64_t>(info->st_nlink)) : std::nullopt;
}

bool replace_file(std::wstring_view from, std::wstring_view to) {
    const auto source = native(from);
    const auto target = native(to);
    if (!source || !target || fails_for_testing(failing_step::replace)) {
        return false;
    }
    return ::rename(source->c_str(), target->c_str()) == 0 || failed();
}

// An open file keeps its content under its old inode while another takes its name.
bool open_file_can_be_replaced() {
    return true;
}

bool make_replace_durable(std::wstring_view path) {
    return !fails_for_testing(failing_step::durable_replace) && flush_folder_of(path, ::fsync);
}

bool remove_file(std::wstring_view path) {
    const auto name = native(path);
    return name && (::unlink(name->c_str()) == 0 || failed());
}

bool flush_file_system(std::wstring_view path) {
    return flush_folder_of(path, ::syncfs);
}

bool file_system_flush_available() {
    return true;
}

} // namespace kestrov::imaging
