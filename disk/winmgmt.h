// Making sure the management instrumentation service ("Winmgmt") runs before the inventory
// uses it.
#pragma once

namespace disk {

// True only when the service reports that it runs. Every failure reads as "not running".
bool IsWinmgmtRunning();

// Starts the service and waits for it: four short waits (0, 100, 200 and 300 ms), then the
// start type is set to automatic with "sc", then up to ten waits of 500 ms with a start request
// before each. True when the service runs at the end.
bool StartWinmgmt();

}  // namespace disk
