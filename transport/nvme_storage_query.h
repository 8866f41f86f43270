// The NVMe route of the system's own NVMe driver (Windows 10 and later): the protocol-specific
// storage property query on "\\.\PhysicalDrive<n>" hands an Identify or Get Log Page command to
// the drive and returns its data in the query's buffer.
#pragma once

#include "transport/nvme_device.h"

namespace transport {

// Identify Controller. The reply area is copied into `identify` whatever the call's result, so
// a failed call leaves zeros there.
bool DoIdentifyDeviceNVMeStorageQuery(int physicalDrive, NvmePage identify);

// The SMART / Health Information log (02h) of all namespaces, copied the same way.
bool GetSmartAttributeNVMeStorageQuery(int physicalDrive, NvmePage healthLog);

}  // namespace transport
