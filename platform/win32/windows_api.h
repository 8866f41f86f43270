// Windows' own headers, for the files of this backend only. The seam's headers are read first:
// they declare names (S_OK, E_ACCESSDENIED, the RPC constants) that Windows defines as macros,
// and they must be parsed before those macros exist. A file that needs more of the SDK includes
// it after this header.
#pragma once

#include "platform/platform.h"
#include "platform/wmi.h"

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

namespace platform::win32 {

// A function of `module` looked up by name, for calls an older Windows lacks; null when the
// module or the function is missing.
template <typename Function>
Function LookUp(HMODULE module, const char* name) {
    if (module == nullptr) return nullptr;
    // Through the untyped function pointer, which converts to any function type.
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(::GetProcAddress(module, name)));
}

}  // namespace platform::win32
