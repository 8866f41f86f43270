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

// The disk's answer to a task file. Through the SMART codes an aborted command fails the call;
// through pass-through the registers tell it.
TaskFileResult Execute(SimDrive& drive, const BYTE taskFile[8], std::span<uint8_t> dataIn,
                       bool abortFails) {
    const AtaOutcome outcome = ExecuteAta(drive, taskFile, dataIn);
    TaskFileResult result{outcome.completed || !abortFails ? ERROR_SUCCESS : ERROR_IO_DEVICE,
                          {},
                          outcome.transferred};
    std::memcpy(result.registers, outcome.registers, sizeof result.registers);
    return result;
}

// The paths the drive's description offers.
AtaPaths PathsOf(SimDrive& drive) {
    AtaPaths paths;
    // Data-out commands are not among those the device knows; it aborts them.
    if (drive.config->ata.passThrough)
        paths.passThrough = [&drive](const AtaCommand& command) {
            return Execute(drive, command.header.CurrentTaskFile,
                           command.dataIn ? command.data : std::span<uint8_t>{}, false);
        };
    if (drive.config->ata.smartIoctl)
        paths.smart = [&drive](const BYTE taskFile[8], std::span<uint8_t> dataIn) {
            return Execute(drive, taskFile, dataIn, true);
        };
    return paths;
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
        return AtaControl(request, PathsOf(drive));
    }
};

}  // namespace

const DeviceModel& AtaDriverModel() {
    static const AtaDriver model;
    return model;
}

}  // namespace platform::sim
