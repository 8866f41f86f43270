#include "platform/linux/device_inventory.h"

#include <algorithm>
#include <cstdio>
#include <map>
#include <optional>
#include <sstream>

#include "base/utf8.h"
#include "platform/linux/sysfs_text.h"

namespace platform::linux_backend {

namespace {

const std::string kPciDevices = "/sys/bus/pci/devices";

struct PciFunction {
    std::string path, address;
    uint32_t vendor = 0, device = 0, subVendor = 0, subDevice = 0, revision = 0, klass = 0;
};

// PCI class codes (base, sub-class, programming interface).
constexpr uint32_t kClassIde = 0x0101, kClassSata = 0x0106, kClassNvme = 0x0108;
constexpr uint32_t kClassStorage = 0x01, kClassUsbHost = 0x0C03;
constexpr uint32_t kProgIfAhci = 0x01;

struct KnownName {
    uint32_t subClass;  // base class and sub-class
    std::optional<uint32_t> progIf;
    inventory::ControllerClass klass;
    // The name the system's own driver gives such a controller; empty: from the id database.
    const wchar_t* driverName;
};
constexpr KnownName kControllerKinds[] = {
    {kClassSata, kProgIfAhci, inventory::ControllerClass::Ide, L"Standard SATA AHCI Controller"},
    {kClassSata, std::nullopt, inventory::ControllerClass::Ide, nullptr},
    {kClassIde, std::nullopt, inventory::ControllerClass::Ide, nullptr},
    {kClassNvme, std::nullopt, inventory::ControllerClass::Scsi,
     L"Standard NVM Express Controller"},
    {kClassUsbHost, std::nullopt, inventory::ControllerClass::Usb, nullptr},
};

std::wstring Wide(const std::string& text) {
    return FromUtf8(text);
}

std::string Hex(const char* format, uint32_t a, uint32_t b = 0, uint32_t c = 0, uint32_t d = 0,
                uint32_t e = 0) {
    char text[96];
    std::snprintf(text, sizeof text, format, a, b, c, d, e);
    return text;
}

// Device ids use "_" for spaces and drop what would end the id's parts.
std::string IdPart(std::string text, size_t limit) {
    text = std::string(TrimText(text));
    if (text.size() > limit) text.resize(limit);
    for (char& c : text)
        if (c == ' ' || c == '\\' || c == '&') c = '_';
    return text;
}

// "vvvv  Vendor" / "\tdddd  Device" lines of pci.ids or usb.ids.
class IdDatabase {
  public:
    IdDatabase(KernelIo& kernel, std::initializer_list<const char*> paths) {
        for (const char* path : paths)
            if (auto text = kernel.ReadText(path)) {
                text_ = std::move(*text);
                break;
            }
    }
    std::string Name(uint32_t vendor, uint32_t device) const {
        const std::string vendorKey = Hex("%04x", vendor), deviceKey = Hex("%04x", device);
        std::istringstream lines(text_);
        std::string vendorName;
        for (std::string line; std::getline(lines, line);) {
            if (line.empty() || line[0] == '#') continue;
            if (line[0] != '\t') {
                if (!vendorName.empty() || line.starts_with("C ")) break;
                if (line.starts_with(vendorKey + "  ")) vendorName = line.substr(6);
                continue;
            }
            if (!vendorName.empty() && line.size() > 7 && line[1] != '\t' &&
                line.compare(1, 4, deviceKey) == 0 && line.compare(5, 2, "  ") == 0)
                return vendorName + " " + line.substr(7);
        }
        return vendorName;
    }

