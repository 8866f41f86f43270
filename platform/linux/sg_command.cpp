#include "platform/linux/sg_command.h"

#include <algorithm>
#include <cstring>

#include "platform/ioctl.h"
#include "platform/linux/kernel_abi.h"

namespace platform::linux_backend {

namespace {

constexpr uint32_t kNvmeTimeoutMs = 10000;

NvmeAdminResult RunAdmin(KernelIo& kernel, int fd, NvmeAdminCommand& command,
                         std::span<uint8_t> data) {
    std::fill(data.begin(), data.end(), uint8_t{0});
    command.addr = reinterpret_cast<uintptr_t>(data.data());
    command.dataLen = static_cast<uint32_t>(data.size());
    command.timeoutMs = kNvmeTimeoutMs;
    const int result = kernel.Ioctl(fd, kNvmeIoctlAdminCmd, &command);
    if (result < 0) return {result, 0};
    return {0, static_cast<uint32_t>(result)};
}

}  // namespace

ScsiResult SendScsi(KernelIo& kernel, int fd, std::span<const uint8_t> cdb, DataDirection direction,
                    std::span<uint8_t> data, uint32_t timeoutMs) {
    ScsiResult result;
    std::vector<uint8_t> command(cdb.begin(), cdb.end());
    SgIoHeader header{};
    header.interfaceId = kSgInterfaceId;
    header.dxferDirection = direction == DataDirection::FromDevice ? kSgDxferFromDev
                            : direction == DataDirection::ToDevice ? kSgDxferToDev
                                                                   : kSgDxferNone;
    header.cmdLen = static_cast<uint8_t>(command.size());
    header.mxSbLen = sizeof result.sense;
    header.dxferLen = direction == DataDirection::None ? 0 : static_cast<uint32_t>(data.size());
    header.dxferp = direction == DataDirection::None ? nullptr : data.data();
    header.cmdp = command.data();
    header.sbp = result.sense;
    header.timeout = timeoutMs;
    result.error = kernel.Ioctl(fd, kSgIo, &header);
    if (result.error != 0) return result;
    result.status = header.status;
    result.hostStatus = header.hostStatus;
    result.driverStatus = header.driverStatus;
    result.senseLength = std::min<uint8_t>(header.sbLenWr, sizeof result.sense);
    const int32_t resid =
        std::clamp<int32_t>(header.resid, 0, static_cast<int32_t>(header.dxferLen));
    result.transferred = header.dxferLen - static_cast<uint32_t>(resid);
    return result;
}

NvmeAdminResult NvmeIdentify(KernelIo& kernel, int fd, uint32_t cns, uint32_t nsid,
                             std::span<uint8_t> data) {
    NvmeAdminCommand command{};
    command.opcode = NVME_ADMIN_IDENTIFY;
    command.nsid = nsid;
    command.cdw10 = cns;
    return RunAdmin(kernel, fd, command, data);
}

NvmeAdminResult NvmeGetLogPage(KernelIo& kernel, int fd, uint8_t logId, uint32_t nsid,
                               std::span<uint8_t> data) {
    NvmeAdminCommand command{};
    command.opcode = NVME_ADMIN_GET_LOG_PAGE;
    command.nsid = nsid;
    // The number of dwords less one, low half in CDW10, high half in CDW11.
    const uint32_t dwords = static_cast<uint32_t>(data.size() / 4) - 1;
    command.cdw10 = logId | (dwords & 0xFFFF) << 16;
    command.cdw11 = dwords >> 16;
    return RunAdmin(kernel, fd, command, data);
}

}  // namespace platform::linux_backend
