// The drive engine: the inventory of the machine's disks. Init connects to management
// instrumentation, maps the storage controllers, wakes the disks, lists them through the
// management disk class and then directly by physical drive number, probes each one through
// the command routes in a fixed order, records every disk that answers, sorts the list and
// maps the drive letters. Every Init rebuilds the list from nothing.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "disk/controller_map.h"
#include "disk/drive_record.h"
#include "disk/route_table.h"
#include "disk/wmi_disk.h"
#include "platform/win_types.h"

namespace disk {

// The USB bridge vendors the probe tells apart (the names are those of its log lines).
inline constexpr int32_t USB_VENDOR_IO_DATA = 0x04BB;
inline constexpr int32_t USB_VENDOR_LOGITEC = 0x0789;
inline constexpr int32_t USB_VENDOR_JMICRON = 0x152D;
inline constexpr int32_t USB_VENDOR_SUNPLUS = 0x04FC;
inline constexpr int32_t USB_VENDOR_CYPRESS = 0x04B4;
inline constexpr int32_t USB_VENDOR_INITIO = 0x13FD;
inline constexpr int32_t USB_VENDOR_OXFORD = 0x0928;

// The vendor id the direct pass gives a disk whose bus is USB but whose enclosure is unknown.
inline constexpr int32_t USB_VENDOR_UNKNOWN = 0xFFFF;

// What the pass that found a disk knows about it besides its address; it decides which routes
// the probe tries, and in which order.
struct ProbeHints {
    InterfaceType interfaceType = InterfaceType::INTERFACE_TYPE_UNKNOWN;
    // The enclosure's ids, for a disk on a USB bridge; 0 when unknown.
    int32_t usbVendorId = 0;
    int32_t usbProductId = 0;
    // The machine has a controller of these makers, whose disks may answer only through the
    // SCSI miniport.
    bool nvidiaControllerFound = false;
    bool marvellControllerFound = false;
};

class CAtaSmart {
  public:
    // Physical drive numbers the wake-up and direct passes try.
    static constexpr int32_t kMaxPhysicalDrive = 55;
    // SCSI ports (and targets per port) the CSMI discovery and the SCSI scan try.
    static constexpr int32_t kMaxScsiPort = 15;
    static constexpr int32_t kMaxScsiTarget = 7;

    // Reads the OS version and sets the transport flags and the switches.
    CAtaSmart();
    CAtaSmart(const CAtaSmart&) = delete;
    CAtaSmart& operator=(const CAtaSmart&) = delete;

    // The whole inventory. Nothing is reported: every problem ends one step or skips one disk
    // and shows only in the log.
    void Init();

    // Probes the disk at `address` through the routes its hints call for and records it when
    // one answers IDENTIFY. The address's target is set by each route tried.
    bool GetDiskInfo(const DriveAddress& address, const ProbeHints& hints);

    // Turns an IDENTIFY answer into a record at `address`, reads its SMART pages and appends
    // it; a drive already listed is replaced or refused. False when the drive was refused.
    bool AddDisk(CommandType commandType, const DriveAddress& address, const AtaPage& identify);

    // Records an NVMe drive that answered IDENTIFY CONTROLLER through `route`.
    bool AddDiskNVMe(CommandType commandType, NvmeRoute& route, const DriveAddress& address,
                     const AtaPage& identify);

    // Spins a sleeping drive up by reading its first sector.
    void WakeUp(int32_t physicalDriveId);

    // The Windows name with the processor width, for display.
    std::wstring GetOsName() const;

    DriveList vars;
    // Physical drive numbers of the disks this inventory found but could not record: none of
    // the routes tried answered. A health report names them rather than leaving them out.
    std::vector<int32_t> UnansweredDrives;
    platform::OSVERSIONINFOEXW OsVersion{};
    bool AtaPassThroughAvailable = false;
    bool StorageQueryAvailable = false;
    bool WmiAvailable = false;
    platform::DWORD LastUpdateTick = 0;

    // Settings a run keeps. ScsiScan: probe SCSI ports and targets directly too, and relax
    // some checks. ExcludeSamsungHd: leave out two Samsung disk models whose firmware hangs
    // on the probe. IncludeRemovable: probe disks with removable media and map their
    // letters. CsmiEnabled: 0 no RAID discovery, 1 every PHY, 2 RAID members only.
    bool ScsiScan = false;
    bool ExcludeSamsungHd = true;
    bool IncludeRemovable = false;
    int32_t CsmiEnabled = 1;
    // One switch per USB bridge route, indexed by UsbBridgeIndex(CommandType).
    std::array<bool, kUsbBridgeCount> UsbSatEnabled{};

    // Found by the controller map of the latest run.
    bool NvidiaControllerFound = false;
    bool MarvellControllerFound = false;
    ControllerMap Controllers;

    // The volume-space pass that ends every inventory: it measures record `index` of `vars`.
    // It belongs to the migration code, which builds on this engine, so its owner plugs it in;
    // unset, the records keep the space figures of the identification.
    std::function<void(CAtaSmart& engine, int32_t index)> updateDiskSpace;

  private:
    void ReadSystemFacts();
    SystemRoutes Routes() const;
    void WakeUpFixedDisks();
    void ScanCsmiPorts();
    void ScanWmiDisks(platform::WmiServices& services);
    void AddWmiDisk(const WmiDisk& disk);
    void ScanPhysicalDrives();
    void ScanScsiPorts();
    bool IsRecorded(int32_t physicalDriveId) const;
    // Keeps in UnansweredDrives only the numbers no pass recorded, each once, in order.
    void SettleUnansweredDrives();

    // Removable volumes count in the drive-letter mapping of this run.
    bool removableLettersCount_ = false;
};

}  // namespace disk
