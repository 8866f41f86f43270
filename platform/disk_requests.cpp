#include "platform/disk_requests.h"

#include <algorithm>
#include <cstring>
#include <iterator>

namespace platform {

namespace {

constexpr DWORD kHeads = 255, kSectorsPerTrack = 63;

PARTITION_INFORMATION_EX PartitionInformation(DWORD style, const LayoutPartition& partition,
                                              DWORD number, DWORD bytesPerSector) {
    PARTITION_INFORMATION_EX info{};
    info.PartitionStyle = style;
    info.StartingOffset = static_cast<int64_t>(partition.startLba * bytesPerSector);
    info.PartitionLength = static_cast<int64_t>(partition.sectorCount * bytesPerSector);
    info.PartitionNumber = number;
    if (style == PARTITION_STYLE_MBR) {
        info.Mbr.PartitionType = partition.mbrType;
        info.Mbr.BootIndicator = partition.bootable;
        info.Mbr.RecognizedPartition = 1;
        info.Mbr.HiddenSectors = static_cast<DWORD>(partition.startLba);
    } else {
        std::copy(partition.typeGuid.begin(), partition.typeGuid.end(), info.Gpt.PartitionType);
        std::copy(partition.uniqueGuid.begin(), partition.uniqueGuid.end(), info.Gpt.PartitionId);
        info.Gpt.Attributes = partition.attributes;
        std::copy_n(partition.name.begin(),
                    std::min(partition.name.size(), std::size(info.Gpt.Name)), info.Gpt.Name);
    }
    return info;
}

}  // namespace

DWORD DriveGeometry(ControlRequest& request, uint64_t diskSize, DWORD bytesPerSector,
                    bool removable) {
    DISK_GEOMETRY_EX geometry{};
    geometry.Geometry.Cylinders =
        static_cast<int64_t>(diskSize / (uint64_t{kHeads} * kSectorsPerTrack * bytesPerSector));
    geometry.Geometry.MediaType = removable ? RemovableMedia : FixedMedia;
    geometry.Geometry.TracksPerCylinder = kHeads;
    geometry.Geometry.SectorsPerTrack = kSectorsPerTrack;
    geometry.Geometry.BytesPerSector = bytesPerSector;
    geometry.DiskSize = static_cast<int64_t>(diskSize);
    if (request.code != IOCTL_DISK_GET_DRIVE_GEOMETRY_EX)
        return ReplyWith(request, geometry.Geometry);
    return ReplyWith(request, geometry, kDiskGeometryExMinimum);
}

DWORD DriveLayoutReply(ControlRequest& request, const DriveLayout& layout, DWORD bytesPerSector) {
    const bool mbr = layout.style == PARTITION_STYLE_MBR;
    const DWORD count = mbr ? 4 : static_cast<DWORD>(layout.partitions.size());
    const DWORD needed = kDriveLayoutHeaderSize + count * sizeof(PARTITION_INFORMATION_EX);
    if (request.outSize < needed) return ERROR_INSUFFICIENT_BUFFER;

    DRIVE_LAYOUT_INFORMATION_EX header{};
    header.PartitionStyle = layout.style;
    header.PartitionCount = count;
    if (mbr) {
        header.Mbr.Signature = layout.signature;
    } else if (layout.style == PARTITION_STYLE_GPT) {
        std::copy(layout.diskGuid.begin(), layout.diskGuid.end(), header.Gpt.DiskId);
        header.Gpt.StartingUsableOffset =
            static_cast<int64_t>(layout.firstUsableLba * bytesPerSector);
        header.Gpt.UsableLength = static_cast<int64_t>(
            (layout.lastUsableLba - layout.firstUsableLba + 1) * bytesPerSector);
        header.Gpt.MaxPartitionCount = layout.maxPartitionCount;
    }
    std::fill(request.buffer.begin(), request.buffer.begin() + needed, uint8_t{0});
    std::memcpy(request.buffer.data(), &header, kDriveLayoutHeaderSize);

    // An MBR slot without a partition stays empty and takes no number.
    DWORD number = 0;
    for (DWORD place = 0; place < count; ++place) {
        const auto partition =
            mbr ? std::find_if(layout.partitions.begin(), layout.partitions.end(),
                               [&](const LayoutPartition& p) { return p.index == place; })
                : layout.partitions.begin() + place;
        if (partition == layout.partitions.end()) continue;
        const PARTITION_INFORMATION_EX info =
            PartitionInformation(layout.style, *partition, ++number, bytesPerSector);
        std::memcpy(request.buffer.data() + kDriveLayoutHeaderSize + place * sizeof info, &info,
                    sizeof info);
    }
    request.returned = needed;
    return ERROR_SUCCESS;
}

std::optional<STORAGE_PROPERTY_QUERY> PropertyQuery(const ControlRequest& request) {
    // The property and the query type; what follows them depends on the property.
    constexpr DWORD kQueryHead = offsetof(STORAGE_PROPERTY_QUERY, AdditionalParameters);
    if (request.inSize < kQueryHead) return std::nullopt;
    STORAGE_PROPERTY_QUERY query{};
    std::memcpy(&query, request.buffer.data(), kQueryHead);
    return query;
}

DWORD DeviceDescriptorQuery(ControlRequest& request, const DeviceDescriptor& device) {
    const std::optional<STORAGE_PROPERTY_QUERY> query = PropertyQuery(request);
    if (!query) return ERROR_INVALID_PARAMETER;
    if (query->PropertyId != StorageDeviceProperty) return ERROR_NOT_SUPPORTED;
    if (query->QueryType == PropertyExistsQuery) return ERROR_SUCCESS;
    if (query->QueryType != PropertyStandardQuery) return ERROR_INVALID_PARAMETER;
    if (request.outSize < kStorageDescriptorHeaderSize) return ERROR_INSUFFICIENT_BUFFER;

    std::vector<uint8_t> reply(offsetof(STORAGE_DEVICE_DESCRIPTOR, RawDeviceProperties), 0);
    // Each string is stored zero-terminated after the fixed part; an empty one has offset 0.
    const auto append = [&](const std::string& text) -> DWORD {
        if (text.empty()) return 0;
        const DWORD offset = static_cast<DWORD>(reply.size());
        reply.insert(reply.end(), text.begin(), text.end());
        reply.push_back(0);
        return offset;
    };
    STORAGE_DEVICE_DESCRIPTOR descriptor{};
    descriptor.VendorIdOffset = append(device.vendor);
    descriptor.ProductIdOffset = append(device.product);
    descriptor.ProductRevisionOffset = append(device.revision);
    descriptor.SerialNumberOffset = append(device.serial);
    descriptor.Version = sizeof(STORAGE_DEVICE_DESCRIPTOR);
    descriptor.Size = static_cast<DWORD>(reply.size());
    descriptor.RemovableMedia = device.removable;
    descriptor.BusType = device.busType;
    std::memcpy(reply.data(), &descriptor,
                offsetof(STORAGE_DEVICE_DESCRIPTOR, RawDeviceProperties));
    const DWORD copied = std::min<DWORD>(request.outSize, static_cast<DWORD>(reply.size()));
    std::copy(reply.begin(), reply.begin() + copied, request.buffer.begin());
    request.returned = copied;
    return ERROR_SUCCESS;
}

}  // namespace platform
