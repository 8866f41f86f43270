// The device models of the simulator, one per kind of device or route. Each lives in its own
// file; DeviceModels() lists them in the order they are asked.
#pragma once

#include "platform/sim/sim_state.h"

namespace platform::sim {

// ATA pass-through and the SMART control codes of the standard disk driver, for "ata" drives.
const DeviceModel& AtaDriverModel();
// The miniport SMART requests of a SCSI port driver, for "scsi-miniport" drives.
const DeviceModel& ScsiMiniportModel();
// USB enclosures: the SCSI pass-through in each bridge chip's CDB dialect.
const DeviceModel& UsbBridgeModel();
// A Silicon Image controller's IDENTIFY request and its disks' failure prediction.
const DeviceModel& SiliconImageModel();
// A CSMI RAID driver: driver, RAID and PHY information and the STP pass-through.
const DeviceModel& CsmiModel();
// The NVMe routes: the storage query of the system's NVMe driver, the Samsung driver's
// security-protocol commands and the Intel miniport's pass-through.
const DeviceModel& NvmeStorageQueryModel();
const DeviceModel& NvmeSamsungModel();
const DeviceModel& NvmeIntelModel();
// Geometry, layout, length, lock, storage descriptor and SCSI address of any physical drive.
const DeviceModel& DiskClassModel();
// Extents and length of a volume ("\\.\C:").
const DeviceModel& VolumeModel();

}  // namespace platform::sim
