// What the window says when it cannot read this computer's drives: the rights to open them
// are missing, or there is none. Without it the window would just list nothing, which reads as
// a computer without drives.
#pragma once

#include <string>

#include "platform/platform.h"

namespace app {

// The message in the current language; empty when the drives can be read.
std::wstring DriveAccessText(platform::DriveAccess access);

// Shows that message in the message dialog, over the main window once that is open, and returns
// when the user has closed it; nothing when the drives can be read.
void ShowDriveAccessMessage(platform::DriveAccess access);

}  // namespace app
