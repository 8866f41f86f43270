// The WMI route: a drive's SMART data and threshold pages as the storage driver publishes them
// in root\WMI (MSStorageDriver_FailurePredictData and ...Thresholds). It reaches drives no
// command route reaches, and stands in for the Silicon Image route's SMART reads.
#pragma once

#include <string>

#include "platform/win_types.h"
#include "transport/ata_route.h"

namespace transport {

// GetSmartAttributeWmi: the VendorSpecific bytes of the first instance whose upper-cased
// InstanceName starts with `pnpDeviceId` (which the caller holds upper-cased). False, with
// `page` untouched, when the id is empty, the connection or query fails or nothing matches.
bool ReadSmartPageWmi(const std::wstring& pnpDeviceId, platform::DWORD osMajorVersion,
                      bool wantThresholds, AtaBuffer page);

class WmiRoute : public AtaRoute {
  public:
    WmiRoute(std::wstring pnpDeviceId, platform::DWORD osMajorVersion)
        : pnp_(std::move(pnpDeviceId)), osMajor_(osMajorVersion) {}

    // The failure-prediction classes carry no identity: a drive is never found this way.
    bool IdentifyDevice(AtaBuffer) override { return false; }
    bool ReadSmartData(AtaBuffer page) override;
    bool ReadSmartThresholds(AtaBuffer page) override;
    // There is nothing to send SMART ENABLE OPERATIONS through.
    bool EnableSmartOperations() override { return false; }

  private:
    std::wstring pnp_;
    platform::DWORD osMajor_;
};

}  // namespace transport
