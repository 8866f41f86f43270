// One disk as the management disk class (Win32_DiskDrive) describes it, and what that view
// adds to the record of a disk the probe recorded: the interface decoration, the enclosure's
// USB name and ids, the size when the identification's looks wrong, and the model check.
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "disk/controller_map.h"
#include "disk/drive_record.h"
#include "platform/wmi.h"

namespace disk {

struct WmiDisk {
    // Each empty when absent or null. mediaType is lower-cased, pnpDeviceId upper-cased.
    std::wstring size, deviceId, model, firmware, mediaType, interfaceType, pnpDeviceId;
    int32_t scsiPort = -1, scsiTargetId = -1, scsiBus = -1;  // -1 when absent or null
};

// Reads the properties, logging the ones support needs to see.
WmiDisk ReadWmiDisk(const platform::WmiObject& object);

// The interface the management view tells (INTERFACE_TYPE_UASP, _NVME, _IEEE1394, _USB), or
// INTERFACE_TYPE_UNKNOWN for an ATA disk; logged.
InterfaceType WmiInterfaceOf(const WmiDisk& disk, bool uasp);

// Completes the record of a disk the probe recorded from its management view; interfaceType
// is what WmiInterfaceOf gave. False when the record has no model and must be removed.
bool CompleteFromWmi(const WmiDisk& disk, InterfaceType interfaceType,
                     std::span<const UsbDevice> usbDevices, DriveRecord& record);

}  // namespace disk
