// What the disk class driver answers for a physical drive, whatever device lies beneath: its
// geometry, its partition layout and its storage device descriptor, each laid out from a
// plain description a backend gives.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/partition_table.h"
#include "platform/win_requests.h"

namespace platform {

// IOCTL_DISK_GET_DRIVE_GEOMETRY, or its extended form with the size: a disk of `diskSize`
// bytes as 255 heads and 63 sectors a track.
DWORD DriveGeometry(ControlRequest& request, uint64_t diskSize, DWORD bytesPerSector,
                    bool removable);

struct LayoutPartition {
    // Slot in the MBR (0..3) or in the GPT entry array.
    uint32_t index = 0;
    uint64_t startLba = 0, sectorCount = 0;
    uint8_t mbrType = 0;
    bool bootable = false;
    GuidBytes typeGuid{}, uniqueGuid{};
    uint64_t attributes = 0;
    // Up to the first zero.
    std::u16string name{};
};

// A partition table as the layout request reports it.
struct DriveLayout {
    DWORD style = PARTITION_STYLE_RAW;
    uint32_t signature = 0;
    GuidBytes diskGuid{};
    uint64_t firstUsableLba = 0, lastUsableLba = 0;
    DWORD maxPartitionCount = 0;
    // The used entries in slot order.
    std::vector<LayoutPartition> partitions;
};

// IOCTL_DISK_GET_DRIVE_LAYOUT_EX: an MBR with all four slots, a GPT with its used entries;
// ERROR_INSUFFICIENT_BUFFER when they do not fit.
DWORD DriveLayoutReply(ControlRequest& request, const DriveLayout& layout, DWORD bytesPerSector);

// What the device descriptor tells of a disk.
struct DeviceDescriptor {
    std::string vendor, product, revision, serial;
    DWORD busType = 0;
    bool removable = false;
};

// The property a storage query asks for; none when the request is too short to hold one.
std::optional<STORAGE_PROPERTY_QUERY> PropertyQuery(const ControlRequest& request);

// IOCTL_STORAGE_QUERY_PROPERTY for the device property: the descriptor with its strings after
// it; a short buffer gets the beginning, so a caller can learn the size it needs.
DWORD DeviceDescriptorQuery(ControlRequest& request, const DeviceDescriptor& device);

}  // namespace platform
