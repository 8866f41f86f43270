#include "platform/linux/sat.h"

#include <algorithm>
#include <cstring>

#include "platform/ioctl.h"

namespace platform::linux_backend {

namespace {

constexpr uint8_t kScsiGood = 0x00;
constexpr uint8_t kScsiCheckCondition = 0x02;
constexpr uint8_t kSenseDescriptorCurrent = 0x72, kSenseDescriptorDeferred = 0x73;
constexpr uint8_t kSenseFixedCurrent = 0x70, kSenseFixedDeferred = 0x71;
constexpr uint8_t kAtaStatusReturnDescriptor = 0x09;
constexpr uint8_t kAtaStatusReturnLength = 0x0C;
constexpr size_t kDescriptorSenseHeader = 8;

// CDB byte 2: CK_COND, T_DIR (from device), BYTE_BLOCK (blocks) and T_LENGTH (count field).
constexpr uint8_t kCheckCondition = 0x20;
constexpr uint8_t kTransferFromDevice = 0x08;
constexpr uint8_t kTransferBlocks = 0x04;
constexpr uint8_t kLengthInCount = 0x02;

// Where a register lies in a sense layout.
struct RegisterAt {
    AtaRegister reg;
    size_t offset;
};
// An ATA status return descriptor, counted from its code.
constexpr RegisterAt kStatusDescriptor[] = {
    {kAtaError, 3},    {kAtaSectorCount, 5}, {kAtaSectorNumber, 7}, {kAtaCylLow, 9},
    {kAtaCylHigh, 11}, {kAtaDeviceHead, 12}, {kAtaStatus, 13},
};
// Fixed sense of an ATA pass-through: error, status, device and count in the information
// field, the LBA bytes in the command-specific field.
constexpr RegisterAt kFixedSense[] = {
    {kAtaError, 3},        {kAtaStatus, 4},  {kAtaDeviceHead, 5}, {kAtaSectorCount, 6},
    {kAtaSectorNumber, 9}, {kAtaCylLow, 10}, {kAtaCylHigh, 11},
};

void Gather(const uint8_t* bytes, std::span<const RegisterAt> layout, BYTE registers[8]) {
    for (const RegisterAt& at : layout)
        registers[at.reg] = bytes[at.offset];
}

// Finds the registers in the sense data; false when it holds none.
bool RegistersFromSense(std::span<const uint8_t> sense, BYTE registers[8]) {
    if (sense.empty()) return false;
    const uint8_t code = sense[0] & 0x7F;
    if (code == kSenseDescriptorCurrent || code == kSenseDescriptorDeferred) {
        if (sense.size() < kDescriptorSenseHeader) return false;
        const size_t end = std::min(sense.size(), kDescriptorSenseHeader + sense[7]);
        for (size_t at = kDescriptorSenseHeader; at + 2 <= end; at += 2 + sense[at + 1]) {
            if (sense[at] == kAtaStatusReturnDescriptor &&
                sense[at + 1] >= kAtaStatusReturnLength && at + 2 + kAtaStatusReturnLength <= end) {
                Gather(&sense[at], kStatusDescriptor, registers);
                return true;
            }
        }
        return false;
    }
    // The fixed form names ATA registers only with "ATA PASS-THROUGH INFORMATION AVAILABLE".
    constexpr uint8_t kAscAtaInfo = 0x00, kAscqAtaInfo = 0x1D;
    if ((code == kSenseFixedCurrent || code == kSenseFixedDeferred) && sense.size() >= 14 &&
        sense[12] == kAscAtaInfo && sense[13] == kAscqAtaInfo) {
        Gather(sense.data(), kFixedSense, registers);
        return true;
    }
    return false;
}

}  // namespace

std::array<uint8_t, 16> AtaPassThroughCdb(const BYTE taskFile[8], AtaProtocol protocol,
                                          uint8_t blocks, bool checkCondition) {
    std::array<uint8_t, 16> cdb{};
    const bool dataIn = protocol == AtaProtocol::PioDataIn;
    cdb[0] = kAtaPassThrough16;
    cdb[1] = static_cast<uint8_t>(static_cast<uint8_t>(protocol) << 1);
    cdb[2] =
        static_cast<uint8_t>((checkCondition ? kCheckCondition : 0) |
                             (dataIn ? kTransferFromDevice | kTransferBlocks | kLengthInCount : 0));
    cdb[4] = taskFile[kAtaFeatures];
    cdb[6] = dataIn ? blocks : taskFile[kAtaSectorCount];
    cdb[8] = taskFile[kAtaSectorNumber];
    cdb[10] = taskFile[kAtaCylLow];
    cdb[12] = taskFile[kAtaCylHigh];
    cdb[13] = taskFile[kAtaDeviceHead];
    cdb[14] = taskFile[kAtaCommand];
    return cdb;
}

AtaReply DecodeAtaReply(const BYTE taskFileSent[8], const ScsiOutcome& outcome) {
    AtaReply reply;
    std::memcpy(reply.registers, taskFileSent, sizeof reply.registers);
    reply.registers[kAtaError] = 0;
    reply.registers[7] = 0;
    // The host adapter or the driver gave up (timeout, reset, no device): nothing answered.
    constexpr uint16_t kDriverFailureMask = 0x07;
    if (outcome.hostStatus != 0 || (outcome.driverStatus & kDriverFailureMask) != 0) return reply;
    if (outcome.status == kScsiGood) {
        // A clean end without registers: the device is ready and reported no error.
        reply.registers[kAtaStatus] = ATA_STATUS_DRDY | ATA_STATUS_DSC;
        reply.verdict = AtaVerdict::Completed;
        return reply;
    }
    if (outcome.status != kScsiCheckCondition ||
        !RegistersFromSense(outcome.sense, reply.registers))
        return reply;
    reply.verdict = reply.registers[kAtaStatus] & ATA_STATUS_ERR ? AtaVerdict::DeviceError
                                                                 : AtaVerdict::Completed;
    return reply;
}

}  // namespace platform::linux_backend
