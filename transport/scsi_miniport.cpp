#include "transport/scsi_miniport.h"

#include <cstring>
#include <string>

#include "platform/ioctl.h"
#include "platform/platform.h"
#include "platform/win_constants.h"

namespace transport {

using namespace platform;

namespace {

constexpr DWORD kTimeoutSeconds = 2;

struct MiniportCommand {
    DWORD controlCode;
    BYTE feature;
};

}  // namespace

HANDLE OpenScsiPort(int port) {
    const std::wstring path = L"\\\\.\\Scsi" + std::to_wstring(port) + L":";
    return CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE,
                       FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING, 0);
}

bool ScsiMiniportRoute::Send(uint32_t controlCode, uint8_t* page, bool firstByteSet) {
    const HANDLE port = OpenScsiPort(port_);
    if (port == INVALID_HANDLE_VALUE) return false;

    SRB_IO_SMART_REQUEST request{};
    request.header.HeaderLength = sizeof(SRB_IO_CONTROL);
    std::memcpy(request.header.Signature, kMiniportSmartSignature, sizeof request.header.Signature);
    request.header.Timeout = kTimeoutSeconds;
    request.header.ControlCode = controlCode;
    request.header.Length = sizeof request - sizeof(SRB_IO_CONTROL);

    IDEREGS& registers = request.in.irDriveRegs;
    if (controlCode == IOCTL_SCSI_MINIPORT_IDENTIFY) {
        registers.bCommandReg = ATA_IDENTIFY_DEVICE;
    } else {
        constexpr MiniportCommand kSmartCommands[] = {
            {IOCTL_SCSI_MINIPORT_READ_SMART_ATTRIBS, SMART_READ_DATA},
            {IOCTL_SCSI_MINIPORT_READ_SMART_THRESHOLDS, SMART_READ_THRESHOLDS},
            {IOCTL_SCSI_MINIPORT_ENABLE_SMART, SMART_ENABLE_OPERATIONS},
        };
        for (const MiniportCommand& command : kSmartCommands)
            if (command.controlCode == controlCode) registers.bFeaturesReg = command.feature;
        request.in.cBufferSize = kSectorSize;
        registers.bSectorCountReg = 1;
        registers.bSectorNumberReg = 1;
        registers.bCylLowReg = SMART_CYL_LOW;
        registers.bCylHighReg = SMART_CYL_HIGH;
        registers.bCommandReg = ATA_SMART;
    }
    request.in.bDriveNumber = static_cast<BYTE>(targetId_);

    DWORD returned = 0;
    const BOOL ok = DeviceIoControl(port, IOCTL_SCSI_MINIPORT, &request, kMiniportSmartInSize,
                                    &request, sizeof request, &returned);
    CloseHandle(port);
    if (!ok) return false;
    if (page == nullptr) return true;
    if (firstByteSet && request.out.bBuffer[0] == 0) return false;
    std::memcpy(page, request.out.bBuffer, kSectorSize);
    return true;
}

bool ScsiMiniportRoute::IdentifyDevice(AtaBuffer identify) {
    return Send(IOCTL_SCSI_MINIPORT_IDENTIFY, identify.data(), true);
}

bool ScsiMiniportRoute::ReadSmartData(AtaBuffer page) {
    return Send(IOCTL_SCSI_MINIPORT_READ_SMART_ATTRIBS, page.data(), false);
}

bool ScsiMiniportRoute::ReadSmartThresholds(AtaBuffer page) {
    return Send(IOCTL_SCSI_MINIPORT_READ_SMART_THRESHOLDS, page.data(), true);
}

bool ScsiMiniportRoute::EnableSmartOperations() {
    return Send(IOCTL_SCSI_MINIPORT_ENABLE_SMART, nullptr, false);
}

}  // namespace transport
