// The ATA device inside a simulated drive: it carries out IDENTIFY DEVICE and the SMART
// commands on the task-file registers, whichever route (standard driver, bridge, RAID driver)
// delivered them, and aborts everything else as a drive does.
#pragma once

#include <cstdint>
#include <span>

#include "platform/sim/sim_state.h"

namespace platform::sim {

struct AtaOutcome {
    // The device carried the command out; otherwise it aborted it (or nobody answered).
    bool completed = false;
    // Registers after the command: error, sector count, sector number, cylinder low and high,
    // device/head, status, reserved.
    BYTE registers[8] = {};
    // Data bytes placed in the host's buffer.
    uint32_t transferred = 0;
};

// `registers` in task-file order (features, sector count, sector number, cylinder low,
// cylinder high, device/head, command). Data-in commands need 512 bytes in `dataIn`, which is
// left zeroed when the command does not complete.
AtaOutcome ExecuteAta(SimDrive& drive, const BYTE registers[8], std::span<uint8_t> dataIn);

}  // namespace platform::sim
