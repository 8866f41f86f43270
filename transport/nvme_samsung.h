// The Samsung NVMe route: the Samsung NVMe driver takes vendor requests as SCSI SECURITY
// PROTOCOL commands on "\\.\PhysicalDrive<n>". Each read is two calls on one buffer: a data-out
// command that names the structure wanted, then a data-in command that fetches it.
#pragma once

#include "transport/nvme_device.h"

namespace transport {

// Identify Controller. `identify` is zeroed first; it is filled only when both calls succeed
// with good status and the 512 bytes are not all zero.
bool DoIdentifyDeviceNVMeSamsung(int physicalDrive, NvmePage identify);

// The SMART / Health Information log of all namespaces, on the same terms; `healthLog` is left
// as it was on failure.
bool GetSmartAttributeNVMeSamsung(int physicalDrive, NvmePage healthLog);

}  // namespace transport
