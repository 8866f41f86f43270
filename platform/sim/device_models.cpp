#include "platform/sim/device_models.h"

namespace platform::sim {

std::span<const DeviceModel* const> DeviceModels() {
    static const DeviceModel* const models[] = {
        &AtaDriverModel(), &ScsiMiniportModel(),     &UsbBridgeModel(),   &SiliconImageModel(),
        &CsmiModel(),      &NvmeStorageQueryModel(), &NvmeSamsungModel(), &NvmeIntelModel(),
        &DiskClassModel(), &VolumeModel(),
    };
    return models;
}

}  // namespace platform::sim
