// The system's own NVMe driver (Windows 10 and later): the protocol-specific storage property
// query hands an Identify or Get Log Page command to the drive and returns the data after a
// protocol data descriptor in the same buffer. Older systems do not know the property; the
// disk class then refuses it as any unknown property.
#include <algorithm>
#include <cstring>
#include <span>

#include "platform/ioctl.h"
#include "platform/sim/device_models.h"
#include "platform/win_constants.h"
#include "platform/win_requests.h"

namespace platform::sim {

namespace {

constexpr DWORD kFirstStorageQueryMajorVersion = 10;

// The drive's pages as the machine describes them.
std::optional<DWORD> ProtocolQuery(const SimDrive& drive, IoRequest& request) {
    const NvmeSpec& nvme = *drive.config->nvme;
    return NvmeProtocolQuery(request, [&](NvmeQueryData what, std::span<uint8_t> data) {
        const std::span<const uint8_t> page = what == NvmeQueryData::IdentifyController
                                                  ? std::span<const uint8_t>(nvme.identify)
                                                  : std::span<const uint8_t>(nvme.health);
        std::copy_n(page.begin(), std::min(page.size(), data.size()), data.begin());
        return ERROR_SUCCESS;
    });
}

class NvmeStorageQuery : public DeviceModel {
  public:
    std::optional<DWORD> Control(SimState& state, OpenFile& file,
                                 IoRequest& request) const override {
        if (file.kind != DeviceKind::PhysicalDrive ||
            request.code != IOCTL_STORAGE_QUERY_PROPERTY || request.inSize < 8)
            return std::nullopt;
        const SimDrive& drive = state.drives[file.number];
        DWORD propertyId = 0;
        std::memcpy(&propertyId, request.buffer.data(), sizeof propertyId);
        if (drive.config->route != Route::NvmeStorageQuery ||
            propertyId != StorageAdapterProtocolSpecificProperty ||
            state.machine.os.major < kFirstStorageQueryMajorVersion)
            return std::nullopt;
        return ProtocolQuery(drive, request);
    }
};

}  // namespace

const DeviceModel& NvmeStorageQueryModel() {
    static const NvmeStorageQuery model;
    return model;
}

}  // namespace platform::sim
