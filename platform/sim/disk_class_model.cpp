// What the disk class driver answers for any physical drive, whatever route reaches its
// device: geometry, length, the partition layout read from the image, layout deletion, lock
// and dismount, the storage device descriptor and the SCSI address.
#include <algorithm>
#include <cstring>
#include <string>

#include "platform/disk_requests.h"
#include "platform/ioctl.h"
#include "platform/sim/device_models.h"
#include "platform/win_constants.h"

namespace platform::sim {

namespace {

constexpr DWORD ERROR_NOT_LOCKED = 158;

DriveLayout LayoutOf(const PartitionTable& table) {
    DriveLayout layout;
    switch (table.style) {
        case LayoutStyle::Mbr:
            layout.style = PARTITION_STYLE_MBR;
            break;
        case LayoutStyle::Gpt:
            layout.style = PARTITION_STYLE_GPT;
            break;
        case LayoutStyle::Raw:
            layout.style = PARTITION_STYLE_RAW;
            break;
    }
    layout.signature = table.signature;
    layout.diskGuid = table.diskGuid;
    layout.firstUsableLba = table.firstUsableLba;
    layout.lastUsableLba = table.lastUsableLba;
    // Images are laid out with the usual entry array; that is what the driver reports.
    layout.maxPartitionCount = kGptEntryCount;
    layout.partitions = table.entries;
    return layout;
}

std::optional<DWORD> DeleteDriveLayout(SimDrive& drive) {
    const FaultSpec& faults = drive.config->faults;
    if (faults.writeProtected) return ERROR_WRITE_PROTECT;
    if (faults.deleteLayoutError) return *faults.deleteLayoutError;
    if (!drive.image->ClaimWriting()) return kImageInUse;
    return DeleteLayout(*drive.image) ? ERROR_SUCCESS : ERROR_IO_DEVICE;
}

DeviceDescriptor DescriptorOf(const DriveSpec& config) {
    const StorageSpec& storage = config.storage;
    return {storage.vendor, storage.product, storage.revision,
            storage.serial, storage.busType, config.removableMedia};
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
            case IOCTL_DISK_GET_DRIVE_GEOMETRY_EX:
                return DriveGeometry(request, drive.image->Size(), kSectorSize,
                                     drive.config->removableMedia);
            case IOCTL_DISK_GET_LENGTH_INFO:
                return ReplyWith(request,
                                 GET_LENGTH_INFORMATION{static_cast<int64_t>(drive.image->Size())});
            case IOCTL_DISK_GET_DRIVE_LAYOUT_EX:
                if (drive.config->faults.layoutError) return *drive.config->faults.layoutError;
                return DriveLayoutReply(request, LayoutOf(ReadPartitionTable(*drive.image)),
                                        kSectorSize);
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
                return DeviceDescriptorQuery(request, DescriptorOf(*drive.config));
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
