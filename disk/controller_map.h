// The storage controllers of the machine as management instrumentation lists them, and the
// devices below each: which disks sit behind a UASP bridge, a Silicon Image controller (and
// which chip), or a controller whose disks are not to be probed; which USB ids each enclosure
// has; and three machine-wide facts (an NVIDIA, a Marvell and an AHCI controller).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/wmi.h"

namespace disk {

struct SiliconImageDevice {
    std::wstring pnpDeviceId;
    int32_t type = 0;  // the chip number, e.g. 3112 or 3132; 0 when the name gave none
};

struct UsbDevice {
    std::wstring name;
    int32_t vendorId = 0;
    int32_t productId = 0;
};

struct ControllerMap {
    // Each list keeps its first entries only.
    static constexpr size_t kMaxEntries = 40;

    std::vector<std::wstring> uaspDevices;  // PNP device ids below UASP controllers
    std::vector<SiliconImageDevice> siliconImageDevices;
    std::vector<std::wstring> blackListedDevices;  // below controllers not to be probed
    std::vector<UsbDevice> usbDevices;
    // One entry per controller (its line and its device lines), for the log.
    std::vector<std::wstring> controllerText;
    bool nvidiaControllerFound = false;
    bool marvellControllerFound = false;
    // The IDE controller listed last runs in AHCI mode. The engine's map (CAtaSmart::Controllers)
    // is where the disk information page and the command line read it from.
    bool ahciMode = false;
};

// Builds the map through a connection to root\cimv2, logging each class as it is done.
// scsiScan: SCSI ports are probed directly this run, so no controller is black
// listed. A failed query or walk leaves the map as far as it got.
ControllerMap BuildControllerMap(platform::WmiServices& services, bool scsiScan);

// The chip number a SCSI controller's name gives, 0 for none: "Silicon Image SiI 3132 ..."
// reads the number after the prefix, and two BUFFALO cards carry known chips.
int32_t SiliconImageTypeOf(const std::wstring& controllerName);

// The USB ids in a device id such as "USB\VID_152D&PID_2338\..." (0 where absent).
UsbDevice UsbIdsOf(const std::wstring& deviceId);

}  // namespace disk
