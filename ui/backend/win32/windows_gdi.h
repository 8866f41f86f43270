// Windows' user and drawing headers, for the files of this backend only. The framework's own
// names come first: windows.h defines DrawText as a macro, which would rename the surface's
// method in every file that follows.
#pragma once

#include "ui/backend/backend.h"

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
// GDI+ needs the COM declarations that the lean header leaves out.
#include <gdiplus.h>
#include <objidl.h>

#undef DrawText
