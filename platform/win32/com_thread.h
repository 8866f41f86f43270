// COM for the calling thread: started the first time the thread needs it, ended with the
// thread.
#pragma once

#include "platform/win_types.h"

namespace platform::win32 {

// Whether COM can be used on this thread now: S_OK, or why not.
HRESULT StartComOnThisThread();

}  // namespace platform::win32
