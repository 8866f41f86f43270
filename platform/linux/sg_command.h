// One SCSI command through SG_IO, and one NVMe admin command through the NVMe admin ioctl.
#pragma once

#include <cstdint>
#include <span>

#include "platform/linux/kernel_io.h"
#include "platform/linux/sat.h"

namespace platform::linux_backend {

enum class DataDirection { None, FromDevice, ToDevice };

struct ScsiResult {
    int error = 0;  // -errno when the request never reached the device
    uint8_t status = 0;
    uint16_t hostStatus = 0, driverStatus = 0;
    uint8_t sense[kSenseSize] = {};
    uint8_t senseLength = 0;
    uint32_t transferred = 0;

    ScsiOutcome Outcome() const { return {status, hostStatus, driverStatus, {sense, senseLength}}; }
};

ScsiResult SendScsi(KernelIo& kernel, int fd, std::span<const uint8_t> cdb, DataDirection direction,
                    std::span<uint8_t> data, uint32_t timeoutMs);

// The NVMe admin commands the storage query stands for: Identify with a CNS value, and Get Log
// Page for one log. `data` receives the structure.
struct NvmeAdminResult {
    int error = 0;        // -errno
    uint32_t status = 0;  // the command's status field, 0 for success
};
NvmeAdminResult NvmeIdentify(KernelIo& kernel, int fd, uint32_t cns, uint32_t nsid,
                             std::span<uint8_t> data);
NvmeAdminResult NvmeGetLogPage(KernelIo& kernel, int fd, uint8_t logId, uint32_t nsid,
                               std::span<uint8_t> data);

}  // namespace platform::linux_backend
