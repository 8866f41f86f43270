// Arbitrary bytes as what the SCSI layer reports for an ATA PASS-THROUGH command: byte 0 the
// SCSI status, bytes 1-4 the host and driver status, bytes 5-12 the task file sent, the rest the
// sense data (any length, though the kernel hands back at most 32 bytes). The decoding never
// reads past the sense, a completed command never carries the error bit, and an answer the
// device never gave leaves the registers as they were sent.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "platform/ioctl.h"
#include "platform/linux/sat.h"

using namespace platform;
using namespace platform::linux_backend;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    constexpr size_t kHeader = 13;
    if (size < kHeader) return 0;
    ScsiOutcome outcome;
    outcome.status = data[0];
    outcome.hostStatus = static_cast<uint16_t>(data[1] | data[2] << 8);
    outcome.driverStatus = static_cast<uint16_t>(data[3] | data[4] << 8);
    BYTE taskFile[8];
    std::memcpy(taskFile, data + 5, sizeof taskFile);
    // A copy of exactly the sense bytes, so that a read past them is caught by the sanitizer.
    const std::vector<uint8_t> sense(data + kHeader, data + size);
    outcome.sense = sense;

    const AtaReply reply = DecodeAtaReply(taskFile, outcome);
    if (reply.registers[7] != 0) __builtin_trap();
    switch (reply.verdict) {
        case AtaVerdict::Completed:
            if (reply.registers[kAtaStatus] & ATA_STATUS_ERR) __builtin_trap();
            break;
        case AtaVerdict::DeviceError:
            if (!(reply.registers[kAtaStatus] & ATA_STATUS_ERR)) __builtin_trap();
            break;
        case AtaVerdict::NotDelivered:
            if (reply.registers[kAtaError] != 0 ||
                std::memcmp(reply.registers + 1, taskFile + 1, 6) != 0)
                __builtin_trap();
            break;
    }
    return 0;
}
