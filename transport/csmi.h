// The CSMI routes: drives behind a RAID or SAS driver that implements the Common Storage
// Management Interface. ATA commands travel as SATA register FISes through the driver's STP
// pass-through, addressed by the PHY the drive is attached to.
#pragma once

#include <array>
#include <cstdint>
#include <functional>

#include "platform/win_types.h"
#include "transport/ata_route.h"

namespace transport {

// A drive's PHY as the driver describes it (CSMI_SAS_PHY_ENTITY); it addresses every command.
using CsmiPhyEntry = std::array<uint8_t, 64>;

// "\\.\Scsi<port>:".
platform::HANDLE OpenCsmi(int port);

// Fills the request header of `buffer` (`size` bytes, header included) for `code` and sends it.
// Fails only when the driver says it does not know the request (ERROR_INVALID_FUNCTION,
// ERROR_NOT_SUPPORTED, ERROR_DEV_NOT_EXIST); the buffer is zeroed by the caller, so any other
// refusal leaves nothing that reads as data.
bool CsmiRequest(platform::HANDLE port, platform::DWORD code, void* buffer, platform::DWORD size);

// One ATA command through the STP pass-through on its own handle. dataSize is 0 or 512; with
// `data` given, the data area of a successful request is copied there.
bool SendAtaCommandCsmi(int port, const CsmiPhyEntry& phy, uint8_t command, uint8_t feature,
                        uint8_t* data, uint32_t dataSize);

// Which PHYs discovery asks: every one, or only those whose attached drive is a RAID member.
enum class CsmiScope { AllPhys = 1, RaidMembers = 2 };

// DoIdentifyDeviceCsmi: walks the driver, RAID and PHY information of one port and sends
// IDENTIFY to each PHY in `scope`; every drive that answers is handed to `found` with its PHY.
using CsmiFound = std::function<void(AtaBuffer identify, const CsmiPhyEntry& phy)>;
void DoIdentifyDeviceCsmi(int port, CsmiScope scope, const CsmiFound& found);

class CsmiRoute : public AtaRoute {
  public:
    CsmiRoute(int port, const CsmiPhyEntry& phy) : port_(port), phy_(phy) {}

    bool IdentifyDevice(AtaBuffer identify) override;
    // GetSmartAttributeCsmi, GetSmartThresholdCsmi.
    bool ReadSmartData(AtaBuffer page) override;
    bool ReadSmartThresholds(AtaBuffer page) override;
    // ControlSmartStatusCsmi.
    bool EnableSmartOperations() override;

  private:
    int port_;
    CsmiPhyEntry phy_;
};

}  // namespace transport
