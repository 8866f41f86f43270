// The Silicon Image route: drives on a Silicon Image controller, whose miniport answers
// IDENTIFY through its own "CMD_IDE " request. SMART comes from the disk driver's failure
// prediction, and from WMI when that is not there.
#pragma once

#include <cstdint>
#include <string>

#include "platform/win_types.h"
#include "transport/ata_route.h"

namespace transport {

// The controller's miniport: "\\.\Scsi<port>:", or else the chip's driver device through a
// DOS name made for it ("tempBusSil<chip>"; the 3512 is served by the 3112's driver). The name
// is left defined. INVALID_HANDLE_VALUE when neither opens.
platform::HANDLE OpenSiliconImage(int port, int chip);

struct SiliconImageAddress {
    int port = -1;
    int chip = 0;
    int device = 0;  // the device number on the controller
    int physicalDrive = -1;
    std::wstring pnpDeviceId;
    platform::DWORD osMajorVersion = 0, osMinorVersion = 0;
};

class SiliconImageRoute : public AtaRoute {
  public:
    explicit SiliconImageRoute(SiliconImageAddress address) : address_(std::move(address)) {}

    // DoIdentifyDeviceSi.
    bool IdentifyDevice(AtaBuffer identify) override;
    // GetSmartAttributeSi: IOCTL_STORAGE_PREDICT_FAILURE on the physical drive, else WMI.
    bool ReadSmartData(AtaBuffer page) override;
    // GetSmartThresholdSi: WMI only, and never on Windows 2000, whose WMI lacks the class.
    bool ReadSmartThresholds(AtaBuffer page) override;
    // The controller offers no way to send SMART ENABLE OPERATIONS.
    bool EnableSmartOperations() override { return false; }

  private:
    SiliconImageAddress address_;
};

}  // namespace transport
