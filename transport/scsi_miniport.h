// The SCSI miniport route: ATA commands for a drive behind a SCSI port driver that accepts the
// miniport SMART requests, sent to "\\.\Scsi<port>:" with the drive's target id.
#pragma once

#include <cstdint>

#include "platform/win_types.h"
#include "transport/ata_route.h"

namespace transport {

// Opens "\\.\Scsi<port>:" for reading and writing, shared; INVALID_HANDLE_VALUE when it cannot.
platform::HANDLE OpenScsiPort(int port);

class ScsiMiniportRoute : public AtaRoute {
  public:
    ScsiMiniportRoute(int port, int targetId) : port_(port), targetId_(targetId) {}

    // DoIdentifyDeviceScsi: an answer whose first byte is 0 counts as no answer.
    bool IdentifyDevice(AtaBuffer identify) override;
    // GetSmartAttributeScsi.
    bool ReadSmartData(AtaBuffer page) override;
    // GetSmartThresholdScsi: a page whose first byte is 0 counts as no answer.
    bool ReadSmartThresholds(AtaBuffer page) override;
    // ControlSmartStatusScsi.
    bool EnableSmartOperations() override;

  private:
    // One request; with `page` given, its data goes there when the call succeeded and, if
    // `firstByteSet`, the first data byte is not 0.
    bool Send(uint32_t controlCode, uint8_t* page, bool firstByteSet);

    int port_;
    int targetId_;
};

}  // namespace transport
