#include "platform/win_requests.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace platform {

namespace {

constexpr DWORD kHealthLogSize = 512;

bool IsSmartSignature(const IDEREGS& registers) {
    return registers.bCylLowReg == SMART_CYL_LOW && registers.bCylHighReg == SMART_CYL_HIGH;
}

// The register block of a SENDCMDINPARAMS request; the caller has checked it is all there.
IDEREGS RegistersOf(const ControlRequest& request) {
    SENDCMDINPARAMS params;
    std::memcpy(&params, request.buffer.data(), offsetof(SENDCMDINPARAMS, bBuffer));
    return params.irDriveRegs;
}

}  // namespace

DWORD VolumeDiskExtents(ControlRequest& request, std::span<const DISK_EXTENT> extents) {
    if (request.outSize < sizeof(VOLUME_DISK_EXTENTS)) return ERROR_INSUFFICIENT_BUFFER;
    const DWORD count = static_cast<DWORD>(extents.size());
    std::memset(request.buffer.data(), 0, request.outSize);
    std::memcpy(request.buffer.data(), &count, sizeof count);
    const DWORD needed = kVolumeExtentsHeaderSize + count * sizeof(DISK_EXTENT);
    if (request.outSize < needed) {
        request.returned = kVolumeExtentsHeaderSize;
        return ERROR_MORE_DATA;
    }
    // A volume on no disk has no extents, and an empty span may hold no pointer at all.
    if (count != 0)
        std::memcpy(request.buffer.data() + kVolumeExtentsHeaderSize, extents.data(),
                    count * sizeof(DISK_EXTENT));
    request.returned = needed;
    return ERROR_SUCCESS;
}

DWORD AtaPassThrough(ControlRequest& request, const RunAtaCommand& run) {
    if (request.inSize < sizeof(ATA_PASS_THROUGH_EX) ||
        request.outSize < sizeof(ATA_PASS_THROUGH_EX))
        return ERROR_INVALID_PARAMETER;
    AtaCommand command;
    ATA_PASS_THROUGH_EX& apt = command.header;
    std::memcpy(&apt, request.buffer.data(), sizeof apt);
    if (apt.Length != sizeof(ATA_PASS_THROUGH_EX)) return ERROR_INVALID_PARAMETER;
    command.dataIn = apt.AtaFlags & ATA_FLAGS_DATA_IN;
    command.dataOut = apt.AtaFlags & ATA_FLAGS_DATA_OUT;
    if ((command.dataIn && command.dataOut) ||
        (apt.DataTransferLength > 0) != (command.dataIn || command.dataOut))
        return ERROR_INVALID_PARAMETER;
    if (apt.DataTransferLength > 0) {
        const uint64_t end = uint64_t{apt.DataBufferOffset} + apt.DataTransferLength;
        if (apt.DataBufferOffset < sizeof(ATA_PASS_THROUGH_EX) || end > request.buffer.size() ||
            (command.dataIn && end > request.outSize) || (command.dataOut && end > request.inSize))
            return ERROR_INVALID_PARAMETER;
        command.data = request.buffer.subspan(apt.DataBufferOffset, apt.DataTransferLength);
    }

    const TaskFileResult result = run(command);
    if (result.error != ERROR_SUCCESS) return result.error;
    std::memcpy(apt.CurrentTaskFile, result.registers, sizeof apt.CurrentTaskFile);
    std::memcpy(request.buffer.data(), &apt, sizeof apt);
    request.returned =
        static_cast<DWORD>(command.dataIn ? apt.DataBufferOffset + apt.DataTransferLength
                                          : sizeof(ATA_PASS_THROUGH_EX));
    return ERROR_SUCCESS;
}

