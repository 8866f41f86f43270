// The device models of the simulator, one per kind of device or route. Each lives in its own
// file; DeviceModels() lists them in the order they are asked.
#pragma once

#include "platform/sim/sim_state.h"

namespace platform::sim {

// ATA pass-through and the SMART control codes of the standard disk driver, for "ata" drives.
const DeviceModel& AtaDriverModel();
// Geometry, layout, length, lock, storage descriptor and SCSI address of any physical drive.
const DeviceModel& DiskClassModel();
// Extents and length of a volume ("\\.\C:").
const DeviceModel& VolumeModel();

}  // namespace platform::sim
