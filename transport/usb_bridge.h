// The USB bridge routes: ATA commands for a drive in a USB enclosure, wrapped in a SCSI command
// descriptor block of the form the enclosure's bridge chip understands and sent through the
// enclosure's physical drive with a SCSI pass-through.
#pragma once

#include <cstdint>
#include <optional>
#include <span>

#include "transport/ata_route.h"

namespace transport {

// What an ATA operation asks a bridge for.
enum class BridgeOperation { Identify, ReadSmartData, ReadSmartThresholds, EnableSmart };

// The CDB of `operation` for the bridge of `commandType` (CMD_TYPE_SAT .. CMD_TYPE_CYPRESS),
// `target` being the device select byte; nothing for a type outside that range.
struct BridgeCdb {
    uint8_t length = 0;
    uint8_t bytes[16] = {};
};
std::optional<BridgeCdb> BuildBridgeCdb(int32_t commandType, BridgeOperation operation,
                                        uint8_t target);

class UsbBridgeRoute : public AtaRoute {
  public:
    UsbBridgeRoute(int32_t commandType, int physicalDrive, uint8_t target)
        : type_(commandType), drive_(physicalDrive), target_(target) {}

    // DoIdentifyDeviceSat.
    bool IdentifyDevice(AtaBuffer identify) override;
    // GetSmartAttributeSat, GetSmartThresholdSat.
    bool ReadSmartData(AtaBuffer page) override;
    bool ReadSmartThresholds(AtaBuffer page) override;
    // ControlSmartStatusSat.
    bool EnableSmartOperations() override;

  private:
    bool ReadPage(BridgeOperation operation, AtaBuffer page);

    int32_t type_;
    int drive_;
    uint8_t target_;
};

}  // namespace transport
