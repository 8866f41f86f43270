// The OS version record of the engine and what follows from it: the service-pack number, the
// name a page shows, and which transports the system offers.
#pragma once

#include <string>

#include "platform/win_types.h"

namespace disk {

// Fills `record` from GetVersionExW: first as the 284-byte extended record, and when the system
// refuses that, as the older 276-byte one (whose result is not checked).
void ReadOsVersion(platform::OSVERSIONINFOEXW* record);

// The CSD version with every "Service Pack " removed, read as a decimal number; 0 when no
// digits lead what is left.
int ServicePackNumber(const platform::OSVERSIONINFOEXW& record);

// The Windows name with the processor width (" 64" / " 32"), e.g. "Windows 7 64"; a version
// without a name gives the width alone. A system that names itself in the CSD text (the Linux
// backend: "Debian GNU/Linux 12 (bookworm)") shows that name instead of Windows'. Logs the
// version numbers.
std::wstring GetOsName(const platform::OSVERSIONINFOEXW& record);

// ATA pass-through exists from Windows XP SP2 (5.1 with service pack 2), Server 2003 (5.2) and
// every version from 6 on.
bool AtaPassThroughAvailableFor(const platform::OSVERSIONINFOEXW& record);

// The NVMe storage query exists from Windows 10 on.
bool StorageQueryAvailableFor(const platform::OSVERSIONINFOEXW& record);

}  // namespace disk