  private:
    std::string text_;
};

PciFunction ReadPci(KernelIo& kernel, const std::string& path) {
    PciFunction pci;
    pci.path = path;
    pci.address = LastComponent(path);
    const auto number = [&](const char* name) {
        return static_cast<uint32_t>(ReadNumber(kernel, path + "/" + name, 16).value_or(0));
    };
    pci.vendor = number("vendor");
    pci.device = number("device");
    pci.subVendor = number("subsystem_vendor");
    pci.subDevice = number("subsystem_device");
    pci.revision = number("revision");
    pci.klass = number("class");
    return pci;
}

std::wstring PciDeviceId(const PciFunction& pci) {
    return Wide(Hex("PCI\\VEN_%04X&DEV_%04X&SUBSYS_%04X%04X&REV_%02X\\", pci.vendor, pci.device,
                    pci.subDevice, pci.subVendor, pci.revision) +
                pci.address);
}

std::wstring UsbDeviceId(const UsbFacts& usb) {
    return Wide(Hex("USB\\VID_%04X&PID_%04X\\", usb.vendorId, usb.productId) +
                IdPart(usb.serial.empty() ? LastComponent(usb.sysPath) : usb.serial, 64));
}

const KnownName* KindOf(const PciFunction& pci) {
    const uint32_t subClass = pci.klass >> 8, progIf = pci.klass & 0xFF;
    for (const KnownName& kind : kControllerKinds)
        if (kind.subClass == subClass && (!kind.progIf || *kind.progIf == progIf)) return &kind;
    return nullptr;
}

PcieLink ReadLink(KernelIo& kernel, const std::string& path) {
    const auto width = [&](const char* name) {
        return static_cast<uint32_t>(ReadNumber(kernel, path + "/" + name).value_or(0));
    };
    return {PcieGeneration(ReadAttribute(kernel, path + "/max_link_speed")),
            width("max_link_width"),
            PcieGeneration(ReadAttribute(kernel, path + "/current_link_speed")),
            width("current_link_width")};
}

std::wstring DiskModel(const BlockDisk& disk) {
    if (disk.usb)
        return Wide(std::string(TrimText(disk.vendor + " " + disk.model)) + " USB Device");
    return Wide(disk.model);
}

inventory::Properties DiskObject(const BlockDisk& disk, size_t number) {
    const bool ata = !disk.usb && disk.kind == BlockDisk::Kind::Scsi && disk.vendor == "ATA";
    const std::wstring media = disk.usb         ? L"External hard disk media"
                               : disk.removable ? L"Removable Media"
                                                : L"Fixed hard disk media";
    return {
        {L"Model", DiskModel(disk)},
        {L"Caption", DiskModel(disk)},
        {L"DeviceID", L"\\\\.\\PHYSICALDRIVE" + std::to_wstring(number)},
        {L"Index", static_cast<int64_t>(number)},
        {L"MediaType", media},
        {L"InterfaceType", disk.usb ? L"USB"
                           : ata    ? L"IDE"
                                    : L"SCSI"},
        {L"PNPDeviceID", DiskPnpId(disk)},
        {L"Size", std::to_wstring(disk.sizeBytes)},
        {L"FirmwareRevision", Wide(disk.revision)},
        {L"SerialNumber", Wide(disk.serial)},
        {L"SCSIPort", static_cast<int64_t>(disk.hctl[0])},
        {L"SCSIBus", static_cast<int64_t>(disk.hctl[1])},
        {L"SCSITargetId", static_cast<int64_t>(disk.hctl[2])},
        {L"SCSILogicalUnit", static_cast<int64_t>(disk.hctl[3])},
        {L"Status", std::wstring(L"OK")},
    };
}

}  // namespace

uint32_t PcieGeneration(std::string_view sysfsSpeed) {
    struct Speed {
        std::string_view prefix;
        uint32_t generation;
    };
    static constexpr Speed kSpeeds[] = {{"2.5 GT/s", 1},  {"5.0 GT/s", 2},  {"5 GT/s", 2},
                                        {"8.0 GT/s", 3},  {"8 GT/s", 3},    {"16.0 GT/s", 4},
                                        {"16 GT/s", 4},   {"32.0 GT/s", 5}, {"32 GT/s", 5},
                                        {"64.0 GT/s", 6}, {"64 GT/s", 6}};
    sysfsSpeed = TrimText(sysfsSpeed);
    for (const Speed& speed : kSpeeds)
        if (sysfsSpeed.starts_with(speed.prefix)) return speed.generation;
    return 0;
}

std::wstring DiskPnpId(const BlockDisk& disk) {
    if (disk.usb)
        return Wide("USBSTOR\\DISK&VEN_" + IdPart(disk.vendor, 8) + "&PROD_" +
                    IdPart(disk.model, 16) + "&REV_" + IdPart(disk.revision, 4) + "\\" +
                    IdPart(disk.usb->serial.empty() ? disk.name : disk.usb->serial, 64) + "&0");
    const std::string instance =
        disk.kind == BlockDisk::Kind::Nvme
            ? Hex("%u&%u", disk.nvmeController, disk.nvmeNamespace)
            : Hex("%u&%u&%u&%u", disk.hctl[0], disk.hctl[1], disk.hctl[2], disk.hctl[3]);
    const std::string vendor = disk.vendor == "ATA" ? "" : disk.vendor;
    return Wide("SCSI\\DISK&VEN_" + IdPart(vendor, 8) + "&PROD_" + IdPart(disk.model, 40) + "\\" +
                instance);
}

inventory::Inventory BuildDeviceInventory(KernelIo& kernel, const std::vector<BlockDisk>& disks) {
    inventory::Inventory machine;
    const IdDatabase pciIds(kernel, {"/usr/share/misc/pci.ids", "/usr/share/hwdata/pci.ids"});
    const IdDatabase usbIds(kernel, {"/var/lib/usbutils/usb.ids", "/usr/share/misc/usb.ids",
                                     "/usr/share/hwdata/usb.ids"});
    std::vector<std::string> functions = kernel.ListDirectory(kPciDevices);
    std::sort(functions.begin(), functions.end());
    for (const std::string& address : functions) {
        const std::string path =
            kernel.Resolve(kPciDevices + "/" + address).value_or(kPciDevices + "/" + address);
        const PciFunction pci = ReadPci(kernel, path);
        const KnownName* kind = KindOf(pci);
        if (!kind && (pci.klass >> 16) != kClassStorage) continue;
        inventory::Controller controller;
        controller.klass = kind ? kind->klass : inventory::ControllerClass::Scsi;
        std::string name = pciIds.Name(pci.vendor, pci.device);
        if (name.empty()) name = Hex("PCI controller %04X:%04X", pci.vendor, pci.device);
        controller.name = kind && kind->driverName ? kind->driverName : Wide(name);
        controller.deviceId = PciDeviceId(pci);
        controller.pcieLink = ReadLink(kernel, path);
        for (const BlockDisk& disk : disks) {
            if (disk.pciFunction != path) continue;
            const std::wstring model = DiskModel(disk);
            if (controller.klass == inventory::ControllerClass::Usb && disk.usb) {
                // The enclosure's USB device comes first, its disk right after it.
                std::string product = disk.usb->product;
                if (product.empty()) product = usbIds.Name(disk.usb->vendorId, disk.usb->productId);
                if (product.empty()) product = "USB Mass Storage Device";
                controller.devices.push_back({UsbDeviceId(*disk.usb), Wide(product)});
                controller.devices.push_back({DiskPnpId(disk), model});
            } else if (!disk.usb) {
                controller.devices.push_back({DiskPnpId(disk), model});
            }
        }
        machine.controllers.push_back(std::move(controller));
    }
    for (size_t number = 0; number < disks.size(); ++number)
        machine.disks.push_back({DiskObject(disks[number], number), std::nullopt});
    return machine;
}

}  // namespace platform::linux_backend
