// The sections of a captured machine, one file each, which CaptureMachine puts together.
#pragma once

#include <vector>

#include "disk/ata_smart.h"
#include "platform/sim/machine.h"
#include "platform/wmi.h"

namespace capture {

// A Win32_DiskDrive object with the properties a machine file states.
using WmiDiskProperties = std::vector<std::pair<std::wstring, platform::WmiValue>>;

platform::sim::OsSpec CaptureOs(const disk::CAtaSmart& engine);

// What root\cimv2 lists, through a connection of the inventory's own kind.
std::vector<platform::sim::ControllerSpec> CaptureControllers(platform::WmiServices& services);
std::vector<WmiDiskProperties> CaptureWmiDisks(platform::WmiServices& services);

// The drive of `record` at position `index`, with its Win32_DiskDrive view when one of `wmiDisks`
// is its own.
platform::sim::DriveSpec CaptureDrive(const disk::DriveRecord& record, size_t index,
                                      const std::vector<WmiDiskProperties>& wmiDisks);

// The fixed and removable volumes, their extents given as partitions of `drives`.
std::vector<platform::sim::VolumeSpec> CaptureVolumes(
    const std::vector<platform::sim::DriveSpec>& drives);

}  // namespace capture
