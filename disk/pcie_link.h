// The PCIe link of an NVMe drive's controller: from the drive to its device entity and on to
// the SCSI adapter that holds it, through management instrumentation, and then the link
// properties the device setup keeps for that adapter.
#pragma once

#include <cstdint>
#include <string>

#include "platform/platform.h"

namespace disk {

// Never fails: whatever cannot be found reads as zeros.
platform::PcieLink GetPcieLink(int32_t physicalDriveId);

// "PCIe <speed>.0 x<width>", the form the transfer-mode fields show.
std::wstring FormatPcieLink(uint32_t speed, uint32_t width);

}  // namespace disk
