#include "transport/silicon_image.h"

#include <cstring>
#include <string>

#include "platform/ioctl.h"
#include "platform/platform.h"
#include "platform/win_constants.h"
#include "transport/physical_drive.h"
#include "transport/scsi_miniport.h"
#include "transport/wmi_smart.h"

namespace transport {

using namespace platform;

namespace {

constexpr DWORD kIdentifyTimeoutSeconds = 5;
constexpr DWORD kIdentifyReturnCode = 0xFFFFFFFF;

}  // namespace

HANDLE OpenSiliconImage(int port, int chip) {
    const HANDLE direct = OpenScsiPort(port);
    if (direct != INVALID_HANDLE_VALUE) return direct;
    // One driver serves both chips and carries the older one's name.
    if (chip == 3512) chip = 3112;
    const std::wstring name = L"tempBusSil" + std::to_wstring(chip);
    const std::wstring target = L"\\Device\\Scsi\\SI" + std::to_wstring(chip) + L"1";
    if (!DefineDosDeviceW(DDD_RAW_TARGET_PATH, name.c_str(), target.c_str()))
        return INVALID_HANDLE_VALUE;
    const std::wstring path = L"\\\\.\\" + name;
    return CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE,
                       FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING, 0);
}

bool SiliconImageRoute::IdentifyDevice(AtaBuffer identify) {
    const HANDLE controller = OpenSiliconImage(address_.port, address_.chip);
    if (controller == INVALID_HANDLE_VALUE) return false;
    SI_IDENTIFY_REQUEST request{};
    request.header.HeaderLength = sizeof(SRB_IO_CONTROL);
    std::memcpy(request.header.Signature, kSiliconImageSignature, sizeof request.header.Signature);
    request.header.Timeout = kIdentifyTimeoutSeconds;
    request.header.ControlCode = kSiliconImageIdentifyCode;
    request.header.ReturnCode = kIdentifyReturnCode;
    request.header.Length = sizeof request - sizeof(SRB_IO_CONTROL);
    request.DeviceNumber = static_cast<WORD>(address_.device);
    request.One = 1;
    DWORD returned = 0;
    const BOOL ok = DeviceIoControl(controller, IOCTL_SCSI_MINIPORT, &request, sizeof request,
                                    &request, sizeof request, &returned);
    if (ok) std::memcpy(identify.data(), request.Identify, identify.size());
    CloseHandle(controller);
    return ok != 0;
}

bool SiliconImageRoute::ReadSmartData(AtaBuffer page) {
    const HANDLE drive = OpenPhysicalDrive(address_.physicalDrive);
    if (drive != INVALID_HANDLE_VALUE) {
        STORAGE_PREDICT_FAILURE reply{};
        DWORD returned = 0;
        const BOOL ok = DeviceIoControl(drive, IOCTL_STORAGE_PREDICT_FAILURE, &reply, sizeof reply,
                                        &reply, sizeof reply, &returned);
        CloseHandle(drive);
        if (ok) {
            std::memcpy(page.data(), reply.VendorSpecific, page.size());
            return true;
        }
    }
    return ReadSmartPageWmi(address_.pnpDeviceId, address_.osMajorVersion, false, page);
}

bool SiliconImageRoute::ReadSmartThresholds(AtaBuffer page) {
    if (address_.osMajorVersion == 5 && address_.osMinorVersion == 0) return false;
    return ReadSmartPageWmi(address_.pnpDeviceId, address_.osMajorVersion, true, page);
}

}  // namespace transport
