#include "transport/physical_drive.h"

#include <cstring>
#include <string>

#include "base/log.h"
#include "platform/ioctl.h"
#include "platform/platform.h"
#include "platform/win_constants.h"

namespace transport {

using namespace platform;

namespace {

constexpr DWORD kPassThroughTimeoutSeconds = 2;
// SMART_SEND_DRIVE_COMMAND carries no buffer byte; its reply has no data.
constexpr DWORD kSendCommandInSize = offsetof(SENDCMDINPARAMS, bBuffer);
constexpr DWORD kSendCommandOutSize = kSendCmdOutHeaderSize;

// One control call on a handle of its own: the drive is opened before and closed right after,
// before the result is looked at. logAfterOpen, when given, is written once the drive is open.
BOOL ControlOnce(int physicalDrive, const wchar_t* logAfterOpen, DWORD code, void* in, DWORD inSize,
                 void* out, DWORD outSize, DWORD* returned) {
    const HANDLE drive = OpenPhysicalDrive(physicalDrive);
    if (drive == INVALID_HANDLE_VALUE) return 0;
    if (logAfterOpen != nullptr) WriteLog(L"%ls", logAfterOpen);
    const BOOL ok = DeviceIoControl(drive, code, in, inSize, out, outSize, returned);
    CloseHandle(drive);
    return ok;
}

SENDCMDINPARAMS SmartRequest(DWORD bufferSize, BYTE target, BYTE command, BYTE feature, BYTE cylLow,
                             BYTE cylHigh) {
    SENDCMDINPARAMS request{};
    request.cBufferSize = bufferSize;
    request.irDriveRegs.bFeaturesReg = feature;
    request.irDriveRegs.bSectorCountReg = 1;
    request.irDriveRegs.bSectorNumberReg = 1;
    request.irDriveRegs.bCylLowReg = cylLow;
    request.irDriveRegs.bCylHighReg = cylHigh;
    request.irDriveRegs.bDriveHeadReg = target;
    request.irDriveRegs.bCommandReg = command;
    return request;
}

}  // namespace

HANDLE OpenPhysicalDrive(int physicalDrive) {
    const std::wstring path = L"\\\\.\\PhysicalDrive" + std::to_wstring(physicalDrive);
    return CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE,
                       FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING, 0);
}

BOOL SendAtaCommandPd(int physicalDrive, uint8_t target, uint8_t command, uint8_t feature,
                      uint8_t* data, uint32_t dataSize) {
    if (dataSize > sizeof(ATA_PASS_THROUGH_EX_WITH_BUFFERS::ucDataBuf)) return 0;
    ATA_PASS_THROUGH_EX_WITH_BUFFERS request{};
    request.apt.Length = sizeof(ATA_PASS_THROUGH_EX);
    request.apt.AtaFlags = dataSize != 0 ? ATA_FLAGS_DATA_IN : 0;
    request.apt.DataTransferLength = dataSize;
    request.apt.TimeOutValue = kPassThroughTimeoutSeconds;
    request.apt.DataBufferOffset = kAtaPassThroughDataOffset;
    BYTE* registers = request.apt.CurrentTaskFile;
    registers[kAtaFeatures] = feature;
    if (command == ATA_SMART) {
        registers[kAtaSectorCount] = 1;
        registers[kAtaSectorNumber] = 1;
        registers[kAtaCylLow] = SMART_CYL_LOW;
        registers[kAtaCylHigh] = SMART_CYL_HIGH;
    }
    registers[kAtaDeviceHead] = target;
    registers[kAtaCommand] = command;
    if (dataSize != 0) request.ucDataBuf[0] = 0xCF;

    const DWORD size = kAtaPassThroughDataOffset + dataSize;
    DWORD returned = 0;
    const BOOL ok = ControlOnce(physicalDrive, nullptr, IOCTL_ATA_PASS_THROUGH, &request, size,
                                &request, size, &returned);
    if (ok && dataSize != 0 && data != nullptr) std::memcpy(data, request.ucDataBuf, dataSize);
    return ok;
}

