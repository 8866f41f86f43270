#include "platform/linux/block_devices.h"

#include <algorithm>
#include <regex>
#include <tuple>

#include "platform/linux/sysfs_text.h"

namespace platform::linux_backend {

namespace {

const std::string kSysBlock = "/sys/block/";

bool IsNvmeNamespaceName(std::string_view name, uint32_t* controller, uint32_t* ns) {
    static const std::regex pattern(R"(nvme(\d+)n(\d+))");
    std::cmatch match;
    if (!std::regex_match(name.begin(), name.end(), match, pattern)) return false;
    if (controller) *controller = static_cast<uint32_t>(ParseNumber(match.str(1)).value_or(0));
    if (ns) *ns = static_cast<uint32_t>(ParseNumber(match.str(2)).value_or(0));
    return true;
}

bool IsScsiDiskName(std::string_view name) {
    return name.size() > 2 && name.starts_with("sd") &&
           std::all_of(name.begin() + 2, name.end(), [](char c) { return c >= 'a' && c <= 'z'; });
}

// "0:0:1:0" -> host, channel, target, lun.
std::optional<std::array<uint32_t, 4>> ParseHctl(const std::string& text) {
    std::array<uint32_t, 4> parts{};
    size_t start = 0;
    for (size_t i = 0; i < 4; ++i) {
        const size_t end = i < 3 ? text.find(':', start) : text.size();
        if (end == std::string::npos) return std::nullopt;
        const auto value = ParseNumber(std::string_view(text).substr(start, end - start));
        if (!value || *value > UINT32_MAX) return std::nullopt;
        parts[i] = static_cast<uint32_t>(*value);
        start = end + 1;
    }
    return parts;
}

bool IsPciAddress(const std::string& name) {
    static const std::regex pattern(R"([0-9a-f]{4,}:[0-9a-f]{2}:[0-9a-f]{2}\.[0-7])");
    return std::regex_match(name, pattern);
}

// Walks from the device's sysfs path towards the root: the first USB device (it has a vendor
// id) and the first PCI function on the way.
void FindAncestors(KernelIo& kernel, BlockDisk& disk) {
    for (std::string path = ParentPath(disk.sysPath); path != "/" && path != "/sys";
         path = ParentPath(path)) {
        if (!disk.usb) {
            if (const auto vendor = ReadNumber(kernel, path + "/idVendor", 16)) {
                UsbFacts usb;
                usb.vendorId = static_cast<uint16_t>(*vendor);
                usb.productId =
                    static_cast<uint16_t>(ReadNumber(kernel, path + "/idProduct", 16).value_or(0));
                usb.serial = ReadAttribute(kernel, path + "/serial");
                usb.product = ReadAttribute(kernel, path + "/product");
                usb.sysPath = path;
                disk.usb = usb;
            }
        }
        if (disk.pciFunction.empty() && IsPciAddress(LastComponent(path))) {
            disk.pciFunction = path;
            return;
        }
    }
}

std::vector<BlockPartition> ListPartitions(KernelIo& kernel, const std::string& disk) {
    std::vector<BlockPartition> partitions;
    for (const std::string& entry : kernel.ListDirectory(kSysBlock + disk)) {
        if (!entry.starts_with(disk)) continue;
        const std::string base = kSysBlock + disk + "/" + entry;
        const auto number = ReadNumber(kernel, base + "/partition");
        if (!number) continue;
        BlockPartition partition;
        partition.name = entry;
        partition.number = static_cast<uint32_t>(*number);
        partition.startSector = ReadNumber(kernel, base + "/start").value_or(0);
        partition.sectorCount = ReadNumber(kernel, base + "/size").value_or(0);
        partition.device =
            ParseDeviceNumber(kernel.ReadText(base + "/dev").value_or("")).value_or(DeviceNumber{});
        partitions.push_back(std::move(partition));
    }
    std::sort(partitions.begin(), partitions.end(),
              [](const BlockPartition& a, const BlockPartition& b) { return a.number < b.number; });
    return partitions;
}

// An ATA string of IDENTIFY DEVICE data: two characters a word, the first in the high byte,
// padded with blanks.
std::string IdentifyText(std::string_view identify, size_t firstWord, size_t words) {
    std::string text;
    for (size_t word = firstWord; word < firstWord + words; ++word) {
        text += identify[2 * word + 1];
        text += identify[2 * word];
    }
    return std::string(TrimText(text.substr(0, text.find('\0'))));
}

// libata answers INQUIRY with only the first 16 characters of the ATA model and 4 of the
// firmware revision, which is what the model and rev attributes show; the ATA Information VPD
// page (89h) holds the whole IDENTIFY DEVICE data, from byte 60.
void ReadAtaNames(KernelIo& kernel, const std::string& base, BlockDisk& disk) {
    constexpr size_t kIdentifyAt = 60, kIdentifySize = 512;
    constexpr uint8_t kAtaInformationPage = 0x89, kIdentifyDevice = 0xEC;
    const auto page = kernel.ReadText(base + "/device/vpd_pg89");
    if (!page || page->size() < kIdentifyAt + kIdentifySize ||
        static_cast<uint8_t>((*page)[1]) != kAtaInformationPage ||
        static_cast<uint8_t>((*page)[56]) != kIdentifyDevice)
        return;
    const std::string_view identify = std::string_view(*page).substr(kIdentifyAt, kIdentifySize);
    if (std::string model = IdentifyText(identify, 27, 20); !model.empty()) disk.model = model;
    if (std::string firmware = IdentifyText(identify, 23, 4); !firmware.empty())
        disk.revision = firmware;
}

BlockDisk ReadDisk(KernelIo& kernel, const std::string& name) {
    BlockDisk disk;
    disk.name = name;
    const std::string base = kSysBlock + name;
    disk.sysPath = kernel.Resolve(base).value_or(base);
    disk.sizeBytes = ReadNumber(kernel, base + "/size").value_or(0) * 512;
    disk.removable = ReadNumber(kernel, base + "/removable").value_or(0) != 0;
    disk.device =
        ParseDeviceNumber(kernel.ReadText(base + "/dev").value_or("")).value_or(DeviceNumber{});
    disk.partitions = ListPartitions(kernel, name);
    if (IsNvmeNamespaceName(name, &disk.nvmeController, &disk.nvmeNamespace)) {
        disk.kind = BlockDisk::Kind::Nvme;
        disk.vendor = "NVMe";
        disk.model = ReadAttribute(kernel, base + "/device/model");
        disk.revision = ReadAttribute(kernel, base + "/device/firmware_rev");
        disk.serial = ReadAttribute(kernel, base + "/device/serial");
    } else {
        disk.vendor = ReadAttribute(kernel, base + "/device/vendor");
        disk.model = ReadAttribute(kernel, base + "/device/model");
        disk.revision = ReadAttribute(kernel, base + "/device/rev");
        if (disk.vendor == "ATA") ReadAtaNames(kernel, base, disk);
        const auto device = kernel.Resolve(base + "/device");
        if (const auto hctl = ParseHctl(LastComponent(device.value_or("")))) {
            disk.hctl = *hctl;
            disk.hasHctl = true;
        }
    }
    FindAncestors(kernel, disk);
    return disk;
}

// sd* by their SCSI address (those without one after them, by name), then NVMe namespaces by
// controller and namespace number.
bool DiskOrder(const BlockDisk& a, const BlockDisk& b) {
    const auto key = [](const BlockDisk& d) {
        return std::make_tuple(d.kind == BlockDisk::Kind::Nvme, !d.hasHctl, d.hctl,
                               d.nvmeController, d.nvmeNamespace, d.name.size(), d.name);
    };
    return key(a) < key(b);
}

}  // namespace

bool IsPhysicalDiskName(std::string_view name) {
    return IsScsiDiskName(name) || IsNvmeNamespaceName(name, nullptr, nullptr);
}

std::optional<DeviceNumber> ParseDeviceNumber(std::string_view text) {
    text = TrimText(text);
    const size_t colon = text.find(':');
    if (colon == std::string_view::npos) return std::nullopt;
    const auto major = ParseNumber(text.substr(0, colon));
    const auto minor = ParseNumber(text.substr(colon + 1));
    if (!major || !minor || *major > UINT32_MAX || *minor > UINT32_MAX) return std::nullopt;
    return DeviceNumber{static_cast<uint32_t>(*major), static_cast<uint32_t>(*minor)};
}

std::vector<DeviceNumber> LowerDevices(KernelIo& kernel, const DeviceNumber& device) {
    std::vector<DeviceNumber> lower;
    const std::string base =
        "/sys/dev/block/" + std::to_string(device.major) + ":" + std::to_string(device.minor);
    for (const std::string& name : kernel.ListDirectory(base + "/slaves"))
        if (const auto number = ParseDeviceNumber(
                kernel.ReadText("/sys/class/block/" + name + "/dev").value_or("")))
            lower.push_back(*number);
    return lower;
}

std::vector<BlockDisk> ListPhysicalDisks(KernelIo& kernel) {
    std::vector<BlockDisk> disks;
    for (const std::string& name : kernel.ListDirectory("/sys/block"))
        if (IsPhysicalDiskName(name)) disks.push_back(ReadDisk(kernel, name));
    std::sort(disks.begin(), disks.end(), DiskOrder);
    return disks;
}

}  // namespace platform::linux_backend
