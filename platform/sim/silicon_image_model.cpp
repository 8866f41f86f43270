// A Silicon Image controller. Its miniport answers the "CMD_IDE " IDENTIFY request for a
// device number, on the SCSI port of its drives or through its driver's own device,
// "\Device\Scsi\SI<chip>1" — where the 3512 is served by the 3112's driver. Its disks also
// give their SMART data page through the disk driver's failure prediction.
#include <cstring>
#include <string>

#include "platform/ioctl.h"
#include "platform/sim/ata_device.h"
#include "platform/sim/device_models.h"
#include "platform/win_constants.h"

namespace platform::sim {

namespace {

uint32_t DriverChip(uint32_t chip) {
    return chip == 3512 ? 3112 : chip;
}

// Whether the open file reaches the controller of `config`.
bool Reaches(const OpenFile& file, const DriveSpec& config) {
    if (config.route != Route::SiliconImage || !config.siliconImage) return false;
    if (file.kind == DeviceKind::ScsiPort) return config.scsi && config.scsi->port == file.number;
    const std::wstring device =
        L"\\Device\\Scsi\\SI" + std::to_wstring(DriverChip(config.siliconImage->chip)) + L"1";
    return file.kind == DeviceKind::DosDevice && file.target == device;
}

std::optional<DWORD> Identify(SimState& state, const OpenFile& file, IoRequest& request) {
    if (request.inSize < sizeof(SRB_IO_CONTROL)) return std::nullopt;
    SI_IDENTIFY_REQUEST identify;
    std::memcpy(&identify.header, request.buffer.data(), sizeof identify.header);
    if (std::memcmp(identify.header.Signature, kSiliconImageSignature, 8) != 0) return std::nullopt;
    SimDrive* controllerDrive = nullptr;
    for (SimDrive& drive : state.drives)
        if (Reaches(file, *drive.config)) controllerDrive = &drive;
    if (controllerDrive == nullptr) return std::nullopt;

    if (request.inSize < sizeof identify || request.outSize < sizeof identify ||
        identify.header.HeaderLength != sizeof(SRB_IO_CONTROL) ||
        identify.header.Length < sizeof identify - sizeof(SRB_IO_CONTROL))
        return ERROR_INVALID_PARAMETER;
    if (identify.header.ControlCode != kSiliconImageIdentifyCode) return ERROR_INVALID_FUNCTION;
    std::memcpy(&identify, request.buffer.data(), sizeof identify);

    for (SimDrive& drive : state.drives) {
        if (!Reaches(file, *drive.config) || drive.Gone() ||
            drive.config->siliconImage->device != identify.DeviceNumber)
            continue;
        BYTE registers[8] = {};
        registers[kAtaDeviceHead] = drive.config->ata.target;
        registers[kAtaCommand] = ATA_IDENTIFY_DEVICE;
        if (!ExecuteAta(drive, registers, identify.Identify).completed) return ERROR_IO_DEVICE;
        identify.header.ReturnCode = 0;
        std::memcpy(request.buffer.data(), &identify, sizeof identify);
        request.returned = sizeof identify;
        return ERROR_SUCCESS;
    }
    return ERROR_DEV_NOT_EXIST;
}

// IOCTL_STORAGE_PREDICT_FAILURE: the SMART status verdict and the data page.
std::optional<DWORD> PredictFailure(SimDrive& drive, IoRequest& request) {
    if (request.outSize < sizeof(STORAGE_PREDICT_FAILURE)) return ERROR_INSUFFICIENT_BUFFER;
    STORAGE_PREDICT_FAILURE reply{};
    BYTE registers[8] = {};
    registers[kAtaFeatures] = SMART_READ_DATA;
    registers[kAtaCylLow] = SMART_CYL_LOW;
    registers[kAtaCylHigh] = SMART_CYL_HIGH;
    registers[kAtaDeviceHead] = drive.config->ata.target;
    registers[kAtaCommand] = ATA_SMART;
    if (!ExecuteAta(drive, registers, reply.VendorSpecific).completed)
        return ERROR_INVALID_FUNCTION;
    registers[kAtaFeatures] = SMART_RETURN_STATUS;
    const AtaOutcome status = ExecuteAta(drive, registers, {});
    reply.PredictFailure = status.registers[kAtaCylLow] != SMART_CYL_LOW;
    std::memcpy(request.buffer.data(), &reply, sizeof reply);
    request.returned = sizeof reply;
    return ERROR_SUCCESS;
}

class SiliconImage : public DeviceModel {
  public:
    std::optional<DWORD> Control(SimState& state, OpenFile& file,
                                 IoRequest& request) const override {
        if (request.code == IOCTL_SCSI_MINIPORT &&
            (file.kind == DeviceKind::ScsiPort || file.kind == DeviceKind::DosDevice))
            return Identify(state, file, request);
        if (request.code == IOCTL_STORAGE_PREDICT_FAILURE &&
            file.kind == DeviceKind::PhysicalDrive) {
            SimDrive& drive = state.drives[file.number];
            if (drive.config->route == Route::SiliconImage) return PredictFailure(drive, request);
        }
        return std::nullopt;
    }
};

}  // namespace

const DeviceModel& SiliconImageModel() {
    static const SiliconImage model;
    return model;
}

}  // namespace platform::sim
