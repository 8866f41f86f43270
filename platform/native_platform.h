// The native backend of this build, which the backend choice asks for when no simulated
// machine is named. Each system's backend provides it in its own folder.
#pragma once

#include <memory>
#include <string>

#include "platform/platform.h"

namespace platform {

// The backend for the real machine, and in `access` whether it can read the drives; when it
// cannot (no rights, no drive), `why` says so in a sentence for a terminal.
std::unique_ptr<Platform> MakeNativePlatform(DriveAccess* access, std::wstring* why);

}  // namespace platform
