// The physical drives of a Linux machine as sysfs shows them: which block devices are whole
// disks worth a physical drive number, in which order, and the facts the storage descriptor,
// the SCSI address and the management objects report about each.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/linux/kernel_io.h"

namespace platform::linux_backend {

struct DeviceNumber {
    uint32_t major = 0, minor = 0;
    auto operator<=>(const DeviceNumber&) const = default;
};

struct BlockPartition {
    std::string name;  // "sda2", "nvme0n1p2"
    uint32_t number = 0;
    uint64_t startSector = 0, sectorCount = 0;  // 512-byte units, as sysfs counts
    DeviceNumber device;
};

struct UsbFacts {
    uint16_t vendorId = 0, productId = 0;
    std::string serial, product;
    std::string sysPath;  // the USB device ("…/usb2/2-1")
};

struct BlockDisk {
    enum class Kind { Scsi, Nvme };
    std::string name;     // "sda", "nvme0n1"
    std::string sysPath;  // resolved sysfs path of the block device
    Kind kind = Kind::Scsi;
    // SCSI address (host, channel, target, lun) of an sd* disk, when sysfs names one.
    std::array<uint32_t, 4> hctl{};
    bool hasHctl = false;
    uint32_t nvmeController = 0, nvmeNamespace = 0;
    std::string vendor, model, revision, serial;
    uint64_t sizeBytes = 0;
    bool removable = false;
    std::optional<UsbFacts> usb;
    // The PCI function of the disk's controller (its sysfs path), empty when there is none.
    std::string pciFunction;
    DeviceNumber device;
    std::vector<BlockPartition> partitions;
};

// sd* and nvme<c>n<n> are physical drives; partitions, loop, ram, zram, dm, md, sr, virtio
// (vd*) and hidden multipath paths (nvme<s>c<c>n<n>) are not.
bool IsPhysicalDiskName(std::string_view name);

// Every physical drive in its stable order: sd* by host:channel:target:lun, then NVMe by
// controller and namespace. The position in this list is the physical drive number.
std::vector<BlockDisk> ListPhysicalDisks(KernelIo& kernel);

// The devices a stacked device (device mapper, software RAID) is built on, from sysfs.
std::vector<DeviceNumber> LowerDevices(KernelIo& kernel, const DeviceNumber& device);

// "8:1\n" -> {8, 1}.
std::optional<DeviceNumber> ParseDeviceNumber(std::string_view text);

}  // namespace platform::linux_backend
