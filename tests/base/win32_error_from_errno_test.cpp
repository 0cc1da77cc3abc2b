#include "base/hresult.h"
#include "base/last_error.h"

#include <gtest/gtest.h>

#include <cerrno>

namespace kestrov {
namespace {

TEST(Win32ErrorFromErrno, GivesTheCodesWindowsReportsForTheSameFailures) {
    EXPECT_EQ(win32_error_from_errno(0), 0U);
    EXPECT_EQ(win32_error_from_errno(ENOENT), win32::error_file_not_found);
    EXPECT_EQ(win32_error_from_errno(ENOTDIR), win32::error_path_not_found);
    EXPECT_EQ(win32_error_from_errno(EACCES), win32::error_access_denied);
    EXPECT_EQ(win32_error_from_errno(EPERM), win32::error_access_denied);
    EXPECT_EQ(win32_error_from_errno(ENOSPC), win32::error_disk_full);
    EXPECT_EQ(win32_error_from_errno(ENOMEM), win32::error_not_enough_memory);
    EXPECT_EQ(win32_error_from_errno(EEXIST), win32::error_file_exists);
    EXPECT_EQ(win32_error_from_errno(EINVAL), win32::error_invalid_parameter);
    EXPECT_EQ(win32_error_from_errno(-12345), win32::error_gen_failure);
}

TEST(Win32ErrorFromErrno, SetsTheThreadsLastError) {
    set_last_error_from_errno(EROFS);
    EXPECT_EQ(last_error(), win32::error_write_protect);
    set_last_error(0);
}

} // namespace
} // namespace kestrov
