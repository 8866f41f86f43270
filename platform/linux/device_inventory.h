// The management-instrumentation view of a Linux machine: its PCI storage and USB host
// controllers with the disks below them, and a Win32_DiskDrive object per physical drive, all
// from sysfs (and the PCI and USB id databases when they are installed).
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/inventory/inventory.h"
#include "platform/linux/block_devices.h"
#include "platform/linux/kernel_io.h"

namespace platform::linux_backend {

// PCIe link speed as the device property gives it: the generation, 1 for 2.5 GT/s up to 6
// for 64 GT/s; 0 when the text names none.
uint32_t PcieGeneration(std::string_view sysfsSpeed);

// The device id a disk's controller lists it by (Win32_DiskDrive's PNPDeviceID).
std::wstring DiskPnpId(const BlockDisk& disk);

// Controllers and disk objects of this machine. Drive n of `disks` is PHYSICALDRIVEn; no
// driver here keeps failure-prediction pages.
inventory::Inventory BuildDeviceInventory(KernelIo& kernel, const std::vector<BlockDisk>& disks);

}  // namespace platform::linux_backend
