// What the management service of a machine lists about its storage: the controllers with the
// devices below them and their PCIe link, and the disk drives with their Win32_DiskDrive
// properties and, where the storage driver keeps them, their failure-prediction pages. A
// backend fills it from whatever it knows of the machine; the WQL answers come from it alone.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/platform.h"
#include "platform/wmi.h"

namespace platform::inventory {

enum class ControllerClass { Ide, Scsi, Usb };

struct DeviceRef {
    std::wstring deviceId, name;
};

struct Controller {
    ControllerClass klass = ControllerClass::Ide;
    std::wstring name, deviceId;
    // In the order the controller lists them.
    std::vector<DeviceRef> devices;
    std::optional<PcieLink> pcieLink;
};

using Properties = std::vector<std::pair<std::wstring, WmiValue>>;

// The SMART pages the failure-prediction classes of root\WMI carry.
struct FailurePrediction {
    std::array<uint8_t, 512> data{}, thresholds{};
};

struct DiskDrive {
    // Its Win32_DiskDrive object; PNPDeviceID names it in root\WMI too.
    Properties properties;
    std::optional<FailurePrediction> failurePrediction;
};

struct Inventory {
    std::vector<Controller> controllers;
    std::vector<DiskDrive> disks;
};

// The link of the controller with this device id (any case): zeros for a controller without
// link facts, none when no controller has the id.
std::optional<PcieLink> LinkOf(const std::vector<Controller>& controllers,
                               const std::wstring& deviceId);

}  // namespace platform::inventory
