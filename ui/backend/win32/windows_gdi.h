// Windows' user and drawing headers, for the files of this backend only. The framework's own
// names come first: windows.h defines DrawText as a macro, which would rename the surface's
// method in every file that follows.
#pragma once

#include "ui/backend/backend.h"

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
// The order matters: GDI+ needs the COM declarations that the lean header leaves out.
// clang-format off
#include <windows.h>
#include <objidl.h>
#include <gdiplus.h>
// clang-format on

#undef DrawText
