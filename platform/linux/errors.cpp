#include "platform/linux/errors.h"

#include <cerrno>
#include <cstdlib>

#include "platform/win_constants.h"

namespace platform::linux_backend {

namespace {

constexpr DWORD ERROR_SHARING_VIOLATION = 32;
constexpr DWORD ERROR_BUSY = 170;

struct ErrnoMapping {
    int error;
    DWORD windows;
};
constexpr ErrnoMapping kMappings[] = {
    {EPERM, ERROR_ACCESS_DENIED},
    {EACCES, ERROR_ACCESS_DENIED},
    {ENOENT, ERROR_FILE_NOT_FOUND},
    {ENXIO, ERROR_FILE_NOT_FOUND},
    {ENODEV, ERROR_DEV_NOT_EXIST},
    {EROFS, ERROR_WRITE_PROTECT},
    {EIO, ERROR_IO_DEVICE},
    {EINVAL, ERROR_INVALID_PARAMETER},
    {ENOTTY, ERROR_INVALID_FUNCTION},
    {EOPNOTSUPP, ERROR_NOT_SUPPORTED},
    {ENOMEDIUM, ERROR_NOT_READY},
    {EBUSY, ERROR_BUSY},
    {EWOULDBLOCK, ERROR_SHARING_VIOLATION},
    {ENOSPC, ERROR_SECTOR_NOT_FOUND},
    {ENOMEM, ERROR_INSUFFICIENT_BUFFER},
    {EFAULT, ERROR_INVALID_PARAMETER},
    {ETIMEDOUT, ERROR_IO_DEVICE},
    {EBADF, ERROR_INVALID_HANDLE},
};

}  // namespace

DWORD WindowsError(int error) {
    error = std::abs(error);
    if (error == 0) return ERROR_SUCCESS;
    for (const ErrnoMapping& mapping : kMappings)
        if (mapping.error == error) return mapping.windows;
    return ERROR_IO_DEVICE;
}

}  // namespace platform::linux_backend
