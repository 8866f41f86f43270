// The message dialog's button modes, icon kinds and results: plain numbers that page models
// name without linking the dialog itself.
#pragma once

namespace app {

// Button modes.
inline constexpr int kMessageOk = 0;           // OK only
inline constexpr int kMessageOkCancel = 1;     // OK and Cancel
inline constexpr int kMessageCloseButton = 2;  // the close button in the corner only

// Icon kinds; any other value (0 by convention) leaves the skin's icon, which is none.
inline constexpr int kIconNone = 0;
inline constexpr int kIconError = 16;
inline constexpr int kIconWarning = 48;
inline constexpr int kIconSuccess = 128;

// What closed the dialog.
inline constexpr int kResultClosed = 0;  // the close button or the system close command
inline constexpr int kResultOk = 1;
inline constexpr int kResultCancel = 2;

}  // namespace app
