#include "base/hresult.h"
#include "base/last_error.h"

#include <cerrno>

namespace kestrov {

std::uint32_t win32_error_from_errno(int error_number) noexcept {
    switch (error_number) {
    case 0:
        return win32::error_success;
    case ENOENT:
        return win32::error_file_not_found;
    case ENOTDIR:
        return win32::error_path_not_found;
    case EACCES:
    case EPERM:
    case EISDIR: // Windows refuses to open a folder as a file with "access denied"
        return win32::error_access_denied;
    case EROFS:
        return win32::error_write_protect;
    case ENOMEM:
        return win32::error_not_enough_memory;
    case EEXIST:
        return win32::error_file_exists;
    case ENOSPC:
#ifdef EDQUOT
    case EDQUOT:
#endif
        return win32::error_disk_full;
    case EBUSY:
    case ETXTBSY:
        return win32::error_sharing_violation;
    case EMFILE:
    case ENFILE:
        return win32::error_too_many_open_files;
    case ENAMETOOLONG:
        return win32::error_filename_exced_range;
    case EINVAL:
        return win32::error_invalid_parameter;
    case EIO:
        return win32::error_io_device;
    case EXDEV:
        return win32::error_not_same_device;
    case ENOTEMPTY:
        return win32::error_dir_not_empty;
    case EBADF:
        return win32::error_invalid_handle;
    case ENOSYS:
    case ENOTSUP:
        return win32::error_not_supported;
    case EFBIG:
        return win32::error_file_too_large;
    case ELOOP:
        return win32::error_cant_resolve_filename;
    case EILSEQ:
        return win32::error_no_unicode_translation;
    default:
        return win32::error_gen_failure;
    }
}

void set_last_error_from_errno(int error_number) noexcept {
    set_last_error(win32_error_from_errno(error_number));
}

} // namespace kestrov
