// ATA, SMART, NVMe and SCSI pass-through on the Linux backend, as SG_IO and admin commands.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "tests/platform/linux/linux_fixture.h"

namespace linux_test {
namespace {

TEST_F(LinuxPlatformTest, RequestsBecomeSgIoAndNvmeAdminCommands) {
    kernel_->answerSg = [](SgIoHeader& header, const std::vector<uint8_t>&) {
        auto* data = static_cast<uint8_t*>(header.dxferp);
        for (uint32_t i = 0; i < header.dxferLen; ++i)
            data[i] = static_cast<uint8_t>(i);
    };
    HANDLE drive = Open(L"\\\\.\\PhysicalDrive0");
    EXPECT_EQ(kernel_->opens.back().path, "/dev/sda");
    const auto identify = AtaPassThrough(ATA_IDENTIFY_DEVICE, 0, 0xA0, 512);
    ATA_PASS_THROUGH_EX_WITH_BUFFERS request{};
    std::memcpy(&request, identify.data(), identify.size());
    ASSERT_TRUE(InPlace(drive, IOCTL_ATA_PASS_THROUGH, &request, sizeof request));
    // The reply ends with the data, before the padding a 64-bit build puts behind it.
    EXPECT_EQ(returned_, kAtaPassThroughDataOffset + sizeof request.ucDataBuf);
    ASSERT_EQ(kernel_->sgCalls.size(), 1u);
    const FakeKernel::SgCall& call = kernel_->sgCalls[0];
    EXPECT_EQ(std::tuple(call.header.interfaceId, call.header.dxferDirection, call.header.dxferLen,
                         call.header.timeout),
              std::tuple('S', kSgDxferFromDev, 512u, 2000u));
    EXPECT_EQ(std::tuple(call.cdb.size(), call.cdb[0], call.cdb[14]), std::tuple(16u, 0x85, 0xEC));
    EXPECT_EQ(std::tuple(request.ucDataBuf[0], request.ucDataBuf[511],
                         request.apt.CurrentTaskFile[kAtaStatus]),
              std::tuple(0, 0xFF, ATA_STATUS_DRDY | ATA_STATUS_DSC));

    // The device refusing the command is a failed request, not a zeroed page.
    AnswerWithRegisters(ATA_ERROR_ABRT, 0x51, 0, 0);
    EXPECT_EQ(ErrorOf(InPlace(drive, IOCTL_ATA_PASS_THROUGH, &request, sizeof request)),
              ERROR_IO_DEVICE);
    // Data-out and malformed requests never reach the device.
    request.apt.AtaFlags = ATA_FLAGS_DATA_OUT;
    EXPECT_FALSE(InPlace(drive, IOCTL_ATA_PASS_THROUGH, &request, sizeof request));
    request.apt.AtaFlags = ATA_FLAGS_DATA_IN;
    request.apt.DataTransferLength = 600;
    EXPECT_EQ(ErrorOf(InPlace(drive, IOCTL_ATA_PASS_THROUGH, &request, sizeof request)),
              ERROR_INVALID_PARAMETER);
    EXPECT_EQ(kernel_->sgCalls.size(), 2u);
    EXPECT_TRUE(platform_->CloseHandle(drive));
    EXPECT_TRUE(kernel_->opens.back().closed);

    drive = Open(L"\\\\.\\PHYSICALDRIVE0");
    SENDCMDINPARAMS in{};
    in.irDriveRegs = {SMART_RETURN_STATUS, 0, 0, SMART_CYL_LOW, SMART_CYL_HIGH, 0xA0, ATA_SMART, 0};
    uint8_t out[kSendCmdOutHeaderSize + sizeof(IDEREGS)] = {};
    DWORD returned = 0;
    AnswerWithRegisters(0, 0x50, 0xF4, 0x2C);
    ASSERT_TRUE(platform_->DeviceIoControl(drive, SMART_SEND_DRIVE_COMMAND, &in, sizeof in - 1, out,
                                           sizeof out, &returned));
    EXPECT_EQ(returned, sizeof out);
    // SMART requests use CK_COND and no data; the registers come back in the reply.
    const FakeKernel::SgCall& status = kernel_->sgCalls.back();
    EXPECT_EQ(std::tuple(status.header.dxferDirection, status.cdb[2], status.cdb[4]),
              std::tuple(kSgDxferNone, 0x20, SMART_RETURN_STATUS));
    const uint8_t* registers = out + kSendCmdOutHeaderSize;
    EXPECT_EQ(std::tuple(registers[3], registers[4], registers[6]), std::tuple(0xF4, 0x2C, 0x50));

    in.irDriveRegs.bFeaturesReg = SMART_ENABLE_OPERATIONS;
    AnswerWithRegisters(ATA_ERROR_ABRT, 0x51, SMART_CYL_LOW, SMART_CYL_HIGH);
    EXPECT_EQ(
        ErrorOf(platform_->DeviceIoControl(drive, SMART_SEND_DRIVE_COMMAND, &in, sizeof in - 1, out,
                                           kSendCmdOutHeaderSize, &returned)),
        ERROR_IO_DEVICE);

    // SMART READ DATA: a data-in command whose page lands after the reply header.
    kernel_->answerSg = [](SgIoHeader& header, const std::vector<uint8_t>&) {
        std::memset(header.dxferp, 0x5A, header.dxferLen);
    };
    in.irDriveRegs.bFeaturesReg = SMART_READ_DATA;
    in.irDriveRegs.bSectorCountReg = 1;
    in.irDriveRegs.bSectorNumberReg = 1;
    SENDCMDOUTPARAMS reply{};
    ASSERT_TRUE(platform_->DeviceIoControl(drive, SMART_RCV_DRIVE_DATA, &in, sizeof in - 1, &reply,
                                           sizeof reply, &returned));
    EXPECT_EQ(std::tuple(returned, reply.cBufferSize, reply.bBuffer[0], reply.bBuffer[511]),
              std::tuple(sizeof reply, 512u, 0x5A, 0x5A));
    // A command the driver does not know is refused before it reaches the device.
    const size_t calls = kernel_->sgCalls.size();
    in.irDriveRegs.bFeaturesReg = 0xD4;
    EXPECT_FALSE(platform_->DeviceIoControl(drive, SMART_RCV_DRIVE_DATA, &in, sizeof in - 1, &reply,
                                            sizeof reply, &returned));
    EXPECT_EQ(kernel_->sgCalls.size(), calls);
    platform_->CloseHandle(drive);

    kernel_->answerNvme = [](NvmeAdminCommand& command) {
        auto* data = reinterpret_cast<uint8_t*>(static_cast<uintptr_t>(command.addr));
        data[0] = command.opcode;
        data[command.dataLen - 1] = 0x77;
        return 0;
    };
    kernel_->sgCalls.clear();
    drive = Open(L"\\\\.\\PhysicalDrive2");
    auto query = std::make_unique<STORAGE_QUERY_NVME_BUFFER>();
    const auto ask = [&](DWORD type, DWORD value, DWORD subValue) {
        *query = STORAGE_QUERY_NVME_BUFFER{};
        query->PropertyId = StorageAdapterProtocolSpecificProperty;
        query->ProtocolSpecific.ProtocolType = ProtocolTypeNvme;
        query->ProtocolSpecific.DataType = type;
        query->ProtocolSpecific.ProtocolDataRequestValue = value;
        query->ProtocolSpecific.ProtocolDataRequestSubValue = subValue;
        query->ProtocolSpecific.ProtocolDataOffset = sizeof(STORAGE_PROTOCOL_SPECIFIC_DATA);
        query->ProtocolSpecific.ProtocolDataLength = kNvmeTransferSize;
        const bool ok = InPlace(drive, IOCTL_STORAGE_QUERY_PROPERTY, query.get(), sizeof *query);
        return ok ? returned_ : 0;
    };
    EXPECT_EQ(ask(NVMeDataTypeIdentify, NVME_IDENTIFY_CNS_CONTROLLER, 0), sizeof *query);
    // Each command as opcode, namespace, dword 10 and length.
    const auto command = [&](size_t i) {
        const NvmeAdminCommand& c = kernel_->nvmeCalls.at(i);
        return std::tuple(c.opcode, c.nsid, c.cdw10, c.dataLen);
    };
    EXPECT_EQ(command(0), std::tuple(0x06, 0u, 1u, 4096u));
    // The reply: the data descriptor (version and size), the request as sent, then the data.
    EXPECT_EQ(std::tuple(query->PropertyId, query->QueryType, query->ProtocolSpecific.DataType,
                         query->Data[0], query->Data[4095]),
              std::tuple(kStorageQueryNvmeDataOffset, kStorageQueryNvmeDataOffset,
                         NVMeDataTypeIdentify, 0x06, 0x77));

    EXPECT_EQ(ask(NVMeDataTypeLogPage, NVME_LOG_PAGE_HEALTH_INFO, NVME_NAMESPACE_ALL),
              sizeof *query);
    // 128 dwords less one, log 02h.
    EXPECT_EQ(command(1), std::tuple(0x02, 0xFFFFFFFFu, 0x007F0002u, 512u));
    EXPECT_EQ(std::tuple(query->Data[0], query->Data[511], query->Data[512]),
              std::tuple(0x02, 0x77, 0));

    // A failing command, another log page and ATA requests on an NVMe drive all fail.
    kernel_->answerNvme = [](NvmeAdminCommand&) { return 0x4002; };
    EXPECT_EQ(ask(NVMeDataTypeIdentify, 0, 0), 0u);
    EXPECT_EQ(platform_->GetLastError(), ERROR_IO_DEVICE);
    EXPECT_EQ(ask(NVMeDataTypeLogPage, 0x01, 0), 0u);
    EXPECT_EQ(platform_->GetLastError(), ERROR_NOT_SUPPORTED);
    ATA_PASS_THROUGH_EX_WITH_BUFFERS ata{};
    ata.apt.Length = sizeof ata.apt;
    EXPECT_EQ(ErrorOf(InPlace(drive, IOCTL_ATA_PASS_THROUGH, &ata, sizeof ata)),
              ERROR_INVALID_FUNCTION);
    EXPECT_TRUE(kernel_->sgCalls.empty());
    platform_->CloseHandle(drive);

    kernel_->answerSg = [](SgIoHeader& header, const std::vector<uint8_t>&) {
        const uint8_t sense[] = {0x70, 0, 0x05, 0, 0, 0, 0, 10, 0, 0, 0, 0, 0x20, 0};
        std::memcpy(header.sbp, sense, sizeof sense);
        header.sbLenWr = sizeof sense;
        header.status = 0x02;
        header.resid = static_cast<int32_t>(header.dxferLen);
    };
    drive = Open(L"\\\\.\\PhysicalDrive1");
    const uint8_t cdb[12] = {0xA1, 0, 0, 0, 0, 0, 0, 0, 0, 0xEC};
    SCSI_PASS_THROUGH_WITH_BUFFERS scsi = BridgePassThrough(cdb, true);
    ASSERT_TRUE(InPlace(drive, IOCTL_SCSI_PASS_THROUGH, &scsi, sizeof scsi));
    const FakeKernel::SgCall& sent = kernel_->sgCalls.back();
    EXPECT_EQ(std::tuple(sent.cdb.size(), sent.cdb[0], sent.cdb[9], sent.header.dxferDirection),
              std::tuple(12u, 0xA1, 0xEC, kSgDxferFromDev));
    EXPECT_EQ(std::tuple(scsi.spt.ScsiStatus, scsi.spt.DataTransferLength, scsi.spt.SenseInfoLength,
                         scsi.ucSenseBuf[2]),
              std::tuple(SCSISTAT_CHECK_CONDITION, 0u, 14, 0x05));
    // What comes back reaches the data area, where no data arrived.
    EXPECT_EQ(returned_, kScsiPassThroughDataOffset);

    // Miniport, Silicon Image, CSMI and failure prediction: no such driver on this system.
    uint8_t buffer[600] = {};
    EXPECT_EQ(ErrorOf(Ask(drive, IOCTL_STORAGE_PREDICT_FAILURE, buffer, sizeof buffer)),
              ERROR_INVALID_FUNCTION);
    const HANDLE port = Open(L"\\\\.\\Scsi6:");
    EXPECT_EQ(ErrorOf(InPlace(port, IOCTL_SCSI_MINIPORT, buffer, sizeof buffer)),
              ERROR_INVALID_FUNCTION);
    EXPECT_EQ(Open(L"\\\\.\\Scsi3:"), INVALID_HANDLE_VALUE);
    EXPECT_EQ(Open(L"\\\\.\\PhysicalDrive3"), INVALID_HANDLE_VALUE);
    EXPECT_EQ(platform_->GetLastError(), ERROR_FILE_NOT_FOUND);
    platform_->CloseHandle(port);
    platform_->CloseHandle(drive);
}

}  // namespace
}  // namespace linux_test
