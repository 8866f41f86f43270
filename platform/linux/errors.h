// The system error code a Windows driver gives for what the kernel reported as errno.
#pragma once

#include "platform/win_types.h"

namespace platform::linux_backend {

// `error` is -errno or errno; 0 maps to ERROR_SUCCESS.
DWORD WindowsError(int error);

}  // namespace platform::linux_backend
