// The readers of a machine description's sections, one file each, which the loader puts
// together. Each reads one JSON value and throws MachineError at its first problem.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "platform/sim/json_reader.h"
#include "platform/sim/machine.h"
#include "platform/sim/machine_names.h"
#include "platform/wmi.h"

namespace platform::sim {

OsSpec ReadOs(const Field& field);
ControllerSpec ReadController(const Field& field);

// The drive at `index` of the list; a relative image path is taken from `baseFolder`, and the
// machine's name seeds what its layout leaves out.
DriveSpec ReadDrive(const Field& field, size_t index, const std::filesystem::path& baseFolder,
                    const std::string& machineName);

// A drive's pages: its Win32_DiskDrive properties, IDENTIFY (`driveSectors` when it does not
// say), the SMART pages and the NVMe pages.
std::vector<std::pair<std::wstring, WmiValue>> ReadWmiDisk(const Field& field);
Page ReadIdentify(const Field& field, uint64_t driveSectors);
SmartSpec ReadSmart(const Field& field);
NvmeSpec ReadNvme(const Field& field);

// The table written into a new image of `sectors` sectors; `seed` derives the identifiers
// the file leaves out.
LayoutSpec ReadLayout(const Field& field, uint64_t sectors, const std::string& seed);
FaultSpec ReadFaults(const Field& field);

// A volume whose extents name drives of `drives`.
VolumeSpec ReadVolume(const Field& field, const std::vector<DriveSpec>& drives);

}  // namespace platform::sim
