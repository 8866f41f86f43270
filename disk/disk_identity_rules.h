// The text rules the two disk passes of the inventory apply: the drive number in a management
// DeviceID, the bus suffixes Windows adds to a model name, how a model is matched, which
// drives are left out, and how a drive whose strings arrived pair-swapped is recognised.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "disk/drive_record.h"

namespace disk {

// The physical drive number a Win32_DiskDrive DeviceID ends in ("\\.\PHYSICALDRIVE12" gives
// 12, "...DRIVE5" 5): the last two characters when they make 10 or more, else the last one.
// -1 when the id does not end in a digit.
int32_t PhysicalDriveOfDeviceId(const std::wstring& deviceId);

// Removes every `part` from `text`; true when there was one.
bool RemoveAll(std::wstring& text, std::wstring_view part);

// The model without the " SATA Disk Device"-style words Windows appends to name the bus, and
// without "NVMe ".
std::wstring WithoutBusWords(std::wstring model);

// Whether two model names agree in their first 8 characters, blanks left out.
bool SameModelStart(const std::wstring& a, const std::wstring& b);

// Two Samsung disk models whose old firmware hangs when probed; only firmware 1AQ10003 is
// safe.
bool IsUnsafeSamsungHd(const std::wstring& model, const std::wstring& firmware);

// A model that starts like a maker name with each character pair exchanged ("DW C" for
// "WDC "): the drive sits behind a bridge that already delivers readable strings, which the
// identification then read the wrong way round.
bool HasSwappedMakerName(const std::wstring& model);

// Takes the "as stored" strings as the drive's identity.
void UseStoredStrings(DriveRecord& record);

}  // namespace disk
