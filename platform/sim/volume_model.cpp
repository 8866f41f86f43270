// What a volume ("\\.\C:") answers: the disk extents it lies on and its length, both taken
// from the partition tables in the images, so a deleted table takes the volume's place away.
#include <cstring>

#include "platform/ioctl.h"
#include "platform/sim/device_models.h"
#include "platform/win_constants.h"
#include "platform/win_requests.h"

namespace platform::sim {

namespace {

std::optional<DWORD> DiskExtents(const SimState& state, const VolumeSpec& volume,
                                 IoRequest& request) {
    std::vector<DISK_EXTENT> extents;
    for (const auto& extent : state.VolumeExtents(volume))
        extents.push_back({extent.diskNumber, 0, static_cast<int64_t>(extent.offset),
                           static_cast<int64_t>(extent.length)});
    return VolumeDiskExtents(request, extents);
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
                GET_LENGTH_INFORMATION length{0};
                for (const auto& extent : state.VolumeExtents(volume))
                    length.Length += static_cast<int64_t>(extent.length);
                return ReplyWith(request, length);
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