DWORD DecodeScsiPassThrough(ControlRequest& request, ScsiCommand* command) {
    if (request.inSize < sizeof(SCSI_PASS_THROUGH) || request.outSize < sizeof(SCSI_PASS_THROUGH))
        return ERROR_INVALID_PARAMETER;
    SCSI_PASS_THROUGH& spt = command->header;
    std::memcpy(&spt, request.buffer.data(), sizeof spt);
    command->toDevice = spt.DataIn == SCSI_IOCTL_DATA_OUT;
    const uint64_t dataEnd = uint64_t{spt.DataBufferOffset} + spt.DataTransferLength;
    const uint64_t senseEnd = uint64_t{spt.SenseInfoOffset} + spt.SenseInfoLength;
    if (spt.Length != sizeof(SCSI_PASS_THROUGH) || spt.CdbLength == 0 ||
        spt.CdbLength > sizeof spt.Cdb ||
        (spt.DataTransferLength != 0 &&
         (spt.DataBufferOffset < sizeof spt ||
          dataEnd > (command->toDevice ? request.inSize : request.outSize))) ||
        (spt.SenseInfoLength != 0 &&
         (spt.SenseInfoOffset < sizeof spt || senseEnd > request.outSize)))
        return ERROR_INVALID_PARAMETER;
    command->data = {};
    if (spt.DataTransferLength != 0)
        command->data = request.buffer.subspan(spt.DataBufferOffset, spt.DataTransferLength);
    if (!command->toDevice) std::fill(command->data.begin(), command->data.end(), uint8_t{0});
    return ERROR_SUCCESS;
}

DWORD SmartReceive(ControlRequest& request, const RunTaskFile& run) {
    if (request.inSize < offsetof(SENDCMDINPARAMS, bBuffer)) return ERROR_INVALID_PARAMETER;
    if (request.outSize < sizeof(SENDCMDOUTPARAMS)) return ERROR_INSUFFICIENT_BUFFER;
    const IDEREGS registers = RegistersOf(request);
    const bool identify = registers.bCommandReg == ATA_IDENTIFY_DEVICE;
    const bool smartRead = registers.bCommandReg == ATA_SMART && IsSmartSignature(registers) &&
                           (registers.bFeaturesReg == SMART_READ_DATA ||
                            registers.bFeaturesReg == SMART_READ_THRESHOLDS);
    if (!identify && !smartRead) return ERROR_INVALID_PARAMETER;

    BYTE taskFile[8];
    std::memcpy(taskFile, &registers, sizeof taskFile);
    SENDCMDOUTPARAMS reply{};
    const TaskFileResult result = run(taskFile, reply.bBuffer);
    if (result.error != ERROR_SUCCESS) return result.error;
    reply.cBufferSize = result.transferred;
    std::memcpy(request.buffer.data(), &reply, sizeof reply);
    request.returned = sizeof reply;
    return ERROR_SUCCESS;
}

DWORD SmartSend(ControlRequest& request, const RunTaskFile& run) {
    if (request.inSize < offsetof(SENDCMDINPARAMS, bBuffer)) return ERROR_INVALID_PARAMETER;
    if (request.outSize < kSendCmdOutHeaderSize) return ERROR_INSUFFICIENT_BUFFER;
    const IDEREGS registers = RegistersOf(request);
    const BYTE feature = registers.bFeaturesReg;
    const bool returnStatus = feature == SMART_RETURN_STATUS;
    if (registers.bCommandReg != ATA_SMART || !IsSmartSignature(registers) ||
        (feature != SMART_ENABLE_OPERATIONS && feature != SMART_DISABLE_OPERATIONS &&
         !returnStatus))
        return ERROR_INVALID_PARAMETER;
    // The status answer comes back as a register block after the header.
    if (returnStatus && request.outSize < kSendCmdOutHeaderSize + sizeof(IDEREGS))
        return ERROR_INSUFFICIENT_BUFFER;

    BYTE taskFile[8];
    std::memcpy(taskFile, &registers, sizeof taskFile);
    const TaskFileResult result = run(taskFile, {});
    if (result.error != ERROR_SUCCESS) return result.error;
    std::memset(request.buffer.data(), 0, kSendCmdOutHeaderSize);
    request.returned = kSendCmdOutHeaderSize;
    if (returnStatus) {
        std::memcpy(request.buffer.data() + kSendCmdOutHeaderSize, result.registers,
                    sizeof(IDEREGS));
        request.returned += sizeof(IDEREGS);
    }
    return ERROR_SUCCESS;
}

