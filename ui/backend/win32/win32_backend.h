// The Windows desktop backend: native top-level windows of the framework's classes without a
// frame, input through the window procedure, a back buffer drawn with GDI+.
#pragma once

#include <memory>
#include <string>

#include "ui/backend/backend.h"

namespace SkinUI::win32 {

// Starts GDI+ and returns the backend; null (with the reason in `error`) when GDI+ cannot start.
std::unique_ptr<IBackend> CreateWin32Backend(std::string* error = nullptr);

}  // namespace SkinUI::win32
