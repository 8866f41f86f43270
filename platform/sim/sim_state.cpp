#include "platform/sim/sim_state.h"

#include <algorithm>

#include "platform/ioctl.h"

namespace platform::sim {

bool SimDrive::Gone() const {
    const FaultSpec& faults = config->faults;
    return faults.gone || (faults.goneAfterRequests && requests >= *faults.goneAfterRequests);
}

void SimDrive::Closed(HANDLE handle, DWORD access) {
    if (lockedBy == handle) lockedBy = nullptr;
    if (access & GENERIC_WRITE) --writeHandles;
    if (writeHandles == 0 && !lockedBy) image->ReleaseWriting();
}

SimDrive* SimState::DriveByNumber(uint32_t physicalDrive) {
    const auto found = std::find_if(drives.begin(), drives.end(), [&](const SimDrive& drive) {
        return drive.config->physicalDrive == physicalDrive;
    });
    return found == drives.end() ? nullptr : &*found;
}

const VolumeSpec* SimState::Volume(wchar_t letter) const {
    const auto found =
        std::find_if(machine.volumes.begin(), machine.volumes.end(),
                     [&](const VolumeSpec& volume) { return volume.letter == letter; });
    return found == machine.volumes.end() ? nullptr : &*found;
}

std::vector<SimState::Extent> SimState::VolumeExtents(const VolumeSpec& volume) const {
    std::vector<Extent> extents;
    for (const ExtentSpec& config : volume.extents) {
        const auto drive =
            std::find_if(drives.begin(), drives.end(), [&](const SimDrive& candidate) {
                return candidate.config->physicalDrive == config.drive;
            });
        if (drive == drives.end()) continue;
        const PartitionTable table = ReadPartitionTable(*drive->image);
        if (const TableEntry* entry = table.Find(config.partition))
            extents.push_back(
                {config.drive, entry->startLba * kSectorSize, entry->sectorCount * kSectorSize});
    }
    return extents;
}

}  // namespace platform::sim
