#include "platform/native_platform.h"

#include "platform/linux/linux_platform.h"

namespace platform {

std::unique_ptr<Platform> MakeNativePlatform(std::wstring* error) {
    auto backend =
        std::make_unique<linux_backend::LinuxPlatform>(linux_backend::MakeSystemKernelIo());
    // Without the rights to open a drive the inventory would come back empty, which reads as
    // "no drives"; say what is missing instead.
    if (std::wstring problem = backend->AccessProblem(); !problem.empty()) {
        *error = problem;
        return nullptr;
    }
    return backend;
}

}  // namespace platform
