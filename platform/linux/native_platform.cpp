#include "platform/native_platform.h"

#include "platform/linux/linux_platform.h"

namespace platform {

std::unique_ptr<Platform> MakeNativePlatform(DriveAccess* access, std::wstring* why) {
    auto backend =
        std::make_unique<linux_backend::LinuxPlatform>(linux_backend::MakeSystemKernelIo());
    *access = backend->AccessProblem(why);
    return backend;
}

}  // namespace platform
