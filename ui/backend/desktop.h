// The desktop backend of the operating system the program is built for (SDL on Linux, Win32 on
// Windows); CMake links the one that exists as tramsik_ui_desktop.
#pragma once

#include <memory>
#include <string>

#include "ui/backend/backend.h"

namespace SkinUI {

// Null, with the reason in `error`, when no display can be used.
std::unique_ptr<IBackend> CreateDesktopBackend(std::string* error);

}  // namespace SkinUI
