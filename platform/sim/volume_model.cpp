// What a volume ("\\.\C:") answers: the disk extents it lies on and its length, both taken
// from the partition tables in the images, so a deleted table takes the volume's place away.
#include <cstring>

#include "platform/ioctl.h"
#include "platform/sim/device_models.h"
#include "platform/win_constants.h"

namespace platform::sim {

namespace {

std::optional<DWORD> DiskExtents(const SimState& state, const VolumeSpec& volume,
                                 IoRequest& request) {
    if (request.outSize < sizeof(VOLUME_DISK_EXTENTS)) return ERROR_INSUFFICIENT_BUFFER;
    const auto extents = state.VolumeExtents(volume);
    const DWORD count = static_cast<DWORD>(extents.size());
    std::memset(request.buffer.data(), 0, request.outSize);
    std::memcpy(request.buffer.data(), &count, sizeof count);
    const DWORD needed = kVolumeExtentsHeaderSize + count * sizeof(DISK_EXTENT);
    if (request.outSize < needed) {
        // The count alone comes back, so the caller can size its buffer.
        request.returned = kVolumeExtentsHeaderSize;
        return ERROR_MORE_DATA;
    }
    for (DWORD i = 0; i < count; ++i) {
        const DISK_EXTENT extent{extents[i].diskNumber, 0, static_cast<int64_t>(extents[i].offset),
                                 static_cast<int64_t>(extents[i].length)};
        std::memcpy(request.buffer.data() + kVolumeExtentsHeaderSize + i * sizeof extent, &extent,
                    sizeof extent);
    }
    request.returned = needed;
    return ERROR_SUCCESS;
}

class Volume : public DeviceModel {
  public:
    std::optional<DWORD> Control(SimState& state, OpenFile& file,
                                 IoRequest& request) const override {
        if (file.kind != DeviceKind::Volume) return std::nullopt;
        const VolumeSpec& volume = state.machine.volumes[file.number];
        switch (request.code) {
            case IOCTL_VOLUME_GET_VOLUME_DISK_EXTENTS:
                return DiskExtents(state, volume, request);
            case IOCTL_DISK_GET_LENGTH_INFO: {
                if (request.outSize < sizeof(GET_LENGTH_INFORMATION))
                    return ERROR_INSUFFICIENT_BUFFER;
                GET_LENGTH_INFORMATION length{0};
                for (const auto& extent : state.VolumeExtents(volume))
                    length.Length += static_cast<int64_t>(extent.length);
                std::memcpy(request.buffer.data(), &length, sizeof length);
                request.returned = sizeof length;
                return ERROR_SUCCESS;
            }
            case FSCTL_LOCK_VOLUME:
            case FSCTL_UNLOCK_VOLUME:
            case FSCTL_DISMOUNT_VOLUME:
                return ERROR_SUCCESS;
            default:
                return std::nullopt;
        }
    }
};

}  // namespace

const DeviceModel& VolumeModel() {
    static const Volume model;
    return model;
}

}  // namespace platform::sim
