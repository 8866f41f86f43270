// Probing one disk: which routes are tried, in which order, is decided by the disk's interface
// and, for a USB enclosure, by its vendor; the first route whose IDENTIFY answers records it.
#include <optional>
#include <span>

#include "base/log.h"
#include "disk/ata_smart.h"

namespace disk {

using enum CommandType;
using enum InterfaceType;

namespace {

// One IDENTIFY attempt through a USB bridge route, and the line logged when it answers.
struct BridgeTry {
    CommandType commandType;
    uint8_t target;
    const wchar_t* addLog;
};

constexpr uint8_t A0 = TARGET_FIRST_DEVICE;
constexpr uint8_t B0 = TARGET_SECOND_DEVICE;

constexpr BridgeTry kIoDataTries[] = {
    {CMD_TYPE_IO_DATA, A0, L"AddDisk - USB2"},
    {CMD_TYPE_IO_DATA, B0, L"AddDisk - USB3"},
};
constexpr BridgeTry kJmicronTries[] = {
    {CMD_TYPE_JMICRON, A0, L"AddDisk - USB0A"},
    {CMD_TYPE_SAT, A0, L"AddDisk - USB1A"},
    {CMD_TYPE_JMICRON, B0, L"AddDisk - USB0B"},
    {CMD_TYPE_SAT, B0, L"AddDisk - USB1B"},
};
constexpr BridgeTry kSunplusTries[] = {
    {CMD_TYPE_SUNPLUS, A0, L"AddDisk - USB4"},
    {CMD_TYPE_SUNPLUS, B0, L"AddDisk - USB5"},
};
constexpr BridgeTry kCypressTries[] = {
    {CMD_TYPE_CYPRESS, A0, L"AddDisk - USB6"},
    {CMD_TYPE_CYPRESS, B0, L"AddDisk - USB7"},
};
constexpr BridgeTry kSatTries[] = {
    {CMD_TYPE_SAT, A0, L"AddDisk - USB8"},
    {CMD_TYPE_SAT, B0, L"AddDisk - USB9"},
};
// Every bridge type in turn, for enclosures of unknown make and disks of other buses.
constexpr BridgeTry kGenericTries[] = {
    {CMD_TYPE_SAT, A0, L"AddDisk - USB10"},      {CMD_TYPE_JMICRON, A0, L"AddDisk - USB11"},
    {CMD_TYPE_SUNPLUS, A0, L"AddDisk - USB12"},  {CMD_TYPE_CYPRESS, A0, L"AddDisk - USB13"},
    {CMD_TYPE_LOGITEC1, A0, L"AddDisk - USB14"}, {CMD_TYPE_LOGITEC2, A0, L"AddDisk - USB14"},
    {CMD_TYPE_SAT, B0, L"AddDisk - USB15"},      {CMD_TYPE_JMICRON, B0, L"AddDisk - USB16"},
    {CMD_TYPE_SUNPLUS, B0, L"AddDisk - USB17"},  {CMD_TYPE_CYPRESS, B0, L"AddDisk - USB18"},
    {CMD_TYPE_LOGITEC1, B0, L"AddDisk - USB19"}, {CMD_TYPE_LOGITEC2, B0, L"AddDisk - USB20"},
};

// What an enclosure vendor's branch does when none of its own tries answers.
enum class Otherwise { GenericChain, Refuse };

struct VendorBranch {
    bool (*matches)(int32_t vendorId, int32_t productId);
    const wchar_t* log;
    std::span<const BridgeTry> tries;
    Otherwise otherwise;
    const wchar_t* refuseLog;  // may be null
};

constexpr VendorBranch kVendorBranches[] = {
    // This Logitec enclosure does not survive the probe.
    {[](int32_t v, int32_t p) { return v == USB_VENDOR_LOGITEC && p == 0x00D9; },
     L"FALSE: usbVendorId == USB_VENDOR_LOGITEC && productId == 0x00D9",
     {},
     Otherwise::Refuse,
     nullptr},
    {[](int32_t v, int32_t p) { return v == USB_VENDOR_IO_DATA && p != 0x0122; },
     L"usbVendorId == USB_VENDOR_IO_DATA", kIoDataTries, Otherwise::GenericChain, nullptr},
    // IO-DATA's product 0x0122 carries a JMicron bridge.
    {[](int32_t v, int32_t p) {
         return (v == USB_VENDOR_IO_DATA && p == 0x0122) || v == USB_VENDOR_JMICRON;
     },
     L"(usbVendorId == USB_VENDOR_IO_DATA && productId == 0x0122) || usbVendorId == "
     L"USB_VENDOR_JMICRON",
     kJmicronTries, Otherwise::Refuse, L"FALSE - USB0"},
    {[](int32_t v, int32_t) { return v == USB_VENDOR_SUNPLUS; },
     L"usbVendorId == USB_VENDOR_SUNPLUS", kSunplusTries, Otherwise::Refuse, nullptr},
    {[](int32_t v, int32_t) { return v == USB_VENDOR_CYPRESS; },
     L"usbVendorId == USB_VENDOR_CYPRESS", kCypressTries, Otherwise::Refuse, nullptr},
    {[](int32_t v, int32_t) { return v == USB_VENDOR_INITIO || v == USB_VENDOR_OXFORD; },
     L"usbVendorId == USB_VENDOR_INITIO || usbVendorId == USB_VENDOR_OXFORD", kSatTries,
     Otherwise::Refuse, nullptr},
};

// The physical-drive route's attempts: the first device, the same after a wake-up, then the
// second device.
struct PdTry {
    uint8_t target;
    bool wakeUpFirst;
    const wchar_t* log;
};
constexpr PdTry kPhysicalDriveTries[] = {
    {A0, false, L"DoIdentifyDevicePd(%d, 0xA0) - 1"},
    {A0, true, L"DoIdentifyDevicePd(%d, 0xA0) - 2"},
    {B0, false, L"DoIdentifyDevicePd(%d, 0xB0) - 3"},
};

// The NVMe routes in the order they are tried, and their log lines.
struct NvmeTry {
    CommandType commandType;
    bool needsStorageQuery;
    const wchar_t* identifyLog;
    const wchar_t* addLog;
};
constexpr NvmeTry kNvmeTries[] = {
    {CMD_TYPE_NVME_STORAGE_QUERY, true, L"DoIdentifyDeviceNVMeStorageQuery",
     L"AddDiskNVMe - CMD_TYPE_NVME_STORAGE_QUERY"},
    {CMD_TYPE_NVME_SAMSUNG, false, L"DoIdentifyDeviceNVMeSamsung",
     L"AddDiskNVMe - CMD_TYPE_NVME_SAMSUNG"},
    {CMD_TYPE_NVME_INTEL, false, L"DoIdentifyDeviceNVMeIntel",
     L"AddDiskNVMe - CMD_TYPE_NVME_INTEL"},
};

bool IsAtaAttached(InterfaceType interfaceType) {
    return interfaceType == INTERFACE_TYPE_UNKNOWN || interfaceType == INTERFACE_TYPE_PATA ||
           interfaceType == INTERFACE_TYPE_SATA;
}

}  // namespace

bool CAtaSmart::GetDiskInfo(const DriveAddress& found, const ProbeHints& hints) {
    WriteLog(L"GetDiskInfo");
    if (vars.IsFull()) {
        WriteLog(L"GetDiskInfo - FALSE0");
        return false;
    }
    const int32_t physicalDriveId = found.physicalDriveId;
    if (physicalDriveId >= 0 && IsRecorded(physicalDriveId)) {
        WriteLog(L"GetDiskInfo - FALSE1");
        return false;
    }

    DriveAddress address = found;
    AtaPage identify{};
    const auto identifyThrough = [&](CommandType commandType, uint8_t target) {
        address.target = target;
        return IdentifyThroughRoute(commandType, address, Routes(), identify);
    };
    const auto add = [&](CommandType commandType, uint8_t target) {
        address.target = target;
        return AddDisk(commandType, address, identify);
    };
    const int32_t scsiPort = found.scsiPort, scsiTargetId = found.scsiTargetId;
    const bool scsiAddressed = scsiPort >= 0 && scsiTargetId >= 0;

    if (IsAtaAttached(hints.interfaceType)) {
        if (found.siliconImageType != 0) {
            WakeUp(physicalDriveId);
            WriteLog(L"physicalDriveId=%d, scsiPort=%d, scsiBus=%d, scsiTargetId=%d",
                     physicalDriveId, scsiPort, found.scsiBus, scsiTargetId);
            if (identifyThrough(CMD_TYPE_SILICON_IMAGE, A0)) {
                WriteLog(L"AddDisk - Si");
                return add(CMD_TYPE_SILICON_IMAGE, A0);
            }
        }
        if (physicalDriveId < 0) {
            WriteLog(L"DoIdentifyDeviceScsi(%d, %d) - 7", scsiPort, scsiTargetId);
            if (!scsiAddressed || !identifyThrough(CMD_TYPE_SCSI_MINIPORT, A0)) return false;
            WriteLog(L"AddDisk(%d, %d, %d) - 8", physicalDriveId, scsiPort, scsiTargetId);
            return add(CMD_TYPE_SCSI_MINIPORT, A0);
        }
        for (const PdTry& attempt : kPhysicalDriveTries) {
            if (attempt.wakeUpFirst) {
                WriteLog(L"WakeUp(%d)", physicalDriveId);
                WakeUp(physicalDriveId);
            }
            WriteLog(attempt.log, physicalDriveId);
            if (identifyThrough(CMD_TYPE_PHYSICAL_DRIVE, attempt.target)) {
                WriteLog(L"AddDisk(%d, %d, %d) - 6", physicalDriveId, scsiPort, scsiTargetId);
                // Later commands address the first device, whichever select value answered.
                return add(CMD_TYPE_PHYSICAL_DRIVE, A0);
            }
        }
        WriteLog(L"DoIdentifyDeviceScsi(%d, %d) - 4", scsiPort, scsiTargetId);
        // Only these controllers' disks are known to answer the miniport request instead.
        if (!(hints.nvidiaControllerFound || hints.marvellControllerFound || ScsiScan) ||
            !scsiAddressed || !identifyThrough(CMD_TYPE_SCSI_MINIPORT, A0))
            return false;
        WriteLog(L"AddDisk(%d, %d, %d) - 5", physicalDriveId, scsiPort, scsiTargetId);
        return add(CMD_TYPE_SCSI_MINIPORT, A0);
    }

    if (hints.interfaceType == INTERFACE_TYPE_NVME) {
        for (const NvmeTry& attempt : kNvmeTries) {
            if (attempt.needsStorageQuery && !StorageQueryAvailable) continue;
            WriteLog(L"%ls", attempt.identifyLog);
            const auto open = RouteOf(attempt.commandType).openNvme;
            if (open == nullptr) continue;
            const auto route = open(address, Routes());
            identify.fill(0);
            if (!route->IdentifyController(identify)) continue;
            WriteLog(L"%ls", attempt.addLog);
            return AddDiskNVMe(attempt.commandType, *route, address, identify);
        }
    }

    if (physicalDriveId < 0) return false;
    WakeUp(physicalDriveId);

    // Tries each bridge whose switch is on; the first that answers decides.
    const auto tryBridges = [&](std::span<const BridgeTry> tries) -> std::optional<bool> {
        for (const BridgeTry& attempt : tries) {
            if (!UsbSatEnabled[UsbBridgeIndex(attempt.commandType)]) continue;
            if (!identifyThrough(attempt.commandType, attempt.target)) continue;
            WriteLog(L"%ls", attempt.addLog);
            return add(attempt.commandType, attempt.target);
        }
        return std::nullopt;
    };

    if (hints.interfaceType == INTERFACE_TYPE_USB) {
        for (const VendorBranch& branch : kVendorBranches) {
            if (!branch.matches(hints.usbVendorId, hints.usbProductId)) continue;
            WriteLog(L"%ls", branch.log);
            if (const auto added = tryBridges(branch.tries)) return *added;
            if (branch.otherwise == Otherwise::Refuse) {
                if (branch.refuseLog != nullptr) WriteLog(L"%ls", branch.refuseLog);
                return false;
            }
            break;
        }
    }
    WriteLog(L"else (USB-HDD)");
    return tryBridges(kGenericTries).value_or(false);
}

}  // namespace disk
