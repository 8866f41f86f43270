// ATA commands through the SCSI/ATA translation layer: the ATA PASS-THROUGH (16) command that
// carries a task file, and the decoding of what comes back, including the registers a
// translation layer returns in its sense data.
#pragma once

#include <array>
#include <cstdint>
#include <span>

#include "platform/win_types.h"

namespace platform::linux_backend {

inline constexpr uint8_t kAtaPassThrough16 = 0x85;
inline constexpr size_t kSenseSize = 32;

enum class AtaProtocol : uint8_t { NonData = 3, PioDataIn = 4 };

// The CDB for a task file in the order of IOCTL_ATA_PASS_THROUGH (features, count, sector
// number, cylinder low, cylinder high, device/head, command). A data-in command moves
// `blocks` 512-byte blocks and names them in the count field. With `checkCondition` the
// translation layer returns the registers after the command in the sense data.
std::array<uint8_t, 16> AtaPassThroughCdb(const BYTE taskFile[8], AtaProtocol protocol,
                                          uint8_t blocks, bool checkCondition);

// What the SCSI layer reported for one command.
struct ScsiOutcome {
    uint8_t status = 0;  // SCSI status byte
    uint16_t hostStatus = 0, driverStatus = 0;
    std::span<const uint8_t> sense;  // the bytes the device wrote
};

enum class AtaVerdict {
    Completed,     // the device carried the command out
    DeviceError,   // the device ended it with its error bit set
    NotDelivered,  // the command never reached an ATA device that answered
};

struct AtaReply {
    AtaVerdict verdict = AtaVerdict::NotDelivered;
    // Registers after the command in task-file order with the error in 0 and the status in 6;
    // those the layer did not return keep the values sent.
    BYTE registers[8] = {};
};

// A CHECK CONDITION that carries ATA registers (descriptor sense with the ATA status return
// descriptor, or fixed sense with the ATA information) is the device's answer, and it is a
// success unless the status has its error bit.
AtaReply DecodeAtaReply(const BYTE taskFileSent[8], const ScsiOutcome& outcome);

}  // namespace platform::linux_backend