bool PhysicalDriveRoute::IdentifyDevice(AtaBuffer identify) {
    constexpr size_t kModelOffset = 54;
    if (passThrough_) {
        WriteLog(L"SendAtaCommandPd - IDENTIFY_DEVICE (ATA_PASS_THROUGH)");
        if (SendAtaCommandPd(drive_, target_, ATA_IDENTIFY_DEVICE, 0, identify.data(),
                             identify.size()) &&
            identify[kModelOffset] != 0) {
            return true;
        }
    }
    std::memset(identify.data(), 0, identify.size());
    return ReceiveDriveData(L"SendAtaCommandPd - IDENTIFY_DEVICE", ATA_IDENTIFY_DEVICE, 0, 0, 0,
                            identify);
}

bool PhysicalDriveRoute::ReadSmartData(AtaBuffer page) {
    return ReadSmartPage(SMART_READ_DATA, L"SendAtaCommandPd - SMART_READ_DATA (ATA_PASS_THROUGH)",
                         L"SendAtaCommandPd - SMART_READ_DATA", page);
}

bool PhysicalDriveRoute::ReadSmartThresholds(AtaBuffer page) {
    return ReadSmartPage(SMART_READ_THRESHOLDS,
                         L"SendAtaCommandPd - SMART_READ_THRESHOLDS (ATA_PASS_THROUGH)",
                         L"SendAtaCommandPd - SMART_READ_THRESHOLDS", page);
}

bool PhysicalDriveRoute::ReadSmartPage(uint8_t feature, const wchar_t* passThroughLog,
                                       const wchar_t* ioctlLog, AtaBuffer page) {
    if (passThrough_) {
        WriteLog(L"%ls", passThroughLog);
        if (SendAtaCommandPd(drive_, target_, ATA_SMART, feature, page.data(), page.size()))
            return true;
    }
    return ReceiveDriveData(ioctlLog, ATA_SMART, feature, SMART_CYL_LOW, SMART_CYL_HIGH, page);
}

bool PhysicalDriveRoute::ReceiveDriveData(const wchar_t* log, uint8_t command, uint8_t feature,
                                          uint8_t cylLow, uint8_t cylHigh, AtaBuffer page) {
    SENDCMDINPARAMS request = SmartRequest(kSectorSize, target_, command, feature, cylLow, cylHigh);
    SENDCMDOUTPARAMS reply{};
    DWORD returned = 0;
    const BOOL ok = ControlOnce(drive_, log, SMART_RCV_DRIVE_DATA, &request, sizeof(request),
                                &reply, sizeof(reply), &returned);
    if (!ok || returned != sizeof(reply)) return false;
    std::memcpy(page.data(), reply.bBuffer, page.size());
    return true;
}

bool PhysicalDriveRoute::EnableSmartOperations() {
    if (passThrough_) {
        WriteLog(L"SendAtaCommandPd - SMART_CONTROL_STATUS (ATA_PASS_THROUGH)");
        if (SendAtaCommandPd(drive_, target_, ATA_SMART, SMART_ENABLE_OPERATIONS, nullptr, 0))
            return true;
    }
    WriteLog(L"SendAtaCommandPd - SMART_CONTROL_STATUS");
    SENDCMDINPARAMS request =
        SmartRequest(0, target_, ATA_SMART, SMART_ENABLE_OPERATIONS, SMART_CYL_LOW, SMART_CYL_HIGH);
    SENDCMDOUTPARAMS reply{};
    DWORD returned = 0;
    return ControlOnce(drive_, nullptr, SMART_SEND_DRIVE_COMMAND, &request, kSendCommandInSize,
                       &reply, kSendCommandOutSize, &returned) != 0;
}

}  // namespace transport
