// The pass-through requests of a physical drive: ATA task files (IOCTL_ATA_PASS_THROUGH and
// the SMART control codes) as ATA PASS-THROUGH (16) over SG_IO, SCSI pass-through with the
// CDB as given, and the NVMe storage query as NVMe admin commands, each answered in the
// reply layout a Windows driver gives.
#include <algorithm>
#include <cstring>

#include "platform/ioctl.h"
#include "platform/linux/errors.h"
#include "platform/linux/linux_platform.h"
#include "platform/linux/sg_command.h"
#include "platform/win_constants.h"

namespace platform::linux_backend {

namespace {

constexpr uint32_t kDefaultTimeoutMs = 10000;
constexpr uint8_t kSenseKeyIllegalRequest = 0x05;
constexpr uint32_t kMaxPioBlocks = 255;

uint8_t SenseKey(std::span<const uint8_t> sense) {
    if (sense.empty()) return 0;
    const uint8_t code = sense[0] & 0x7F;
    if (code >= 0x72) return sense.size() > 1 ? sense[1] & 0x0F : 0;
    return sense.size() > 2 ? sense[2] & 0x0F : 0;
}

// One task file to the device: the registers after it, and the data that came in when it
// completed without error.
TaskFileResult Exchange(KernelIo& kernel, int fd, const BYTE taskFile[8], std::span<uint8_t> dataIn,
                        uint32_t timeoutMs) {
    const bool in = !dataIn.empty();
    // Registers matter after a non-data command (the SMART status lives in them); a data-in
    // command shows its outcome in its data.
    const auto cdb = AtaPassThroughCdb(taskFile, in ? AtaProtocol::PioDataIn : AtaProtocol::NonData,
                                       static_cast<uint8_t>(dataIn.size() / kSectorSize), !in);
    const ScsiResult result = SendScsi(
        kernel, fd, cdb, in ? DataDirection::FromDevice : DataDirection::None, dataIn, timeoutMs);
    TaskFileResult exchange{ERROR_SUCCESS, {}, static_cast<DWORD>(dataIn.size())};
    if (result.error != 0) {
        exchange.error = WindowsError(result.error);
        return exchange;
    }
    const AtaReply reply = DecodeAtaReply(taskFile, result.Outcome());
    std::memcpy(exchange.registers, reply.registers, sizeof exchange.registers);
    switch (reply.verdict) {
        case AtaVerdict::Completed:
            break;
        case AtaVerdict::DeviceError:
            exchange.error = ERROR_IO_DEVICE;
            break;
        case AtaVerdict::NotDelivered:
            // A translation layer that does not know the command: no ATA driver on this path.
            exchange.error = SenseKey(result.Outcome().sense) == kSenseKeyIllegalRequest
                                 ? ERROR_INVALID_FUNCTION
                                 : ERROR_IO_DEVICE;
            break;
    }
    if (exchange.error != ERROR_SUCCESS && in) std::fill(dataIn.begin(), dataIn.end(), uint8_t{0});
    return exchange;
}

}  // namespace

// An NVMe drive has no ATA device; any other reaches it through the SCSI/ATA translation.
AtaPaths LinuxPlatform::AtaPathsOf(const DiskFile& file) {
    if (file.info.kind == BlockDisk::Kind::Nvme) return {};
    AtaPaths paths;
    paths.passThrough = [this, &file](const AtaCommand& command) {
        const ATA_PASS_THROUGH_EX& apt = command.header;
        // Writing through a task file would pass the block layer by; nothing here needs it.
        if (command.dataOut || (apt.AtaFlags & ATA_FLAGS_48BIT_COMMAND))
            return TaskFileResult{ERROR_NOT_SUPPORTED};
        // ATA PASS-THROUGH moves whole blocks, and counts them in one byte.
        if (apt.DataTransferLength % kSectorSize != 0 ||
            apt.DataTransferLength > kMaxPioBlocks * kSectorSize)
            return TaskFileResult{ERROR_INVALID_PARAMETER};
        const uint32_t timeoutMs = apt.TimeOutValue ? apt.TimeOutValue * 1000 : kDefaultTimeoutMs;
        return Exchange(*kernel_, file.fd, apt.CurrentTaskFile, command.data, timeoutMs);
    };
    paths.smart = [this, &file](const BYTE taskFile[8], std::span<uint8_t> dataIn) {
        return Exchange(*kernel_, file.fd, taskFile, dataIn, kDefaultTimeoutMs);
    };
    return paths;
}

DWORD LinuxPlatform::SmartVersion(const DiskFile& file, Request& request) {
    if (file.info.kind == BlockDisk::Kind::Nvme) return ERROR_INVALID_FUNCTION;
    if (request.outSize < sizeof(GETVERSIONINPARAMS)) return ERROR_INSUFFICIENT_BUFFER;
    GETVERSIONINPARAMS version{};
    version.bVersion = 1;
    version.bRevision = 1;
    version.bIDEDeviceMap = 1;
    version.fCapabilities = CAP_ATA_ID_CMD | CAP_ATAPI_ID_CMD | CAP_SMART_CMD;
    std::memcpy(request.buffer.data(), &version, sizeof version);
    request.returned = sizeof version;
    return ERROR_SUCCESS;
}

DWORD LinuxPlatform::ScsiPassThrough(const DiskFile& file, Request& request) {
    constexpr BYTE kDataUnspecified = 2;
    ScsiCommand command;
    if (const DWORD error = DecodeScsiPassThrough(request, &command); error != ERROR_SUCCESS)
        return error;
    SCSI_PASS_THROUGH& spt = command.header;
    if (spt.DataIn > kDataUnspecified) return ERROR_INVALID_PARAMETER;
    const std::span<uint8_t> data = command.data;
    const DataDirection direction = data.empty()       ? DataDirection::None
                                    : command.toDevice ? DataDirection::ToDevice
                                                       : DataDirection::FromDevice;
    const uint32_t timeoutMs = spt.TimeOutValue ? spt.TimeOutValue * 1000 : kDefaultTimeoutMs;
    const ScsiResult result =
        SendScsi(*kernel_, file.fd, {spt.Cdb, spt.CdbLength}, direction, data, timeoutMs);
    if (result.error != 0) return WindowsError(result.error);
    if (result.hostStatus != 0) return ERROR_IO_DEVICE;
    spt.ScsiStatus = result.status;
    spt.DataTransferLength = result.transferred;
    const BYTE senseBytes = std::min<BYTE>(spt.SenseInfoLength, result.senseLength);
    if (senseBytes)
        std::memcpy(request.buffer.data() + spt.SenseInfoOffset, result.sense, senseBytes);
    spt.SenseInfoLength = senseBytes;
    std::memcpy(request.buffer.data(), &spt, sizeof spt);
    // What comes back ends with the data that moved, or with the sense when that lies further.
    uint64_t end = sizeof spt;
    if (direction == DataDirection::FromDevice)
        end = std::max(end, spt.DataBufferOffset + uint64_t{result.transferred});
    if (senseBytes) end = std::max(end, spt.SenseInfoOffset + uint64_t{senseBytes});
    request.returned = static_cast<DWORD>(std::min<uint64_t>(end, request.outSize));
    return ERROR_SUCCESS;
}

// The protocol-specific storage query, as NVMe admin commands.
DWORD LinuxPlatform::NvmeQuery(const DiskFile& file, Request& request) {
    return NvmeProtocolQuery(request, [&](NvmeQueryData what, std::span<uint8_t> data) {
        const NvmeAdminResult result =
            what == NvmeQueryData::IdentifyController
                ? NvmeIdentify(*kernel_, file.fd, NVME_IDENTIFY_CNS_CONTROLLER, 0, data)
                : NvmeGetLogPage(*kernel_, file.fd, NVME_LOG_PAGE_HEALTH_INFO, NVME_NAMESPACE_ALL,
                                 data);
        if (result.error != 0) return WindowsError(result.error);
        return result.status != 0 ? ERROR_IO_DEVICE : ERROR_SUCCESS;
    });
}

}  // namespace platform::linux_backend
