// The native backend of this build, which the backend choice asks for when no simulated
// machine is named. Each system's backend provides it in its own folder.
#pragma once

#include <memory>
#include <string>

#include "platform/platform.h"

namespace platform {

// The backend for the real machine; null with the reason (for instance missing rights to the
// drives) in `error`.
std::unique_ptr<Platform> MakeNativePlatform(std::wstring* error);

}  // namespace platform
