// A simulated machine as its description file states it, after validation: the OS facts,
// storage controllers, drives with their identity pages and images, and volumes.
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "base/host.h"
#include "platform/inventory/inventory.h"
#include "platform/partition_table.h"
#include "platform/platform.h"
#include "platform/wmi.h"

namespace platform::sim {

using Page = std::array<uint8_t, 512>;

enum class WinmgmtState { Running, Startable, Disabled };
enum class WmiState { Ok, LocatorFails, ConnectFails, BlanketFails, QueryFails };

struct OsSpec {
    DWORD major = 10, minor = 0, build = 19045, platformId = 2;
    std::wstring csdVersion;
    WORD servicePackMajor = 0, servicePackMinor = 0;
    // Whether GetVersionExW takes the 284-byte record; old systems take only 276 bytes.
    bool versionInfoEx = true;
    WORD architecture = 9;
    UINT codePage = 1252;
    std::wstring systemDirectory = L"C:\\Windows\\system32";
    WinmgmtState winmgmt = WinmgmtState::Running;
    // Virtual milliseconds from an accepted start request until the service runs.
    DWORD winmgmtStartMs = 0;
    // Whether "sc config Winmgmt start= auto" takes effect.
    bool scConfigWorks = true;
    WmiState wmi = WmiState::Ok;
    std::vector<std::wstring> heldMutexes;
    DWORD tickStart = 1000000;
    LocalTime localTime{2026, 1, 15, 9, 30, 0, 0};
};

// Controllers are stated as the management service lists them.
using DeviceRef = inventory::DeviceRef;
using ControllerClass = inventory::ControllerClass;
using ControllerSpec = inventory::Controller;

enum class Route {
    Ata,
    ScsiMiniport,
    Sat,
    Sunplus,
    IoData,
    Logitec1,
    Logitec2,
    Jmicron,
    Cypress,
    SiliconImage,
    Csmi,
    Wmi,
    NvmeStorageQuery,
    NvmeSamsung,
    NvmeIntel,
};

struct RouteName {
    std::string_view name;
    Route route;
};
inline constexpr RouteName kRouteNames[] = {
    {"ata", Route::Ata},
    {"scsi-miniport", Route::ScsiMiniport},
    {"sat", Route::Sat},
    {"sunplus", Route::Sunplus},
    {"io-data", Route::IoData},
    {"logitec1", Route::Logitec1},
    {"logitec2", Route::Logitec2},
    {"jmicron", Route::Jmicron},
    {"cypress", Route::Cypress},
    {"silicon-image", Route::SiliconImage},
    {"csmi", Route::Csmi},
    {"wmi", Route::Wmi},
    {"nvme-storage-query", Route::NvmeStorageQuery},
    {"nvme-samsung", Route::NvmeSamsung},
    {"nvme-intel", Route::NvmeIntel},
};

bool IsNvmeRoute(Route route);
bool IsUsbBridgeRoute(Route route);

struct AtaSpec {
    bool passThrough = true;
    bool smartIoctl = true;
    // The device select value (0xA0 first device, 0xB0 second) the drive answers to.
    BYTE target = 0xA0;
};

struct ScsiSpec {
    BYTE port = 0, target = 0, bus = 0, lun = 0;
};

struct UsbSpec {
    WORD vid = 0, pid = 0;
};

struct SiliconImageSpec {
    uint32_t chip = 0;
    uint32_t device = 0;
};

struct CsmiSpec {
    uint32_t port = 0, phy = 0;
    uint64_t sasAddress = 0;
    bool raidMember = false;
};

struct SmartSpec {
    Page data{}, thresholds{};
    // SMART answers before ENABLE OPERATIONS.
    bool enabled = true;
    // Listed by the failure-prediction classes of root\WMI.
    bool wmi = true;
};

struct NvmeSpec {
    std::array<uint8_t, 4096> identify{};
    Page health{};
};

// What the storage driver reports in its device descriptor.
struct StorageSpec {
    std::string vendor, product, revision, serial;
    DWORD busType = 0;
};

enum class LayoutStyle { Mbr, Gpt, Raw };

struct PartitionSpec {
    GuidBytes typeGuid{};
    uint8_t mbrType = 0;
    std::u16string name;
    uint64_t startLba = 0, sectorCount = 0;
    bool bootable = false;
    uint64_t attributes = 0;
    GuidBytes uniqueGuid{};
};

struct LayoutSpec {
    LayoutStyle style = LayoutStyle::Raw;
    std::vector<PartitionSpec> partitions;
    GuidBytes diskGuid{};
    uint32_t signature = 0;
};

struct FaultSpec {
    std::optional<uint64_t> readErrorSector, writeErrorSector;
    uint64_t readErrorCount = 1, writeErrorCount = 1;
    // Positioning a handle anywhere in this sector fails with errorCode.
    std::optional<uint64_t> seekErrorSector;
    // The partition layout query fails with this error.
    std::optional<DWORD> layoutError;
    DWORD errorCode = 1117;
    bool writeProtected = false;
    std::optional<DWORD> deleteLayoutError;
    bool lockFails = false;
    bool gone = false;
    // The drive answers this many requests and then is gone.
    std::optional<uint64_t> goneAfterRequests;
    double slowMsPerMiB = 0;
    // Added to slowMsPerMiB for reads and for writes alone.
    double readMsPerMiB = 0, writeMsPerMiB = 0;
    // Writes stay in the drive's cache until a flush; a power cut keeps only some of them.
    bool volatileWriteCache = false;
    // The power fails as the drive takes this write request (counted from 1): the process
    // ends at once with kPowerCutExitStatus, every volatile cache keeping a random subset of
    // its unflushed writes, chosen by powerCutSeed.
    std::optional<uint64_t> powerCutAfterWrites;
    uint64_t powerCutSeed = 1;
    // Flushing the drive's cache fails with this error.
    std::optional<DWORD> flushError;
    // Every write that covers this sector reports success but stores it with one bit flipped.
    std::optional<uint64_t> corruptWriteSector;
};

// The exit status of a process whose simulated power failed.
inline constexpr int kPowerCutExitStatus = 99;

struct DriveSpec {
    // Position in the file's drive list, for messages and image names.
    size_t index = 0;
    std::optional<uint32_t> physicalDrive;
    Route route = Route::Ata;
    AtaSpec ata;
    std::optional<ScsiSpec> scsi;
    std::optional<UsbSpec> usb;
    std::optional<SiliconImageSpec> siliconImage;
    std::optional<CsmiSpec> csmi;
    // Win32_DiskDrive properties; absent when WMI does not list the drive.
    std::optional<std::vector<std::pair<std::wstring, WmiValue>>> wmi;
    std::optional<Page> identify;
    std::optional<SmartSpec> smart;
    std::optional<NvmeSpec> nvme;
    StorageSpec storage;
    bool removableMedia = false;
    uint64_t size = 0;
    std::filesystem::path image;
    std::optional<LayoutSpec> layout;
    FaultSpec faults;
};

struct ExtentSpec {
    uint32_t drive = 0;
    uint32_t partition = 0;
};

struct VolumeSpec {
    wchar_t letter = L'C';
    UINT driveType = 3;
    std::wstring fileSystem, label;
    DWORD serialNumber = 0;
    // Absent: the length of the volume's partitions in the image.
    std::optional<uint64_t> totalBytes;
    uint64_t freeBytes = 0;
    std::vector<ExtentSpec> extents;
};

struct Machine {
    std::string name;
    OsSpec os;
    std::vector<ControllerSpec> controllers;
    std::vector<DriveSpec> drives;
    std::vector<VolumeSpec> volumes;
};

}  // namespace platform::sim
