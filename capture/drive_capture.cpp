// One entry of "drives": the route the inventory reached the drive by, its address, its raw
// pages as the record holds them, and what the disk class driver tells of it (descriptor, SCSI
// address, length and partition table).
#include <algorithm>
#include <cstring>
#include <cwctype>
#include <iterator>
#include <optional>

#include "capture/capture_parts.h"
#include "migration/drive_ops.h"
#include "platform/csmi.h"
#include "platform/ioctl.h"
#include "platform/platform.h"

namespace capture {

namespace {

using disk::CommandType;
using disk::DriveRecord;
using namespace platform;
using platform::sim::DriveSpec;
using platform::sim::LayoutSpec;
using platform::sim::LayoutStyle;
using platform::sim::PartitionSpec;
using platform::sim::Route;

struct RouteOfCommand {
    CommandType command;
    Route route;
};
constexpr RouteOfCommand kRoutes[] = {
    {CommandType::CMD_TYPE_PHYSICAL_DRIVE, Route::Ata},
    {CommandType::CMD_TYPE_SCSI_MINIPORT, Route::ScsiMiniport},
    {CommandType::CMD_TYPE_SILICON_IMAGE, Route::SiliconImage},
    {CommandType::CMD_TYPE_SAT, Route::Sat},
    {CommandType::CMD_TYPE_SUNPLUS, Route::Sunplus},
    {CommandType::CMD_TYPE_IO_DATA, Route::IoData},
    {CommandType::CMD_TYPE_LOGITEC1, Route::Logitec1},
    {CommandType::CMD_TYPE_LOGITEC2, Route::Logitec2},
    {CommandType::CMD_TYPE_JMICRON, Route::Jmicron},
    {CommandType::CMD_TYPE_CYPRESS, Route::Cypress},
    {CommandType::CMD_TYPE_CSMI, Route::Csmi},
    {CommandType::CMD_TYPE_CSMI_PHYSICAL_DRIVE, Route::Csmi},
    {CommandType::CMD_TYPE_WMI, Route::Wmi},
    {CommandType::CMD_TYPE_NVME_SAMSUNG, Route::NvmeSamsung},
    {CommandType::CMD_TYPE_NVME_INTEL, Route::NvmeIntel},
    {CommandType::CMD_TYPE_NVME_STORAGE_QUERY, Route::NvmeStorageQuery},
};

Route MachineRoute(CommandType command) {
    const auto found = std::find_if(std::begin(kRoutes), std::end(kRoutes),
                                    [&](const RouteOfCommand& r) { return r.command == command; });
    return found != std::end(kRoutes) ? found->route : Route::Ata;
}

// An open physical drive, for reading only, closed on every way out.
class DriveHandle {
  public:
    explicit DriveHandle(uint32_t number)
        : handle_(migration::openPhysicalDrive(number, GENERIC_READ)) {}
    ~DriveHandle() {
        if (handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
    }
    DriveHandle(const DriveHandle&) = delete;
    DriveHandle& operator=(const DriveHandle&) = delete;
    bool IsOpen() const { return handle_ != INVALID_HANDLE_VALUE; }

    // The reply of a request without input, zero-filled beyond what came back; none on failure.
    std::optional<std::vector<uint8_t>> Ask(DWORD code, size_t replySize, void* in = nullptr,
                                            DWORD inSize = 0) const {
        std::vector<uint8_t> reply(replySize, 0);
        DWORD returned = 0;
        if (!DeviceIoControl(handle_, code, in, inSize, reply.data(),
                             static_cast<DWORD>(reply.size()), &returned))
            return std::nullopt;
        return reply;
    }

  private:
    HANDLE handle_;
};

template <typename T>
T At(const std::vector<uint8_t>& bytes, size_t offset) {
    T value;
    std::memcpy(&value, bytes.data() + offset, sizeof value);
    return value;
}

std::string DescriptorText(const std::vector<uint8_t>& reply, DWORD offset) {
    std::string text;
    if (offset == 0) return text;
    for (size_t at = offset; at < reply.size() && reply[at] != 0; ++at)
        text += static_cast<char>(reply[at]);
    return text;
}

void CaptureDescriptor(const DriveHandle& drive, DriveSpec* captured) {
    STORAGE_PROPERTY_QUERY query{StorageDeviceProperty, PropertyStandardQuery, {}};
    const auto reply = drive.Ask(IOCTL_STORAGE_QUERY_PROPERTY, 1024, &query, sizeof query);
    if (!reply) return;
    const auto header = At<STORAGE_DEVICE_DESCRIPTOR>(*reply, 0);
    captured->storage.vendor = DescriptorText(*reply, header.VendorIdOffset);
    captured->storage.product = DescriptorText(*reply, header.ProductIdOffset);
    captured->storage.revision = DescriptorText(*reply, header.ProductRevisionOffset);
    captured->storage.serial = DescriptorText(*reply, header.SerialNumberOffset);
    captured->storage.busType = header.BusType;
    captured->removableMedia = header.RemovableMedia != 0;
}

// Written only where it is not the address every drive answers by default.
void CaptureScsiAddress(const DriveHandle& drive, uint32_t number, DriveSpec* captured) {
    const auto reply = drive.Ask(IOCTL_SCSI_GET_ADDRESS, sizeof(SCSI_ADDRESS));
    if (!reply) return;
    const auto address = At<SCSI_ADDRESS>(*reply, 0);
    if (address.PortNumber != 0 || address.TargetId != number || address.PathId != 0 ||
        address.Lun != 0)
        captured->scsi = platform::sim::ScsiSpec{address.PortNumber, address.TargetId,
                                                 address.PathId, address.Lun};
}

// The table as the layout request reports it, its used entries in the order of their start.
std::optional<LayoutSpec> CaptureLayout(const DriveHandle& drive) {
    constexpr size_t kReplySize = kDriveLayoutHeaderSize + 128 * sizeof(PARTITION_INFORMATION_EX);
    const auto reply = drive.Ask(IOCTL_DISK_GET_DRIVE_LAYOUT_EX, kReplySize);
    if (!reply) return std::nullopt;
    const auto header = At<DRIVE_LAYOUT_INFORMATION_EX>(*reply, 0);
    LayoutSpec layout;
    if (header.PartitionStyle == PARTITION_STYLE_GPT) {
        layout.style = LayoutStyle::Gpt;
        std::memcpy(layout.diskGuid.data(), header.Gpt.DiskId, layout.diskGuid.size());
    } else if (header.PartitionStyle == PARTITION_STYLE_MBR) {
        layout.style = LayoutStyle::Mbr;
        layout.signature = header.Mbr.Signature;
    } else {
        return layout;
    }
    const size_t count = std::min<size_t>(header.PartitionCount, 128);
    for (size_t i = 0; i < count; ++i) {
        const auto entry = At<PARTITION_INFORMATION_EX>(
            *reply, kDriveLayoutHeaderSize + i * sizeof(PARTITION_INFORMATION_EX));
        if (entry.PartitionLength <= 0 || entry.StartingOffset <= 0) continue;
        PartitionSpec partition;
        partition.startLba = static_cast<uint64_t>(entry.StartingOffset) / kSectorSize;
        partition.sectorCount = static_cast<uint64_t>(entry.PartitionLength) / kSectorSize;
        if (layout.style == LayoutStyle::Gpt) {
            std::memcpy(partition.typeGuid.data(), entry.Gpt.PartitionType, 16);
            std::memcpy(partition.uniqueGuid.data(), entry.Gpt.PartitionId, 16);
            partition.attributes = entry.Gpt.Attributes;
            for (char16_t c : entry.Gpt.Name) {
                if (c == u'\0') break;
                partition.name += c;
            }
        } else {
            if (entry.Mbr.PartitionType == 0) continue;
            partition.mbrType = entry.Mbr.PartitionType;
            partition.bootable = entry.Mbr.BootIndicator != 0;
        }
        layout.partitions.push_back(partition);
    }
    std::sort(
        layout.partitions.begin(), layout.partitions.end(),
        [](const PartitionSpec& a, const PartitionSpec& b) { return a.startLba < b.startLba; });
    return layout;
}

std::optional<WmiDiskProperties> OwnWmiDisk(const DriveRecord& record,
                                            const std::vector<WmiDiskProperties>& wmiDisks) {
    const auto property = [](const WmiDiskProperties& disk, const wchar_t* name) {
        for (const auto& [key, value] : disk)
            if (key == name) return value;
        return WmiValue();
    };
    for (const WmiDiskProperties& disk : wmiDisks) {
        const WmiValue index = property(disk, L"Index");
        const WmiValue pnp = property(disk, L"PNPDeviceID");
        const bool sameNumber = record.Address.physicalDriveId >= 0 &&
                                std::holds_alternative<int64_t>(index) &&
                                std::get<int64_t>(index) == record.Address.physicalDriveId;
        bool samePnp = false;
        if (const auto* text = std::get_if<std::wstring>(&pnp)) {
            std::wstring upper = *text;
            for (wchar_t& c : upper)
                c = static_cast<wchar_t>(std::towupper(c));
            samePnp = !record.Address.pnpDeviceId.empty() && upper == record.Address.pnpDeviceId;
        }
        if (sameNumber || samePnp) return disk;
    }
    return std::nullopt;
}

uint64_t BigEndian(const BYTE (&bytes)[8]) {
    uint64_t value = 0;
    for (BYTE b : bytes)
        value = value << 8 | b;
    return value;
}

}  // namespace

DriveSpec CaptureDrive(const DriveRecord& record, size_t index,
                       const std::vector<WmiDiskProperties>& wmiDisks) {
    const disk::DriveAddress& address = record.Address;
    DriveSpec captured;
    captured.index = index;
    captured.route = MachineRoute(record.CommandType);
    if (address.physicalDriveId >= 0) captured.physicalDrive = address.physicalDriveId;
    captured.ata.target = address.target == disk::TARGET_SECOND_DEVICE ? disk::TARGET_SECOND_DEVICE
                                                                       : disk::TARGET_FIRST_DEVICE;
    if (address.physicalDriveId < 0 && address.scsiPort >= 0)
        captured.scsi =
            platform::sim::ScsiSpec{static_cast<BYTE>(address.scsiPort),
                                    static_cast<BYTE>(std::max(address.scsiTargetId, 0)),
                                    static_cast<BYTE>(std::max(address.scsiBus, 0)), 0};
    if (platform::sim::IsUsbBridgeRoute(captured.route))
        captured.usb = platform::sim::UsbSpec{static_cast<WORD>(record.UsbVendorId),
                                              static_cast<WORD>(record.UsbProductId)};
    if (captured.route == Route::SiliconImage)
        captured.siliconImage =
            platform::sim::SiliconImageSpec{static_cast<uint32_t>(address.siliconImageType),
                                            static_cast<uint32_t>(std::max(address.scsiBus, 0))};
    if (captured.route == Route::Csmi) {
        CSMI_SAS_PHY_ENTITY phy;
        std::memcpy(&phy, address.csmiPortData.data(), sizeof phy);
        captured.csmi = platform::sim::CsmiSpec{
            static_cast<uint32_t>(std::max(address.scsiPort, 0)), phy.Identify.bPhyIdentifier,
            BigEndian(phy.Attached.bSASAddress), false};
    }
    if (const auto wmi = OwnWmiDisk(record, wmiDisks)) captured.wmi = *wmi;

    if (platform::sim::IsNvmeRoute(captured.route)) {
        platform::sim::NvmeSpec nvme;
        std::copy(record.IdentifyDevice.begin(), record.IdentifyDevice.end(),
                  nvme.identify.begin());
        nvme.health = record.SmartReadData;
        captured.nvme = nvme;
    } else {
        if (captured.route != Route::Wmi) captured.identify = record.IdentifyDevice;
        if (record.SmartDataValid || captured.route == Route::Wmi)
            captured.smart = platform::sim::SmartSpec{record.SmartReadData,
                                                      record.SmartReadThreshold, true, true};
    }

    // A drive known without a physical drive number has only its identification's size.
    captured.size = std::max<uint64_t>(record.NumberOfSectors, 1) * kSectorSize;
    if (captured.physicalDrive) {
        const DriveHandle drive(*captured.physicalDrive);
        if (drive.IsOpen()) {
            CaptureDescriptor(drive, &captured);
            CaptureScsiAddress(drive, *captured.physicalDrive, &captured);
            if (const auto length = drive.Ask(IOCTL_DISK_GET_LENGTH_INFO, 8))
                if (const auto bytes = At<int64_t>(*length, 0); bytes >= kSectorSize)
                    captured.size = static_cast<uint64_t>(bytes) / kSectorSize * kSectorSize;
            captured.layout = CaptureLayout(drive);
        }
    }
    return captured;
}

}  // namespace capture
