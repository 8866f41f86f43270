// The four ATA operations every command route offers for its drives. A route fills the
// 512-byte buffers it is given and says whether the device answered; what the pages mean is
// decided by the caller.
#pragma once

#include <cstdint>
#include <span>

namespace transport {

using AtaBuffer = std::span<uint8_t, 512>;

class AtaRoute {
  public:
    virtual ~AtaRoute() = default;

    // IDENTIFY DEVICE (0xEC).
    virtual bool IdentifyDevice(AtaBuffer identify) = 0;
    // SMART READ DATA (0xB0 / 0xD0). On failure the page is left as it was.
    virtual bool ReadSmartData(AtaBuffer page) = 0;
    // SMART READ THRESHOLDS (0xB0 / 0xD1). On failure the page is left as it was.
    virtual bool ReadSmartThresholds(AtaBuffer page) = 0;
    // SMART ENABLE OPERATIONS (0xB0 / 0xD8); moves no data.
    virtual bool EnableSmartOperations() = 0;
};

}  // namespace transport
