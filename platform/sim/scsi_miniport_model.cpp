// A SCSI port driver that accepts the miniport SMART requests ("SCSIDISK") on
// "\\.\Scsi<port>:" for the drives of its port, addressed by target id. It builds the ATA
// command itself from the request code, so registers that do not fit the code are refused.
#include <cstring>

#include "platform/ioctl.h"
#include "platform/sim/ata_device.h"
#include "platform/sim/device_models.h"
#include "platform/win_constants.h"

namespace platform::sim {

namespace {

struct MiniportRequest {
    DWORD code;
    BYTE command, feature;
    bool withData;
};

constexpr MiniportRequest kRequests[] = {
    {IOCTL_SCSI_MINIPORT_IDENTIFY, ATA_IDENTIFY_DEVICE, 0, true},
    {IOCTL_SCSI_MINIPORT_READ_SMART_ATTRIBS, ATA_SMART, SMART_READ_DATA, true},
    {IOCTL_SCSI_MINIPORT_READ_SMART_THRESHOLDS, ATA_SMART, SMART_READ_THRESHOLDS, true},
    {IOCTL_SCSI_MINIPORT_ENABLE_SMART, ATA_SMART, SMART_ENABLE_OPERATIONS, false},
};

bool RegistersFit(const MiniportRequest& known, const IDEREGS& registers) {
    if (registers.bCommandReg != known.command) return false;
    if (known.command != ATA_SMART) return true;
    return registers.bFeaturesReg == known.feature && registers.bCylLowReg == SMART_CYL_LOW &&
           registers.bCylHighReg == SMART_CYL_HIGH;
}

SimDrive* DriveAt(SimState& state, uint32_t port, BYTE targetId) {
    for (SimDrive& drive : state.drives) {
        const DriveSpec& config = *drive.config;
        if (config.route == Route::ScsiMiniport && config.scsi && config.scsi->port == port &&
            config.scsi->target == targetId && !drive.Gone())
            return &drive;
    }
    return nullptr;
}

class ScsiMiniport : public DeviceModel {
  public:
    std::optional<DWORD> Control(SimState& state, OpenFile& file,
                                 IoRequest& request) const override {
        if (file.kind != DeviceKind::ScsiPort || request.code != IOCTL_SCSI_MINIPORT ||
            request.inSize < sizeof(SRB_IO_CONTROL))
            return std::nullopt;
        SRB_IO_SMART_REQUEST smart{};
        std::memcpy(&smart, request.buffer.data(), sizeof(SRB_IO_CONTROL));
        if (std::memcmp(smart.header.Signature, kMiniportSmartSignature, 8) != 0)
            return std::nullopt;

        if (request.inSize < kMiniportSmartInSize || request.outSize < sizeof smart ||
            smart.header.HeaderLength != sizeof(SRB_IO_CONTROL) ||
            smart.header.Length < sizeof(SENDCMDOUTPARAMS))
            return ERROR_INVALID_PARAMETER;
        std::memcpy(&smart, request.buffer.data(), kMiniportSmartInSize);
        const MiniportRequest* known = nullptr;
        for (const MiniportRequest& candidate : kRequests)
            if (candidate.code == smart.header.ControlCode) known = &candidate;
        if (known == nullptr) return ERROR_INVALID_FUNCTION;
        if (!RegistersFit(*known, smart.in.irDriveRegs)) return ERROR_INVALID_PARAMETER;
        const BYTE targetId = smart.in.bDriveNumber;
        BYTE registers[8];
        std::memcpy(registers, &smart.in.irDriveRegs, sizeof registers);

        // The reply replaces the register block; an empty target answers with nothing.
        std::memset(&smart.out, 0, sizeof smart.out);
        SimDrive* drive = DriveAt(state, file.number, targetId);
        if (drive != nullptr) {
            registers[kAtaDeviceHead] = drive->config->ata.target;
            SENDCMDOUTPARAMS reply{};
            const std::span<uint8_t> data =
                known->withData ? std::span<uint8_t>(reply.bBuffer) : std::span<uint8_t>();
            const AtaOutcome outcome = ExecuteAta(*drive, registers, data);
            if (!outcome.completed) return ERROR_IO_DEVICE;
            reply.cBufferSize = outcome.transferred;
            smart.out = reply;
        }
        std::memcpy(request.buffer.data(), &smart, sizeof smart);
        request.returned = sizeof smart;
        return ERROR_SUCCESS;
    }
};

}  // namespace

const DeviceModel& ScsiMiniportModel() {
    static const ScsiMiniport model;
    return model;
}

}  // namespace platform::sim
