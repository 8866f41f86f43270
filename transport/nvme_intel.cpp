#include "transport/nvme_intel.h"

#include <algorithm>
#include <cstring>
#include <memory>

#include "platform/ioctl.h"
#include "platform/platform.h"
#include "platform/win_constants.h"

namespace transport {

using namespace platform;

namespace {

constexpr DWORD kTimeoutSeconds = 40;
// NVMe command dwords 0 (opcode), 1 (namespace) and 10 (command specific).
constexpr size_t kOpcode = 0, kNamespace = 1, kDword10 = 10;
// Get Log Page dword 10: the log id, and the dword count less one from bit 16.
constexpr DWORD kFullHealthLog = (127u << 16) | NVME_LOG_PAGE_HEALTH_INFO;
constexpr DWORD kShortHealthLog = NVME_LOG_PAGE_HEALTH_INFO;

struct NvmeCommand {
    DWORD opcode;
    DWORD nameSpace;
    DWORD dword10;
};

bool SendNvmeMiniport(int physicalDrive, const NvmeCommand& command, NvmePage destination) {
    // A drive whose port is unknown is not reached: another port's drive would answer instead.
    const std::optional<int> port = ScsiPortOfPhysicalDrive(physicalDrive);
    if (!port) return false;

    // Too large for the stack of every caller; make_unique zeroes it.
    const auto request = std::make_unique<NVME_PASS_THROUGH_IOCTL>();
    SRB_IO_CONTROL& header = request->SrbIoCtrl;
    header.HeaderLength = sizeof(SRB_IO_CONTROL);
    std::memcpy(header.Signature, kNvmeMiniportSignature, sizeof header.Signature);
    header.Timeout = kTimeoutSeconds;
    header.ControlCode = NVME_PASS_THROUGH_SRB_IO_CODE;
    header.Length = sizeof(NVME_PASS_THROUGH_IOCTL) - sizeof(SRB_IO_CONTROL);
    request->NVMeCmd[kOpcode] = command.opcode;
    request->NVMeCmd[kNamespace] = command.nameSpace;
    request->NVMeCmd[kDword10] = command.dword10;
    request->Direction = NVME_FROM_DEV_TO_HOST;
    request->QueueId = 0;  // the admin queue
    request->DataBufferLen = kNvmeTransferSize;
    request->ReturnBufferLen = sizeof(NVME_PASS_THROUGH_IOCTL);

    const HANDLE device = OpenNvmeScsiPort(*port);
    if (device == INVALID_HANDLE_VALUE) return false;
    DWORD returned = 0;
    const BOOL ok = DeviceIoControl(device, IOCTL_SCSI_MINIPORT, request.get(), sizeof *request,
                                    request.get(), sizeof *request, &returned);
    CloseHandle(device);
    const std::span<const uint8_t> data(request->DataBuffer, destination.size());
    if (!ok || IsAllZero(data)) return false;
    std::ranges::copy(data, destination.begin());
    return true;
}

}  // namespace

std::optional<int> ScsiPortOfPhysicalDrive(int physicalDrive) {
    const HANDLE drive = OpenNvmePhysicalDrive(physicalDrive);
    if (drive == INVALID_HANDLE_VALUE) return std::nullopt;
    SCSI_ADDRESS address{};
    DWORD returned = 0;
    const BOOL ok = DeviceIoControl(drive, IOCTL_SCSI_GET_ADDRESS, nullptr, 0, &address,
                                    sizeof address, &returned);
    CloseHandle(drive);
    if (!ok) return std::nullopt;
    return address.PortNumber;
}

bool DoIdentifyDeviceNVMeIntel(int physicalDrive, NvmePage identify) {
    return SendNvmeMiniport(physicalDrive, {NVME_ADMIN_IDENTIFY, 0, NVME_IDENTIFY_CNS_CONTROLLER},
                            identify);
}

bool GetSmartAttributeNVMeIntel(int physicalDrive, NvmePage healthLog) {
    return SendNvmeMiniport(
        physicalDrive, {NVME_ADMIN_GET_LOG_PAGE, NVME_NAMESPACE_ALL, kFullHealthLog}, healthLog);
}

bool GetSmartAttributeNVMeIntelShort(int physicalDrive, NvmePage healthLog) {
    return SendNvmeMiniport(
        physicalDrive, {NVME_ADMIN_GET_LOG_PAGE, NVME_NAMESPACE_ALL, kShortHealthLog}, healthLog);
}

}  // namespace transport
