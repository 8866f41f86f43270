// The block-device side of a physical drive and of a volume: geometry, length, the partition
// layout read from the disk, layout deletion, lock and unlock, the storage device descriptor,
// the SCSI address, and where a volume lies.
#include <algorithm>
#include <cstring>

#include "platform/disk_requests.h"
#include "platform/ioctl.h"
#include "platform/linux/errors.h"
#include "platform/linux/kernel_abi.h"
#include "platform/linux/linux_platform.h"
#include "platform/partition_table.h"
#include "platform/win_constants.h"

namespace platform::linux_backend {

namespace {

constexpr DWORD ERROR_NOT_LOCKED = 158;
// A GPT with more or larger entries than this is not one this program wrote or can rewrite;
// the limits also keep a corrupt header from asking for a huge read.
constexpr uint32_t kMaxGptEntries = 1024, kMaxGptEntrySize = 1024;

bool HasGptSignature(const uint8_t* sector) {
    return std::memcmp(sector, kGptSignature, sizeof kGptSignature) == 0;
}

}  // namespace

std::optional<uint64_t> LinuxPlatform::SizeOf(const DiskFile& file) {
    uint64_t size = 0;
    if (kernel_->Ioctl(file.fd, kBlkGetSize64, &size) != 0) return std::nullopt;
    return size;
}

uint32_t LinuxPlatform::SectorSizeOf(const DiskFile& file) {
    int size = 0;
    if (kernel_->Ioctl(file.fd, kBlkSszGet, &size) != 0 || size < 512) return kSectorSize;
    return static_cast<uint32_t>(size);
}

DWORD LinuxPlatform::Geometry(const DiskFile& file, Request& request) {
    const auto size = SizeOf(file);
    if (!size) return ERROR_IO_DEVICE;
    return DriveGeometry(request, *size, SectorSizeOf(file), file.info.removable);
}

// The table on the disk now: a GPT when a valid header (the primary, else the backup) is
// there, an MBR when sector 0 carries its signature, else raw. Only the four primary MBR slots
// are reported, as for any MBR disk.
DWORD LinuxPlatform::Layout(const DiskFile& file, Request& request) {
    const uint32_t sector = SectorSizeOf(file);
    const auto size = SizeOf(file);
    if (!size || *size < 2 * uint64_t{sector}) return ERROR_IO_DEVICE;
    const uint64_t lastLba = *size / sector - 1;
    std::vector<uint8_t> first(sector);
    if (kernel_->ReadAt(file.fd, first.data(), sector, 0) != sector) return ERROR_IO_DEVICE;
    MasterBootRecord mbr;
    std::memcpy(&mbr, first.data(), sizeof mbr);

    DriveLayout layout;
    for (const uint64_t lba : {uint64_t{1}, lastLba}) {
        std::vector<uint8_t> bytes(sector);
        GptHeader gpt;
        if (kernel_->ReadAt(file.fd, bytes.data(), sector, lba * sector) != sector) continue;
        std::memcpy(&gpt, bytes.data(), sizeof gpt);
        if (!HasGptSignature(bytes.data()) || gpt.headerSize < kGptHeaderSize ||
            gpt.headerSize > sizeof gpt || gpt.myLba != lba ||
            gpt.sizeOfPartitionEntry < sizeof(GptEntry) ||
            gpt.sizeOfPartitionEntry > kMaxGptEntrySize || gpt.sizeOfPartitionEntry % 8 ||
            gpt.numberOfPartitionEntries > kMaxGptEntries)
            continue;
        const uint32_t crc = gpt.headerCrc32;
        gpt.headerCrc32 = 0;
        if (Crc32(0, {reinterpret_cast<const uint8_t*>(&gpt), gpt.headerSize}) != crc) continue;
        const uint64_t arrayBytes =
            uint64_t{gpt.numberOfPartitionEntries} * gpt.sizeOfPartitionEntry;
        std::vector<uint8_t> array((arrayBytes + sector - 1) / sector * sector);
        if (gpt.partitionEntryLba > lastLba ||
            kernel_->ReadAt(file.fd, array.data(), array.size(), gpt.partitionEntryLba * sector) !=
                static_cast<int64_t>(array.size()) ||
            Crc32(0, {array.data(), static_cast<size_t>(arrayBytes)}) !=
                gpt.partitionEntryArrayCrc32)
            continue;
        layout.style = PARTITION_STYLE_GPT;
        layout.diskGuid = gpt.diskGuid;
        layout.firstUsableLba = gpt.firstUsableLba;
        layout.lastUsableLba = gpt.lastUsableLba;
        layout.maxPartitionCount = gpt.numberOfPartitionEntries;
        for (uint32_t i = 0; i < gpt.numberOfPartitionEntries; ++i) {
            GptEntry entry;
            std::memcpy(&entry, array.data() + uint64_t{i} * gpt.sizeOfPartitionEntry,
                        sizeof entry);
            const bool used = std::any_of(entry.typeGuid.begin(), entry.typeGuid.end(),
                                          [](uint8_t b) { return b != 0; });
            if (!used || entry.endingLba < entry.startingLba) continue;
            layout.partitions.push_back(
                {.index = i,
                 .startLba = entry.startingLba,
                 .sectorCount = entry.endingLba - entry.startingLba + 1,
                 .typeGuid = entry.typeGuid,
                 .uniqueGuid = entry.uniqueGuid,
                 .attributes = entry.attributes,
                 .name = std::u16string(
                     std::begin(entry.name),
                     std::find(std::begin(entry.name), std::end(entry.name), u'\0'))});
        }
        break;
    }
    if (layout.style == PARTITION_STYLE_RAW && mbr.bootSignature == kMbrBootSignature) {
        layout.style = PARTITION_STYLE_MBR;
        layout.signature = mbr.diskSignature;
        for (uint32_t slot = 0; slot < 4; ++slot) {
            const MbrPartitionEntry& entry = mbr.partitions[slot];
            if (entry.type != 0 && entry.sectorCount != 0)
                layout.partitions.push_back({.index = slot,
                                             .startLba = entry.startingLba,
                                             .sectorCount = entry.sectorCount,
                                             .mbrType = entry.type,
                                             .bootable = entry.status == 0x80});
        }
    }
    return DriveLayoutReply(request, layout, sector);
}

// Order: the MBR's entries and signature in sector 0 (its boot code and disk signature stay),
// then the primary GPT header, then the backup header (each only where a header lies, since an
// MBR disk keeps data there), then everything is flushed and the kernel rereads the table.
// A disk with a mounted or held partition is refused before anything is written.
DWORD LinuxPlatform::DeleteLayout(DiskFile& file) {
    if (InUse(file.info)) return ERROR_ACCESS_DENIED;
    const uint32_t sector = SectorSizeOf(file);
    const auto size = SizeOf(file);
    if (!size || *size < 2 * uint64_t{sector}) return ERROR_IO_DEVICE;
    MasterBootRecord mbr;
    const int64_t got = kernel_->ReadAt(file.fd, &mbr, sizeof mbr, 0);
    if (got < 0) return WindowsError(static_cast<int>(got));
    if (got != sizeof mbr) return ERROR_IO_DEVICE;
    std::memset(mbr.partitions, 0, sizeof mbr.partitions);
    mbr.bootSignature = 0;
    file.written = true;
    int64_t put = kernel_->WriteAt(file.fd, &mbr, sizeof mbr, 0);
    if (put != sizeof mbr) return put < 0 ? WindowsError(static_cast<int>(put)) : ERROR_IO_DEVICE;
    const uint8_t zeros[kSectorSize] = {};
    for (const uint64_t lba : {uint64_t{1}, *size / sector - 1}) {
        uint8_t headerBytes[kSectorSize];
        if (kernel_->ReadAt(file.fd, headerBytes, sizeof headerBytes, lba * sector) !=
            sizeof headerBytes)
            return ERROR_IO_DEVICE;
        if (!HasGptSignature(headerBytes)) continue;
        put = kernel_->WriteAt(file.fd, zeros, sizeof zeros, lba * sector);
        if (put != sizeof zeros)
            return put < 0 ? WindowsError(static_cast<int>(put)) : ERROR_IO_DEVICE;
    }
    if (const int synced = kernel_->Sync(file.fd); synced != 0) return WindowsError(synced);
    return RereadPartitions(file);
}

// Through the exclusive handle while the disk is locked: the kernel refuses a reread asked
// through another handle while someone holds the disk exclusively.
DWORD LinuxPlatform::RereadPartitions(const DiskFile& file) {
    const int reread =
        kernel_->Ioctl(file.exclusiveFd >= 0 ? file.exclusiveFd : file.fd, kBlkRrPart, nullptr);
    return reread == 0 ? ERROR_SUCCESS : WindowsError(reread);
}

// The lock is an exclusive open of the disk, which the kernel refuses while a partition is
// mounted or held; a mount seen in the mount table refuses it before asking.
DWORD LinuxPlatform::Lock(DiskFile& file) {
    if (file.exclusiveFd >= 0) return ERROR_SUCCESS;
    if (InUse(file.info)) return ERROR_ACCESS_DENIED;
    const int fd = kernel_->Open(DevicePath(file.info), KernelIo::OpenMode::ReadWriteExclusive);
    if (fd < 0) return fd == -EBUSY ? ERROR_ACCESS_DENIED : WindowsError(fd);
    file.exclusiveFd = fd;
    return ERROR_SUCCESS;
}

DWORD LinuxPlatform::Descriptor(const DiskFile& file, Request& request) {
    const std::optional<STORAGE_PROPERTY_QUERY> query = PropertyQuery(request);
    if (query && query->PropertyId == StorageAdapterProtocolSpecificProperty)
        return file.info.kind == BlockDisk::Kind::Nvme ? NvmeQuery(file, request)
                                                       : ERROR_NOT_SUPPORTED;
    const BlockDisk& disk = file.info;
    const DWORD busType = disk.usb                             ? BusTypeUsb
                          : disk.kind == BlockDisk::Kind::Nvme ? BusTypeNvme
                          : disk.vendor == "ATA"               ? BusTypeSata
                                                               : BusTypeScsi;
    return DeviceDescriptorQuery(
        request, {disk.vendor, disk.model, disk.revision, disk.usb ? disk.usb->serial : disk.serial,
                  busType, disk.removable});
}

DWORD LinuxPlatform::ScsiAddress(const DiskFile& file, Request& request) {
    const BlockDisk& disk = file.info;
    // An NVMe namespace has no SCSI address; its controller and namespace stand in.
    const SCSI_ADDRESS address =
        disk.kind == BlockDisk::Kind::Nvme
            ? SCSI_ADDRESS{sizeof(SCSI_ADDRESS), static_cast<BYTE>(disk.nvmeController), 0, 0,
                           static_cast<BYTE>(disk.nvmeNamespace > 0 ? disk.nvmeNamespace - 1 : 0)}
            : SCSI_ADDRESS{sizeof(SCSI_ADDRESS), static_cast<BYTE>(disk.hctl[0]),
                           static_cast<BYTE>(disk.hctl[1]), static_cast<BYTE>(disk.hctl[2]),
                           static_cast<BYTE>(disk.hctl[3])};
    return ReplyWith(request, address);
}

DWORD LinuxPlatform::DiskControl(DiskFile& file, Request& request) {
    if (const std::optional<DWORD> ata = AtaControl(request, AtaPathsOf(file))) return *ata;
    switch (request.code) {
        case SMART_GET_VERSION:
            return SmartVersion(file, request);
        case IOCTL_SCSI_PASS_THROUGH:
            return ScsiPassThrough(file, request);
        case IOCTL_STORAGE_QUERY_PROPERTY:
            return Descriptor(file, request);
        case IOCTL_DISK_GET_DRIVE_GEOMETRY:
        case IOCTL_DISK_GET_DRIVE_GEOMETRY_EX:
            return Geometry(file, request);
        case IOCTL_DISK_GET_LENGTH_INFO: {
            const auto size = SizeOf(file);
            if (!size) return ERROR_IO_DEVICE;
            return ReplyWith(request, GET_LENGTH_INFORMATION{static_cast<int64_t>(*size)});
        }
        case IOCTL_DISK_GET_DRIVE_LAYOUT_EX:
            return Layout(file, request);
        case IOCTL_DISK_DELETE_DRIVE_LAYOUT:
            return DeleteLayout(file);
        case IOCTL_DISK_UPDATE_PROPERTIES:
            return RereadPartitions(file);
        case FSCTL_LOCK_VOLUME:
            return Lock(file);
        case FSCTL_UNLOCK_VOLUME:
            if (file.exclusiveFd < 0) return ERROR_NOT_LOCKED;
            kernel_->Close(file.exclusiveFd);
            file.exclusiveFd = -1;
            return ERROR_SUCCESS;
        case FSCTL_DISMOUNT_VOLUME:
            // Nothing of a locked disk is mounted; file systems are never unmounted here.
            return InUse(file.info) ? ERROR_ACCESS_DENIED : ERROR_SUCCESS;
        case IOCTL_SCSI_GET_ADDRESS:
            return ScsiAddress(file, request);
        default:
            // Miniport, Silicon Image, CSMI and failure-prediction requests: no such driver.
            return ERROR_INVALID_FUNCTION;
    }
}

DWORD LinuxPlatform::VolumeControl(const VolumeFile& file, Request& request) {
    const LetteredMount* mount = nullptr;
    for (const LetteredMount& m : letters_)
        if (m.letter == file.letter) mount = &m;
    if (!mount) return ERROR_DEV_NOT_EXIST;
    const std::vector<Extent> extents = ExtentsOf(mount->mount.device);
    switch (request.code) {
        case IOCTL_VOLUME_GET_VOLUME_DISK_EXTENTS: {
            std::vector<DISK_EXTENT> reply;
            for (const Extent& extent : extents)
                reply.push_back({extent.disk, 0, static_cast<int64_t>(extent.offset),
                                 static_cast<int64_t>(extent.length)});
            return VolumeDiskExtents(request, reply);
        }
        case IOCTL_DISK_GET_LENGTH_INFO: {
            GET_LENGTH_INFORMATION length{0};
            for (const Extent& extent : extents)
                length.Length += static_cast<int64_t>(extent.length);
            return ReplyWith(request, length);
        }
        case FSCTL_LOCK_VOLUME:
        case FSCTL_DISMOUNT_VOLUME:
            // A mounted file system stays mounted: nothing here takes it away from the system.
            return ERROR_ACCESS_DENIED;
        case FSCTL_UNLOCK_VOLUME:
            return ERROR_NOT_LOCKED;
        default:
            return ERROR_INVALID_FUNCTION;
    }
}

}  // namespace platform::linux_backend
