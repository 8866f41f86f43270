// What a storage driver does with a control request whatever the device beneath: it checks the
// request buffer and lays out the reply. A backend supplies only the command's outcome.
#pragma once

#include <cstdint>
#include <cstring>
#include <functional>
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

// SMART_RCV_DRIVE_DATA: IDENTIFY DEVICE, SMART READ DATA or READ THRESHOLDS, answered with a
// SENDCMDOUTPARAMS; any other command is refused.
DWORD SmartReceive(ControlRequest& request, const RunTaskFile& run);
// SMART_SEND_DRIVE_COMMAND: SMART ENABLE / DISABLE OPERATIONS and RETURN STATUS, whose
// registers follow the reply header.
DWORD SmartSend(ControlRequest& request, const RunTaskFile& run);

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
