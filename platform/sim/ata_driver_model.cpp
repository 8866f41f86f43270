// The standard disk driver's ATA paths: IOCTL_ATA_PASS_THROUGH, which hands the task file to the
// device and reports its registers back, and the SMART control codes, which accept only the
// commands the driver knows and turn a device error into a failed call.
#include <cstring>

#include "platform/ioctl.h"
#include "platform/sim/ata_device.h"
#include "platform/sim/device_models.h"
#include "platform/win_constants.h"
#include "platform/win_requests.h"

namespace platform::sim {

namespace {

std::optional<DWORD> PassThrough(SimDrive& drive, IoRequest& request) {
    if (!drive.config->ata.passThrough) return ERROR_INVALID_FUNCTION;
    if (request.inSize < sizeof(ATA_PASS_THROUGH_EX) ||
        request.outSize < sizeof(ATA_PASS_THROUGH_EX))
        return ERROR_INVALID_PARAMETER;
    ATA_PASS_THROUGH_EX apt;
    std::memcpy(&apt, request.buffer.data(), sizeof apt);
    if (apt.Length != sizeof(ATA_PASS_THROUGH_EX)) return ERROR_INVALID_PARAMETER;

    const bool in = apt.AtaFlags & ATA_FLAGS_DATA_IN;
    const bool out = apt.AtaFlags & ATA_FLAGS_DATA_OUT;
    if ((in && out) || (apt.DataTransferLength > 0) != (in || out)) return ERROR_INVALID_PARAMETER;
    if (apt.DataTransferLength > 0) {
        const uint64_t end = uint64_t{apt.DataBufferOffset} + apt.DataTransferLength;
        if (apt.DataBufferOffset < sizeof(ATA_PASS_THROUGH_EX) || end > request.buffer.size() ||
            (in && end > request.outSize) || (out && end > request.inSize))
            return ERROR_INVALID_PARAMETER;
    }

    std::span<uint8_t> data;
    if (in) data = request.buffer.subspan(apt.DataBufferOffset, apt.DataTransferLength);
    // The command goes in through CurrentTaskFile. Data-out commands are not among those the
    // device knows; it aborts them.
    const AtaOutcome outcome = ExecuteAta(drive, apt.CurrentTaskFile, data);
    std::memcpy(apt.CurrentTaskFile, outcome.registers, sizeof apt.CurrentTaskFile);
    std::memcpy(request.buffer.data(), &apt, sizeof apt);
    request.returned = in ? apt.DataBufferOffset + apt.DataTransferLength
                          : static_cast<DWORD>(sizeof(ATA_PASS_THROUGH_EX));
    return ERROR_SUCCESS;
}

// The disk's answer to a task file; an aborted command fails the call.
RunTaskFile TaskFileRunner(SimDrive& drive) {
    return [&drive](const BYTE taskFile[8], std::span<uint8_t> dataIn) {
        const AtaOutcome outcome = ExecuteAta(drive, taskFile, dataIn);
        TaskFileResult result{
            outcome.completed ? ERROR_SUCCESS : ERROR_IO_DEVICE, {}, outcome.transferred};
        std::memcpy(result.registers, outcome.registers, sizeof result.registers);
        return result;
    };
}

std::optional<DWORD> ReceiveDriveData(SimDrive& drive, IoRequest& request) {
    if (!drive.config->ata.smartIoctl) return ERROR_INVALID_FUNCTION;
    return SmartReceive(request, TaskFileRunner(drive));
}

std::optional<DWORD> SendDriveCommand(SimDrive& drive, IoRequest& request) {
    if (!drive.config->ata.smartIoctl) return ERROR_INVALID_FUNCTION;
    return SmartSend(request, TaskFileRunner(drive));
}

class AtaDriver : public DeviceModel {
  public:
    std::optional<DWORD> Control(SimState& state, OpenFile& file,
                                 IoRequest& request) const override {
        if (file.kind != DeviceKind::PhysicalDrive) return std::nullopt;
        SimDrive& drive = state.drives[file.number];
        // Silicon Image and RAID drivers also pass these requests to their disks.
        const Route route = drive.config->route;
        if (route != Route::Ata && route != Route::SiliconImage && route != Route::Csmi)
            return std::nullopt;
        switch (request.code) {
            case IOCTL_ATA_PASS_THROUGH:
                return PassThrough(drive, request);
            case SMART_RCV_DRIVE_DATA:
                return ReceiveDriveData(drive, request);
            case SMART_SEND_DRIVE_COMMAND:
                return SendDriveCommand(drive, request);
            default:
                return std::nullopt;
        }
    }
};

}  // namespace

const DeviceModel& AtaDriverModel() {
    static const AtaDriver model;
    return model;
}

}  // namespace platform::sim
