// What the disk class driver answers for any physical drive, whatever route reaches its
// device: geometry, length, the partition layout read from the image, layout deletion, lock
// and dismount, the storage device descriptor and the SCSI address.
#include <algorithm>
#include <cstring>
#include <string>

#include "platform/ioctl.h"
#include "platform/sim/device_models.h"
#include "platform/win_constants.h"
#include "platform/win_requests.h"

namespace platform::sim {

namespace {

constexpr DWORD ERROR_NOT_LOCKED = 158;
constexpr DWORD kHeads = 255, kSectorsPerTrack = 63;

DISK_GEOMETRY Geometry(const SimDrive& drive) {
    DISK_GEOMETRY geometry{};
    geometry.Cylinders =
        static_cast<int64_t>(drive.image->Size() / (kHeads * kSectorsPerTrack * kSectorSize));
    geometry.MediaType = drive.config->removableMedia ? RemovableMedia : FixedMedia;
    geometry.TracksPerCylinder = kHeads;
    geometry.SectorsPerTrack = kSectorsPerTrack;
    geometry.BytesPerSector = kSectorSize;
    return geometry;
}

std::optional<DWORD> DriveLayout(const SimDrive& drive, IoRequest& request) {
    const PartitionTable table = ReadPartitionTable(*drive.image);
    // An MBR is reported with all four slots, a GPT with its used entries.
    const bool mbr = table.style == LayoutStyle::Mbr;
    const DWORD count = mbr ? 4 : static_cast<DWORD>(table.entries.size());
    const DWORD needed = kDriveLayoutHeaderSize + count * sizeof(PARTITION_INFORMATION_EX);
    if (request.outSize < needed) return ERROR_INSUFFICIENT_BUFFER;

    std::vector<uint8_t> reply(needed, 0);
    DRIVE_LAYOUT_INFORMATION_EX header{};
    header.PartitionCount = count;
    switch (table.style) {
        case LayoutStyle::Mbr:
            header.PartitionStyle = PARTITION_STYLE_MBR;
            header.Mbr.Signature = table.signature;
            break;
        case LayoutStyle::Gpt:
            header.PartitionStyle = PARTITION_STYLE_GPT;
            std::copy(table.diskGuid.begin(), table.diskGuid.end(), header.Gpt.DiskId);
            header.Gpt.StartingUsableOffset =
                static_cast<int64_t>(table.firstUsableLba * kSectorSize);
            header.Gpt.UsableLength = static_cast<int64_t>(
                (table.lastUsableLba - table.firstUsableLba + 1) * kSectorSize);
            header.Gpt.MaxPartitionCount = kGptEntryCount;
            break;
        case LayoutStyle::Raw:
            header.PartitionStyle = PARTITION_STYLE_RAW;
            break;
    }
    std::memcpy(reply.data(), &header, kDriveLayoutHeaderSize);

    DWORD number = 0;
    for (DWORD slot = 0; slot < count; ++slot) {
        const TableEntry* entry = mbr ? table.Find(slot) : &table.entries[slot];
        PARTITION_INFORMATION_EX info{};
        info.PartitionStyle = header.PartitionStyle;
        if (entry) {
            info.StartingOffset = static_cast<int64_t>(entry->startLba * kSectorSize);
            info.PartitionLength = static_cast<int64_t>(entry->sectorCount * kSectorSize);
            info.PartitionNumber = ++number;
            if (mbr) {
                info.Mbr.PartitionType = entry->mbrType;
                info.Mbr.BootIndicator = entry->bootable;
                info.Mbr.RecognizedPartition = 1;
                info.Mbr.HiddenSectors = static_cast<DWORD>(entry->startLba);
            } else {
                std::copy(entry->typeGuid.begin(), entry->typeGuid.end(), info.Gpt.PartitionType);
                std::copy(entry->uniqueGuid.begin(), entry->uniqueGuid.end(), info.Gpt.PartitionId);
                info.Gpt.Attributes = entry->attributes;
                std::copy(entry->name.begin(), entry->name.end(), info.Gpt.Name);
            }
        }
        std::memcpy(reply.data() + kDriveLayoutHeaderSize + slot * sizeof info, &info, sizeof info);
    }
    std::copy(reply.begin(), reply.end(), request.buffer.begin());
    request.returned = needed;
    return ERROR_SUCCESS;
}

std::optional<DWORD> DeleteDriveLayout(SimDrive& drive) {
    const FaultSpec& faults = drive.config->faults;
    if (faults.writeProtected) return ERROR_WRITE_PROTECT;
    if (faults.deleteLayoutError) return *faults.deleteLayoutError;
    if (!drive.image->ClaimWriting()) return kImageInUse;
    return DeleteLayout(*drive.image) ? ERROR_SUCCESS : ERROR_IO_DEVICE;
}

std::optional<DWORD> DeviceDescriptor(const SimDrive& drive, IoRequest& request) {
    if (request.inSize < 8) return ERROR_INVALID_PARAMETER;
    STORAGE_PROPERTY_QUERY query{};
    std::memcpy(&query, request.buffer.data(), 8);
    if (query.PropertyId != StorageDeviceProperty) return ERROR_NOT_SUPPORTED;
    if (query.QueryType == PropertyExistsQuery) return ERROR_SUCCESS;
    if (query.QueryType != PropertyStandardQuery) return ERROR_INVALID_PARAMETER;
    if (request.outSize < kStorageDescriptorHeaderSize) return ERROR_INSUFFICIENT_BUFFER;

    const StorageSpec& storage = drive.config->storage;
    std::vector<uint8_t> reply(offsetof(STORAGE_DEVICE_DESCRIPTOR, RawDeviceProperties), 0);
    STORAGE_DEVICE_DESCRIPTOR descriptor{};
    // Each string is stored zero-terminated after the fixed part; an empty one has offset 0.
    const auto append = [&](const std::string& text) -> DWORD {
        if (text.empty()) return 0;
        const DWORD offset = static_cast<DWORD>(reply.size());
        reply.insert(reply.end(), text.begin(), text.end());
        reply.push_back(0);
        return offset;
    };
    descriptor.VendorIdOffset = append(storage.vendor);
    descriptor.ProductIdOffset = append(storage.product);
    descriptor.ProductRevisionOffset = append(storage.revision);
    descriptor.SerialNumberOffset = append(storage.serial);
    descriptor.Version = sizeof(STORAGE_DEVICE_DESCRIPTOR);
    descriptor.Size = static_cast<DWORD>(reply.size());
    descriptor.RemovableMedia = drive.config->removableMedia;
    descriptor.BusType = storage.busType;
    std::memcpy(reply.data(), &descriptor,
                offsetof(STORAGE_DEVICE_DESCRIPTOR, RawDeviceProperties));
    // A short buffer gets the beginning, so a caller can learn the size it needs.
    const DWORD copied = std::min<DWORD>(request.outSize, static_cast<DWORD>(reply.size()));
    std::copy(reply.begin(), reply.begin() + copied, request.buffer.begin());
    request.returned = copied;
    return ERROR_SUCCESS;
}

std::optional<DWORD> ScsiAddress(const SimDrive& drive, IoRequest& request) {
    const ScsiSpec scsi = drive.config->scsi.value_or(
        ScsiSpec{0, static_cast<BYTE>(drive.config->physicalDrive.value_or(0)), 0, 0});
    const SCSI_ADDRESS address{sizeof(SCSI_ADDRESS), scsi.port, scsi.bus, scsi.target, scsi.lun};
    return ReplyWith(request, address);
}

class DiskClass : public DeviceModel {
  public:
    std::optional<DWORD> Control(SimState& state, OpenFile& file,
                                 IoRequest& request) const override {
        if (file.kind != DeviceKind::PhysicalDrive) return std::nullopt;
        SimDrive& drive = state.drives[file.number];
        switch (request.code) {
            case IOCTL_DISK_GET_DRIVE_GEOMETRY:
                return ReplyWith(request, Geometry(drive));
            case IOCTL_DISK_GET_DRIVE_GEOMETRY_EX: {
                DISK_GEOMETRY_EX geometry{};
                geometry.Geometry = Geometry(drive);
                geometry.DiskSize = static_cast<int64_t>(drive.image->Size());
                return ReplyWith(request, geometry, kDiskGeometryExMinimum);
            }
            case IOCTL_DISK_GET_LENGTH_INFO:
                return ReplyWith(request,
                                 GET_LENGTH_INFORMATION{static_cast<int64_t>(drive.image->Size())});
            case IOCTL_DISK_GET_DRIVE_LAYOUT_EX:
                if (drive.config->faults.layoutError) return *drive.config->faults.layoutError;
                return DriveLayout(drive, request);
            case IOCTL_DISK_DELETE_DRIVE_LAYOUT:
                return DeleteDriveLayout(drive);
            case IOCTL_DISK_UPDATE_PROPERTIES:
                return ERROR_SUCCESS;
            case FSCTL_LOCK_VOLUME:
                // A lock is taken to write: it claims the image as a write does.
                if (drive.config->faults.lockFails ||
                    (drive.lockedBy && drive.lockedBy != request.handle) ||
                    !drive.image->ClaimWriting())
                    return ERROR_ACCESS_DENIED;
                drive.lockedBy = request.handle;
                return ERROR_SUCCESS;
            case FSCTL_UNLOCK_VOLUME:
                if (drive.lockedBy != request.handle) return ERROR_NOT_LOCKED;
                drive.lockedBy = nullptr;
                return ERROR_SUCCESS;
            case FSCTL_DISMOUNT_VOLUME:
                return ERROR_SUCCESS;
            case IOCTL_STORAGE_QUERY_PROPERTY:
                return DeviceDescriptor(drive, request);
            case IOCTL_SCSI_GET_ADDRESS:
                return ScsiAddress(drive, request);
            default:
                return std::nullopt;
        }
    }
};

}  // namespace

const DeviceModel& DiskClassModel() {
    static const DiskClass model;
    return model;
}

}  // namespace platform::sim
