#include "transport/usb_bridge.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "base/log.h"
#include "platform/ioctl.h"
#include "platform/platform.h"
#include "platform/win_constants.h"
#include "transport/physical_drive.h"

namespace transport {

using namespace platform;

namespace {

constexpr DWORD kTimeoutSeconds = 2;
constexpr uint8_t kSenseLength = 24;

// The CDBs of one bridge chip, written out as the chip expects them with the device select
// byte left 0. Thresholds are read with the data CDB carrying 0xD1 in its feature byte.
struct BridgeDialect {
    uint8_t length;
    uint8_t targetAt;
    uint8_t featureAt;
    std::array<uint8_t, 16> identify, readData, enable;
};

// Indexed by CommandType - 4: SAT, Sunplus, IO-DATA, Logitec (10-byte), Logitec (16-byte),
// JMicron, Cypress.
constexpr int32_t kFirstBridgeType = 4;
constexpr BridgeDialect kDialects[] = {
    {12,
     8,
     3,
     {0xA1, 0x08, 0x0E, 0x00, 0x01, 0x00, 0x00, 0x00, 0x00, 0xEC},
     {0xA1, 0x08, 0x0E, 0xD0, 0x01, 0x01, 0x4F, 0xC2, 0x00, 0xB0},
     {0xA1, 0x06, 0x0E, 0xD8, 0x00, 0x01, 0x4F, 0xC2, 0x00, 0xB0}},
    {12,
     10,
     5,
     {0xF8, 0x00, 0x22, 0x10, 0x01, 0x00, 0x01, 0x00, 0x00, 0x00, 0x00, 0xEC},
     {0xF8, 0x00, 0x22, 0x10, 0x01, 0xD0, 0x01, 0x00, 0x4F, 0xC2, 0x00, 0xB0},
     {0xF8, 0x00, 0x22, 0x10, 0x01, 0xD8, 0x01, 0x00, 0x4F, 0xC2, 0x00, 0xB0}},
    {12,
     7,
     2,
     {0xE3, 0x00, 0x00, 0x01, 0x01, 0x00, 0x00, 0x00, 0xEC},
     {0xE3, 0x00, 0xD0, 0x00, 0x00, 0x4F, 0xC2, 0x00, 0xB0},
     {0xE3, 0x00, 0xD8, 0x00, 0x00, 0x4F, 0xC2, 0x00, 0xB0}},
    // The 10-byte Logitec CDBs end with the command and the letter 'L'.
    {10,
     7,
     2,
     {0xE0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xEC, 'L'},
     {0xE0, 0x00, 0xD0, 0x00, 0x00, 0x4F, 0xC2, 0x00, 0xB0, 'L'},
     {0xE0, 0x00, 0xD8, 0x00, 0x00, 0x4F, 0xC2, 0x00, 0xB0, 'L'}},
    {16,
     14,
     3,
     {0xD8, 0x15, 0x00, 0x00, 0x06, 0x7B, 0x00, 0x00, 0x02, 0x00, 0x01, 0x00, 0x00, 0x00, 0x00,
      0xEC},
     {0xD8, 0x15, 0x00, 0xD0, 0x06, 0x7B, 0x00, 0x00, 0x02, 0x00, 0x01, 0x00, 0x4F, 0xC2, 0x00,
      0xB0},
     {0xD8, 0x15, 0x00, 0xD8, 0x06, 0x7B, 0x00, 0x00, 0x02, 0x00, 0x01, 0x00, 0x4F, 0xC2, 0x00,
      0xB0}},
    {12,
     10,
     5,
     {0xDF, 0x10, 0x00, 0x02, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00, 0x00, 0xEC},
     {0xDF, 0x10, 0x00, 0x02, 0x00, 0xD0, 0x01, 0x01, 0x4F, 0xC2, 0x00, 0xB0},
     {0xDF, 0x10, 0x00, 0x02, 0x00, 0xD8, 0x01, 0x01, 0x4F, 0xC2, 0x00, 0xB0}},
    {16,
     11,
     6,
     {0x24, 0x24, 0x00, 0xBE, 0x01, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00, 0x00, 0xEC},
     {0x24, 0x24, 0x00, 0xBE, 0x01, 0x00, 0xD0, 0x00, 0x00, 0x4F, 0xC2, 0x00, 0xB0},
     {0x24, 0x24, 0x00, 0xBE, 0x00, 0x00, 0xD8, 0x00, 0x00, 0x4F, 0xC2, 0x00, 0xB0}},
};

}  // namespace

std::optional<BridgeCdb> BuildBridgeCdb(int32_t commandType, BridgeOperation operation,
                                        uint8_t target) {
    const int32_t index = commandType - kFirstBridgeType;
    if (index < 0 || index >= static_cast<int32_t>(std::size(kDialects))) return std::nullopt;
    const BridgeDialect& dialect = kDialects[index];
    const std::array<uint8_t, 16>& source =
        operation == BridgeOperation::Identify      ? dialect.identify
        : operation == BridgeOperation::EnableSmart ? dialect.enable
                                                    : dialect.readData;
    BridgeCdb cdb;
    cdb.length = dialect.length;
    std::ranges::copy(source, cdb.bytes);
    cdb.bytes[dialect.targetAt] = target;
    if (operation == BridgeOperation::ReadSmartThresholds)
        cdb.bytes[dialect.featureAt] = SMART_READ_THRESHOLDS;
    return cdb;
}

namespace {

// One bridge command on its own handle. A data command succeeds only with the whole reply, up to
// the end of its data area, which is then copied to `data`; the enable command has no data area.
bool SendBridgeCommand(int32_t commandType, int physicalDrive, uint8_t target,
                       BridgeOperation operation, uint8_t* data) {
    const auto cdb = BuildBridgeCdb(commandType, operation, target);
    if (!cdb) return false;
    const HANDLE drive = OpenPhysicalDrive(physicalDrive);
    if (drive == INVALID_HANDLE_VALUE) return false;

    const bool withData = operation != BridgeOperation::EnableSmart;
    SCSI_PASS_THROUGH_WITH_BUFFERS request{};
    request.spt.Length = sizeof(SCSI_PASS_THROUGH);
    request.spt.CdbLength = cdb->length;
    request.spt.SenseInfoLength = kSenseLength;
    request.spt.DataIn = SCSI_IOCTL_DATA_IN;
    request.spt.DataTransferLength = withData ? kSectorSize : 0;
    request.spt.TimeOutValue = kTimeoutSeconds;
    request.spt.DataBufferOffset = kScsiPassThroughDataOffset;
    request.spt.SenseInfoOffset = kScsiPassThroughSenseOffset;
    std::memcpy(request.spt.Cdb, cdb->bytes, sizeof cdb->bytes);

    const DWORD outSize = withData ? sizeof request : kScsiPassThroughDataOffset;
    DWORD returned = 0;
    const BOOL ok = DeviceIoControl(drive, IOCTL_SCSI_PASS_THROUGH, &request,
                                    sizeof(SCSI_PASS_THROUGH), &request, outSize, &returned);
    CloseHandle(drive);
    if (!withData) return ok != 0;
    if (!ok || returned != kScsiPassThroughDataOffset + sizeof request.ucDataBuf) return false;
    std::memcpy(data, request.ucDataBuf, kSectorSize);
    return true;
}

}  // namespace

bool UsbBridgeRoute::IdentifyDevice(AtaBuffer identify) {
    std::ranges::fill(identify, uint8_t{0});
    if (!SendBridgeCommand(type_, drive_, target_, BridgeOperation::Identify, identify.data()))
        return false;
    WriteLog(L"ok-----\n");
    return true;
}

bool UsbBridgeRoute::ReadSmartData(AtaBuffer page) {
    return ReadPage(BridgeOperation::ReadSmartData, page);
}

bool UsbBridgeRoute::ReadSmartThresholds(AtaBuffer page) {
    return ReadPage(BridgeOperation::ReadSmartThresholds, page);
}

bool UsbBridgeRoute::ReadPage(BridgeOperation operation, AtaBuffer page) {
    return SendBridgeCommand(type_, drive_, target_, operation, page.data());
}

bool UsbBridgeRoute::EnableSmartOperations() {
    return SendBridgeCommand(type_, drive_, target_, BridgeOperation::EnableSmart, nullptr);
}

}  // namespace transport