std::optional<DWORD> AtaControl(ControlRequest& request, const AtaPaths& paths) {
    switch (request.code) {
        case IOCTL_ATA_PASS_THROUGH:
            return paths.passThrough ? AtaPassThrough(request, paths.passThrough)
                                     : ERROR_INVALID_FUNCTION;
        case SMART_RCV_DRIVE_DATA:
            return paths.smart ? SmartReceive(request, paths.smart) : ERROR_INVALID_FUNCTION;
        case SMART_SEND_DRIVE_COMMAND:
            return paths.smart ? SmartSend(request, paths.smart) : ERROR_INVALID_FUNCTION;
        default:
            return std::nullopt;
    }
}

DWORD NvmeProtocolQuery(ControlRequest& request, const FetchNvmeData& fetch) {
    constexpr DWORD kHeader = kStorageQueryNvmeDataOffset;
    constexpr DWORD kProtocolStart = offsetof(STORAGE_QUERY_NVME_BUFFER, ProtocolSpecific);
    if (request.inSize < kHeader || request.outSize < kHeader) return ERROR_INVALID_PARAMETER;
    STORAGE_PROPERTY_QUERY query{};
    std::memcpy(&query, request.buffer.data(),
                offsetof(STORAGE_PROPERTY_QUERY, AdditionalParameters));
    if (query.QueryType == PropertyExistsQuery) return ERROR_SUCCESS;
    if (query.QueryType != PropertyStandardQuery) return ERROR_INVALID_PARAMETER;

    STORAGE_PROTOCOL_SPECIFIC_DATA protocol{};
    std::memcpy(&protocol, request.buffer.data() + kProtocolStart, sizeof protocol);
    const uint64_t end =
        uint64_t{kProtocolStart} + protocol.ProtocolDataOffset + protocol.ProtocolDataLength;
    if (protocol.ProtocolType != ProtocolTypeNvme ||
        protocol.ProtocolDataOffset < sizeof(STORAGE_PROTOCOL_SPECIFIC_DATA) ||
        protocol.ProtocolDataLength == 0 || end > request.inSize || end > request.outSize)
        return ERROR_INVALID_PARAMETER;

    NvmeQueryData what;
    DWORD size = 0;
    switch (protocol.DataType) {
        case NVMeDataTypeIdentify:
            // Value 0 and the controller's CNS value both ask for the controller data.
            if (protocol.ProtocolDataRequestValue > NVME_IDENTIFY_CNS_CONTROLLER ||
                protocol.ProtocolDataRequestSubValue != 0)
                return ERROR_NOT_SUPPORTED;
            what = NvmeQueryData::IdentifyController;
            size = kNvmeTransferSize;
            break;
        case NVMeDataTypeLogPage:
            if (protocol.ProtocolDataRequestValue != NVME_LOG_PAGE_HEALTH_INFO)
                return ERROR_NOT_SUPPORTED;
            if (protocol.ProtocolDataRequestSubValue != 0 &&
                protocol.ProtocolDataRequestSubValue != NVME_NAMESPACE_ALL)
                return ERROR_INVALID_PARAMETER;
            what = NvmeQueryData::HealthLog;
            size = kHealthLogSize;
            break;
        default:
            return ERROR_INVALID_PARAMETER;
    }
    if (protocol.ProtocolDataLength < size) return ERROR_INVALID_PARAMETER;

    // The data lands behind the protocol descriptor as sent; what the drive did not fill is 0.
    const std::span<uint8_t> data = request.buffer.subspan(
        kProtocolStart + protocol.ProtocolDataOffset, protocol.ProtocolDataLength);
    std::vector<uint8_t> fetched(size, 0);
    if (const DWORD error = fetch(what, fetched); error != ERROR_SUCCESS) return error;
    const DWORD descriptor[2] = {kHeader, kHeader};
    std::memcpy(request.buffer.data(), descriptor, sizeof descriptor);
    std::fill(data.begin(), data.end(), uint8_t{0});
    std::copy(fetched.begin(), fetched.end(), data.begin());
    request.returned = static_cast<DWORD>(end);
    return ERROR_SUCCESS;
}

}  // namespace platform
