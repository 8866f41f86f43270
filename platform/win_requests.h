// What a storage driver does with a control request whatever the device beneath: it checks the
// request buffer and lays out the reply. A backend supplies only the command's outcome.
#pragma once

#include <cstdint>
#include <cstring>
#include <functional>
#include <optional>
#include <span>

#include "platform/ioctl.h"
#include "platform/win_constants.h"
#include "platform/win_types.h"

namespace platform {

// One buffered control request: a single system buffer of max(in, out) bytes holding the
// input first, in which the reply is left; `returned` bytes of it go back.
struct ControlRequest {
    DWORD code = 0;
    std::span<uint8_t> buffer;
    DWORD inSize = 0, outSize = 0;
    DWORD returned = 0;
};

// Answers with the first `size` bytes of `value`; ERROR_INSUFFICIENT_BUFFER when they do not fit.
template <typename T>
DWORD ReplyWith(ControlRequest& request, const T& value, DWORD size = sizeof(T)) {
    if (request.outSize < size) return ERROR_INSUFFICIENT_BUFFER;
    std::memcpy(request.buffer.data(), &value, size);
    request.returned = size;
    return ERROR_SUCCESS;
}

// IOCTL_VOLUME_GET_VOLUME_DISK_EXTENTS: the extents; only their count, with ERROR_MORE_DATA,
// when the buffer is too short for them, so the caller can size its buffer.
DWORD VolumeDiskExtents(ControlRequest& request, std::span<const DISK_EXTENT> extents);

// What the device made of one ATA task file.
struct TaskFileResult {
    DWORD error = 0;  // ERROR_SUCCESS when the device completed the command
    // Registers after the command, in task-file order.
    BYTE registers[8] = {};
    // Data bytes placed in the host's buffer.
    DWORD transferred = 0;
};
// Sends a task file (features, sector count, sector number, cylinder low, cylinder high,
// device/head, command, reserved) to the device, reading into `dataIn` when it is not empty.
using RunTaskFile =
    std::function<TaskFileResult(const BYTE taskFile[8], std::span<uint8_t> dataIn)>;

// IOCTL_ATA_PASS_THROUGH as the disk driver accepts it: the header as sent and the data area
// it names (empty when no data moves).
struct AtaCommand {
    ATA_PASS_THROUGH_EX header{};
    bool dataIn = false, dataOut = false;
    std::span<uint8_t> data;
};
// Carries the command out; a result with an error fails the call, one without has the
// registers the reply shows (a device that aborted says so there).
using RunAtaCommand = std::function<TaskFileResult(const AtaCommand& command)>;
// Checks the header's length, its direction flags against its data length and the data area
// against both buffers (ERROR_INVALID_PARAMETER), runs it and answers with the header holding
// the registers after the command, followed by the data when data came in.
DWORD AtaPassThrough(ControlRequest& request, const RunAtaCommand& run);

// SMART_RCV_DRIVE_DATA: IDENTIFY DEVICE, SMART READ DATA or READ THRESHOLDS, answered with a
// SENDCMDOUTPARAMS; any other command is refused.
DWORD SmartReceive(ControlRequest& request, const RunTaskFile& run);
// SMART_SEND_DRIVE_COMMAND: SMART ENABLE / DISABLE OPERATIONS and RETURN STATUS, whose
// registers follow the reply header.
DWORD SmartSend(ControlRequest& request, const RunTaskFile& run);

// IOCTL_SCSI_PASS_THROUGH as the port driver accepts it: the header as sent and its data
// area (empty when no data moves), which is zeroed when data is to come in, so a failed command
// never looks like data.
struct ScsiCommand {
    SCSI_PASS_THROUGH header{};
    bool toDevice = false;
    std::span<uint8_t> data;
};
// Checks the header's length and CDB length, and the data and sense areas against the buffers
// they travel in; ERROR_INVALID_PARAMETER for a request that breaks one of them.
DWORD DecodeScsiPassThrough(ControlRequest& request, ScsiCommand* command);

// How a disk's ATA device is reached: through pass-through and through the SMART codes; a
// path the driver does not offer is left empty.
struct AtaPaths {
    RunAtaCommand passThrough;
    RunTaskFile smart;
};
// The disk driver's ATA codes (IOCTL_ATA_PASS_THROUGH, SMART_RCV_DRIVE_DATA and
// SMART_SEND_DRIVE_COMMAND), ERROR_INVALID_FUNCTION where their path is not offered; none for
// any other code.
std::optional<DWORD> AtaControl(ControlRequest& request, const AtaPaths& paths);

// The data a protocol-specific NVMe storage query can ask for.
enum class NvmeQueryData { IdentifyController, HealthLog };
// Fills `data` (4096 bytes of controller data, or the 512-byte health log of all namespaces)
// from the drive; an error code when that fails.
using FetchNvmeData = std::function<DWORD(NvmeQueryData what, std::span<uint8_t> data)>;

// IOCTL_STORAGE_QUERY_PROPERTY for the protocol-specific property: the data follows the
// protocol descriptor in the same buffer, and the reply starts with the data descriptor
// (version and size). An existence query succeeds without touching the drive.
DWORD NvmeProtocolQuery(ControlRequest& request, const FetchNvmeData& fetch);

}  // namespace platform
