// The Intel NVMe route: the Intel NVMe miniport passes NVMe admin commands through
// IOCTL_SCSI_MINIPORT ("NvmeMini") on the SCSI port device of the drive's controller.
#pragma once

#include <optional>

#include "transport/nvme_device.h"

namespace transport {

// The SCSI port number of a physical drive, from IOCTL_SCSI_GET_ADDRESS; nothing when the drive
// does not open or does not say.
std::optional<int> ScsiPortOfPhysicalDrive(int physicalDrive);

// Identify Controller. Each read fills its page only when the call succeeds and the first 512
// bytes are not all zero; otherwise the page is left as it was.
bool DoIdentifyDeviceNVMeIntel(int physicalDrive, NvmePage identify);

// The whole SMART / Health Information log of all namespaces (128 dwords).
bool GetSmartAttributeNVMeIntel(int physicalDrive, NvmePage healthLog);

// The same log asked for with a dword count of one; the miniport answers with its first
// dword, and the 512 bytes kept are taken as they come.
bool GetSmartAttributeNVMeIntelShort(int physicalDrive, NvmePage healthLog);

}  // namespace transport
