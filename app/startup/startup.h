// Start-up of the window program: the interface language for the whole run, and one copy at a
// time.
#pragma once

#include "platform/win_types.h"

namespace app {

// The name of the single-instance mutex.
inline constexpr wchar_t kSingleInstanceMutex[] = L"OrvelTramsik";

// Fixes LanguageFlag from the platform's ANSI code page (Chinese exactly on 936).
void SetLanguageFromCodePage();

// True when this is the only copy and the mutex is now held; false when another copy runs,
// after the user has closed the dialog that says so.
bool CheckSingleInstance();

// The mutex this copy holds, null before CheckSingleInstance succeeded or when it could not be
// created (the program then runs unprotected). The system releases it when the process ends.
platform::HANDLE SingleInstanceHandle();

// The whole start-up: skins, language, single instance, then `runMainWindow` until the main
// window closes. Always 0, the program's exit code.
int RunStartup(void (*runMainWindow)());

}  // namespace app
