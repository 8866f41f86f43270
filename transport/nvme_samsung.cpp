#include "transport/nvme_samsung.h"

#include <algorithm>
#include <cstring>

#include "platform/ioctl.h"
#include "platform/platform.h"
#include "platform/win_constants.h"
#include "transport/physical_drive.h"

namespace transport {

using namespace platform;

namespace {

constexpr DWORD kTimeoutSeconds = 2;
constexpr BYTE kCdbLength = 16;
// The security-protocol-specific value that names the structure: 5 identify, 6 health log.
constexpr BYTE kIdentifyPage = 0x05;
constexpr BYTE kHealthLogPage = 0x06;

// Both CDBs carry the driver's own transfer-length encoding, fixed for one 512-byte block.
void SetCdb(SCSI_PASS_THROUGH& spt, BYTE operation, BYTE page) {
    std::memset(spt.Cdb, 0, sizeof spt.Cdb);
    spt.Cdb[0] = operation;
    spt.Cdb[1] = kSamsungNvmeSecurityProtocol;
    spt.Cdb[3] = page;
    if (operation == SCSIOP_SECURITY_PROTOCOL_OUT)
        spt.Cdb[9] = 0x40;
    else
        spt.Cdb[8] = 0x01;
}

// One read: the data-out call asks for `page` with `request` as its data block, the data-in
// call fetches the answer. The answer is copied only when both calls succeed with good status
// and it is not all zero: a check condition leaves the data area holding what was sent.
bool ReadSamsung(int physicalDrive, BYTE page, std::span<const uint8_t> request,
                 NvmePage destination) {
    SCSI_PASS_THROUGH_NVME_BUFFERS buffer{};
    SCSI_PASS_THROUGH& spt = buffer.spt;
    spt.Length = sizeof(SCSI_PASS_THROUGH);
    spt.CdbLength = kCdbLength;
    spt.SenseInfoLength = sizeof buffer.SenseBuf;
    spt.DataTransferLength = sizeof buffer.DataBuf;
    spt.TimeOutValue = kTimeoutSeconds;
    spt.DataBufferOffset = kNvmePassThroughDataOffset;
    spt.SenseInfoOffset = kNvmePassThroughSenseOffset;
    spt.DataIn = SCSI_IOCTL_DATA_OUT;
    SetCdb(spt, SCSIOP_SECURITY_PROTOCOL_OUT, page);
    std::ranges::copy(request, buffer.DataBuf);

    const HANDLE drive = OpenPhysicalDrive(physicalDrive);
    if (drive == INVALID_HANDLE_VALUE) return false;
    DWORD returned = 0;
    bool ok = DeviceIoControl(drive, IOCTL_SCSI_PASS_THROUGH, &buffer, sizeof buffer, &buffer,
                              sizeof buffer, &returned) &&
              spt.ScsiStatus == 0;
    if (ok) {
        spt.DataIn = SCSI_IOCTL_DATA_IN;
        SetCdb(spt, SCSIOP_SECURITY_PROTOCOL_IN, page);
        buffer.DataBuf[0] = 0;
        ok = DeviceIoControl(drive, IOCTL_SCSI_PASS_THROUGH, &buffer, sizeof buffer, &buffer,
                             sizeof buffer, &returned) &&
             spt.ScsiStatus == 0;
    }
    CloseHandle(drive);
    if (!ok || IsAllZero(buffer.DataBuf)) return false;
    std::ranges::copy(buffer.DataBuf, destination.begin());
    return true;
}

}  // namespace

bool DoIdentifyDeviceNVMeSamsung(int physicalDrive, NvmePage identify) {
    std::ranges::fill(identify, uint8_t{0});
    constexpr uint8_t kRequest[] = {1};
    return ReadSamsung(physicalDrive, kIdentifyPage, kRequest, identify);
}

bool GetSmartAttributeNVMeSamsung(int physicalDrive, NvmePage healthLog) {
    // Byte 0 names the log; bytes 4-7 the namespace: all of them.
    constexpr uint8_t kRequest[] = {2, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF};
    return ReadSamsung(physicalDrive, kHealthLogPage, kRequest, healthLog);
}

}  // namespace transport
