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

// The SMART_GET_VERSION reply.
#pragma pack(push, 1)
struct GETVERSIONINPARAMS {
    BYTE bVersion;
    BYTE bRevision;
    BYTE bReserved;
    BYTE bIDEDeviceMap;
    DWORD fCapabilities;
    DWORD dwReserved[4];
};
#pragma pack(pop)
static_assert(sizeof(GETVERSIONINPARAMS) == 24);
constexpr DWORD CAP_ATA_ID_CMD = 1, CAP_ATAPI_ID_CMD = 2, CAP_SMART_CMD = 4;

uint8_t SenseKey(std::span<const uint8_t> sense) {
    if (sense.empty()) return 0;
    const uint8_t code = sense[0] & 0x7F;
    if (code >= 0x72) return sense.size() > 1 ? sense[1] & 0x0F : 0;
    return sense.size() > 2 ? sense[2] & 0x0F : 0;
}

struct AtaExchange {
    DWORD error = ERROR_SUCCESS;
    BYTE registers[8] = {};
};

// One task file to the device; the registers after it when it completed without error.
AtaExchange ExchangeTaskFile(KernelIo& kernel, int fd, const BYTE taskFile[8],
                             std::span<uint8_t> dataIn, uint32_t timeoutMs) {
    const bool in = !dataIn.empty();
    // Registers matter after a non-data command (the SMART status lives in them); a data-in
    // command shows its outcome in its data.
    const auto cdb = AtaPassThroughCdb(taskFile, in ? AtaProtocol::PioDataIn : AtaProtocol::NonData,
                                       static_cast<uint8_t>(dataIn.size() / kSectorSize), !in);
    const ScsiResult result = SendScsi(
        kernel, fd, cdb, in ? DataDirection::FromDevice : DataDirection::None, dataIn, timeoutMs);
    AtaExchange exchange;
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

DWORD LinuxPlatform::AtaPassThrough(const DiskFile& file, Request& request) {
    if (file.info.kind == BlockDisk::Kind::Nvme) return ERROR_INVALID_FUNCTION;
    if (request.inSize < sizeof(ATA_PASS_THROUGH_EX) ||
        request.outSize < sizeof(ATA_PASS_THROUGH_EX))
        return ERROR_INVALID_PARAMETER;
    ATA_PASS_THROUGH_EX apt;
    std::memcpy(&apt, request.buffer.data(), sizeof apt);
    if (apt.Length != sizeof(ATA_PASS_THROUGH_EX)) return ERROR_INVALID_PARAMETER;
    const bool in = apt.AtaFlags & ATA_FLAGS_DATA_IN;
    const bool out = apt.AtaFlags & ATA_FLAGS_DATA_OUT;
    if ((in && out) || (apt.DataTransferLength > 0) != (in || out)) return ERROR_INVALID_PARAMETER;
    // Writing through a task file would pass the block layer by; nothing here needs it.
    if (out || (apt.AtaFlags & ATA_FLAGS_48BIT_COMMAND)) return ERROR_NOT_SUPPORTED;
    if (in) {
        const uint64_t end = uint64_t{apt.DataBufferOffset} + apt.DataTransferLength;
        if (apt.DataBufferOffset < sizeof(ATA_PASS_THROUGH_EX) || end > request.outSize ||
            apt.DataTransferLength % kSectorSize != 0 ||
            apt.DataTransferLength > kMaxPioBlocks * kSectorSize)
            return ERROR_INVALID_PARAMETER;
    }
    std::span<uint8_t> data;
    if (in) data = request.buffer.subspan(apt.DataBufferOffset, apt.DataTransferLength);
    const uint32_t timeoutMs = apt.TimeOutValue ? apt.TimeOutValue * 1000 : kDefaultTimeoutMs;
    const AtaExchange exchange =
        ExchangeTaskFile(*kernel_, file.fd, apt.CurrentTaskFile, data, timeoutMs);
    if (exchange.error != ERROR_SUCCESS) return exchange.error;
    std::memcpy(apt.CurrentTaskFile, exchange.registers, sizeof apt.CurrentTaskFile);
    std::memcpy(request.buffer.data(), &apt, sizeof apt);
    request.returned = in ? apt.DataBufferOffset + apt.DataTransferLength
                          : static_cast<DWORD>(sizeof(ATA_PASS_THROUGH_EX));
    return ERROR_SUCCESS;
}

RunTaskFile LinuxPlatform::TaskFileRunner(const DiskFile& file) {
    return [this, &file](const BYTE taskFile[8], std::span<uint8_t> dataIn) {
        const AtaExchange exchange =
            ExchangeTaskFile(*kernel_, file.fd, taskFile, dataIn, kDefaultTimeoutMs);
        TaskFileResult result{exchange.error, {}, static_cast<DWORD>(dataIn.size())};
        std::memcpy(result.registers, exchange.registers, sizeof result.registers);
        return result;
    };
}

DWORD LinuxPlatform::SmartReceive(const DiskFile& file, Request& request) {
    if (file.info.kind == BlockDisk::Kind::Nvme) return ERROR_INVALID_FUNCTION;
    return platform::SmartReceive(request, TaskFileRunner(file));
}

DWORD LinuxPlatform::SmartSend(const DiskFile& file, Request& request) {
    if (file.info.kind == BlockDisk::Kind::Nvme) return ERROR_INVALID_FUNCTION;
    return platform::SmartSend(request, TaskFileRunner(file));
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
    if (request.inSize < sizeof(SCSI_PASS_THROUGH) || request.outSize < sizeof(SCSI_PASS_THROUGH))
        return ERROR_INVALID_PARAMETER;
    SCSI_PASS_THROUGH spt;
    std::memcpy(&spt, request.buffer.data(), sizeof spt);
    constexpr BYTE kDataUnspecified = 2;
    const bool toDevice = spt.DataIn == SCSI_IOCTL_DATA_OUT;
    const uint64_t dataEnd = uint64_t{spt.DataBufferOffset} + spt.DataTransferLength;
    const uint64_t senseEnd = uint64_t{spt.SenseInfoOffset} + spt.SenseInfoLength;
    if (spt.Length != sizeof(SCSI_PASS_THROUGH) || spt.CdbLength == 0 ||
        spt.CdbLength > sizeof spt.Cdb || spt.DataIn > kDataUnspecified ||
        (spt.DataTransferLength != 0 &&
         (spt.DataBufferOffset < sizeof spt ||
          dataEnd > (toDevice ? request.inSize : request.outSize))) ||
        (spt.SenseInfoLength != 0 &&
         (spt.SenseInfoOffset < sizeof spt || senseEnd > request.outSize)))
        return ERROR_INVALID_PARAMETER;

    std::span<uint8_t> data;
    if (spt.DataTransferLength != 0)
        data = request.buffer.subspan(spt.DataBufferOffset, spt.DataTransferLength);
    const DataDirection direction = data.empty() ? DataDirection::None
                                    : toDevice   ? DataDirection::ToDevice
                                                 : DataDirection::FromDevice;
    if (direction == DataDirection::FromDevice) std::fill(data.begin(), data.end(), uint8_t{0});
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
