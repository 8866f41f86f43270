#include "platform/sim/ata_device.h"

#include <algorithm>
#include <cstring>

#include "platform/ioctl.h"

namespace platform::sim {

namespace {

// SMART RETURN STATUS answers in the cylinder registers: the signature when every attribute
// is above its threshold, 0xF4/0x2C when one has reached it.
bool ThresholdExceeded(const SmartSpec& smart) {
    for (size_t slot = 0; slot < 30; ++slot) {
        const uint8_t id = smart.data[2 + 12 * slot];
        if (id == 0) continue;
        const uint8_t current = smart.data[2 + 12 * slot + 3];
        for (size_t t = 0; t < 30; ++t) {
            const uint8_t threshold = smart.thresholds[2 + 12 * t + 1];
            if (smart.thresholds[2 + 12 * t] == id && threshold != 0 && current <= threshold)
                return true;
        }
    }
    return false;
}

}  // namespace

AtaOutcome ExecuteAta(SimDrive& drive, const BYTE registers[8], std::span<uint8_t> dataIn) {
    std::fill(dataIn.begin(), dataIn.end(), 0);
    AtaOutcome outcome;
    std::copy(registers, registers + 8, outcome.registers);
    outcome.registers[kAtaError] = ATA_ERROR_ABRT;
    outcome.registers[kAtaStatus] = ATA_STATUS_DRDY | ATA_STATUS_DSC | ATA_STATUS_ERR;

    const DriveSpec& config = *drive.config;
    const bool selected = (registers[kAtaDeviceHead] & ATA_DEVICE_SELECT_BIT) ==
                          (config.ata.target & ATA_DEVICE_SELECT_BIT);
    if (!selected || !config.identify) {
        // No device answers at this select value: the registers float.
        std::fill(outcome.registers, outcome.registers + 8, 0);
        return outcome;
    }

    const auto deliver = [&](const Page& page) {
        if (dataIn.size() < page.size()) return false;
        std::copy(page.begin(), page.end(), dataIn.begin());
        outcome.transferred = static_cast<uint32_t>(page.size());
        return true;
    };

    bool completed = false;
    const BYTE command = registers[kAtaCommand];
    if (command == ATA_IDENTIFY_DEVICE) {
        completed = deliver(*config.identify);
    } else if (command == ATA_SMART && config.smart && registers[kAtaCylLow] == SMART_CYL_LOW &&
               registers[kAtaCylHigh] == SMART_CYL_HIGH) {
        switch (registers[kAtaFeatures]) {
            case SMART_ENABLE_OPERATIONS:
                drive.smartEnabled = true;
                completed = true;
                break;
            case SMART_DISABLE_OPERATIONS:
                completed = drive.smartEnabled;
                drive.smartEnabled = false;
                break;
            case SMART_READ_DATA:
                completed = drive.smartEnabled && deliver(config.smart->data);
                break;
            case SMART_READ_THRESHOLDS:
                completed = drive.smartEnabled && deliver(config.smart->thresholds);
                break;
            case SMART_RETURN_STATUS:
                completed = drive.smartEnabled;
                if (completed && ThresholdExceeded(*config.smart)) {
                    outcome.registers[kAtaCylLow] = 0xF4;
                    outcome.registers[kAtaCylHigh] = 0x2C;
                }
                break;
            default:
                break;
        }
    }
    if (!completed) {
        std::fill(dataIn.begin(), dataIn.end(), 0);
        outcome.transferred = 0;
        return outcome;
    }
    outcome.completed = true;
    outcome.registers[kAtaError] = 0;
    outcome.registers[kAtaStatus] = ATA_STATUS_DRDY | ATA_STATUS_DSC;
    return outcome;
}

}  // namespace platform::sim
