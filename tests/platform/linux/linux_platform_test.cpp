#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "platform/ioctl.h"
#include "platform/linux/linux_platform.h"
#include "platform/partition_table.h"
#include "platform/win_constants.h"
#include "tests/platform/linux/fake_kernel.h"
#include "tests/platform/scoped_environment.h"

using namespace platform;
using namespace platform::linux_backend;

namespace {

const std::string kPci = "/sys/devices/pci0000:00/";
constexpr uint64_t kDiskSectors = 8192;  // 4 MiB

// A GPT with the given (start, end) partitions, primary and backup, into `bytes`.
void WriteGpt(std::vector<uint8_t>& bytes, std::vector<std::pair<uint64_t, uint64_t>> parts) {
    const uint64_t last = bytes.size() / 512 - 1;
    MasterBootRecord mbr{};
    mbr.bootCode[0] = 0xEB;  // boot code that deleting the table keeps
    mbr.diskSignature = 0x12345678;
    mbr.partitions[0] = {
        0, {0, 2, 0}, kMbrTypeProtectiveGpt, {0xFF, 0xFF, 0xFF}, 1, static_cast<uint32_t>(last)};
    mbr.bootSignature = kMbrBootSignature;
    std::memcpy(bytes.data(), &mbr, sizeof mbr);
    std::vector<GptEntry> entries(kGptEntryCount);
    std::memset(entries.data(), 0, entries.size() * sizeof(GptEntry));
    for (size_t i = 0; i < parts.size(); ++i) {
        entries[i].typeGuid = *ParseGuid("0FC63DAF-8483-4772-8E79-3D69D8477DE4");
        entries[i].uniqueGuid[0] = static_cast<uint8_t>(i + 1);
        entries[i].startingLba = parts[i].first;
        entries[i].endingLba = parts[i].second;
        entries[i].name[0] = u'P';
    }
    const auto* array = reinterpret_cast<const uint8_t*>(entries.data());
    const size_t arrayBytes = entries.size() * sizeof(GptEntry);
    for (const bool primary : {true, false}) {
        GptHeader header{};
        std::memcpy(header.signature, kGptSignature, 8);
        header.revision = kGptRevision;
        header.headerSize = kGptHeaderSize;
        header.myLba = primary ? 1 : last;
        header.alternateLba = primary ? last : 1;
        header.firstUsableLba = 34;
        header.lastUsableLba = last - 33;
        header.partitionEntryLba = primary ? 2 : last - 32;
        header.numberOfPartitionEntries = kGptEntryCount;
        header.sizeOfPartitionEntry = sizeof(GptEntry);
        header.partitionEntryArrayCrc32 = Crc32(0, {array, arrayBytes});
        header.headerCrc32 = Crc32(0, {reinterpret_cast<const uint8_t*>(&header), kGptHeaderSize});
        std::memcpy(bytes.data() + header.partitionEntryLba * 512, array, arrayBytes);
        std::memcpy(bytes.data() + header.myLba * 512, &header, sizeof header);
    }
}

void AddPciFunction(FakeKernel& kernel, const std::string& address, const std::string& klass,
                    const std::string& vendor, const std::string& device) {
    const std::string path = kPci + address;
    kernel.links["/sys/bus/pci/devices/" + address] = path;
    kernel.File(path + "/class", klass + "\n");
    kernel.File(path + "/vendor", vendor + "\n");
    kernel.File(path + "/device", device + "\n");
    kernel.File(path + "/subsystem_vendor", "0x1043\n");
    kernel.File(path + "/subsystem_device", "0x8694\n");
    kernel.File(path + "/revision", "0x10\n");
}

void AddDisk(FakeKernel& kernel, const std::string& name, const std::string& blockPath,
             const std::string& major, int minor,
             std::vector<std::tuple<std::string, uint64_t, uint64_t>> parts,
             uint64_t sectors = kDiskSectors) {
    kernel.links["/sys/block/" + name] = blockPath;
    kernel.File("/sys/block/" + name + "/size", std::to_string(sectors) + "\n");
    kernel.File("/sys/block/" + name + "/removable", "0\n");
    kernel.File("/sys/block/" + name + "/dev", major + ":" + std::to_string(minor) + "\n");
    int number = 0;
    for (const auto& [part, start, count] : parts) {
        ++number;
        const std::string base = "/sys/block/" + name + "/" + part;
        kernel.File(base + "/partition", std::to_string(number) + "\n");
        kernel.File(base + "/start", std::to_string(start) + "\n");
        kernel.File(base + "/size", std::to_string(count) + "\n");
        kernel.File(base + "/dev", major + ":" + std::to_string(minor + number) + "\n");
    }
    kernel.disks["/dev/" + name].bytes.assign(sectors * 512, 0);
}

// A machine with a SATA system disk (GPT, root on its second partition), a USB disk (MBR,
// mounted) and an NVMe disk (GPT, not mounted).
std::unique_ptr<FakeKernel> Machine() {
    auto kernel = std::make_unique<FakeKernel>();
    FakeKernel& k = *kernel;
    AddPciFunction(k, "0000:00:17.0", "0x010601", "0x8086", "0xa352");
    AddPciFunction(k, "0000:00:14.0", "0x0c0330", "0x8086", "0xa36d");
    AddPciFunction(k, "0000:03:00.0", "0x010802", "0x1e4b", "0x1202");
    AddPciFunction(k, "0000:00:02.0", "0x030000", "0x8086", "0x3e92");  // a display: no controller
    k.File(kPci + "0000:03:00.0/max_link_speed", "8.0 GT/s PCIe\n");
    k.File(kPci + "0000:03:00.0/max_link_width", "4\n");
    k.File(kPci + "0000:03:00.0/current_link_speed", "5.0 GT/s PCIe\n");
    k.File(kPci + "0000:03:00.0/current_link_width", "2\n");

    const std::string sataDevice = kPci + "0000:00:17.0/ata1/host0/target0:0:0/0:0:0:0";
    AddDisk(k, "sda", sataDevice + "/block/sda", "8", 0,
            {{"sda1", 34, 2048}, {"sda2", 2082, 6000}});
    k.links["/sys/block/sda/device"] = sataDevice;
    k.File("/sys/block/sda/device/vendor", "ATA     \n");
    k.File("/sys/block/sda/device/model", "Orvel SSD S5\n");
    k.File("/sys/block/sda/device/rev", "S5FM\n");
    WriteGpt(k.disks["/dev/sda"].bytes, {{34, 2081}, {2082, 8081}});

    const std::string usbDevice = kPci + "0000:00:14.0/usb2/2-1";
    const std::string usbDisk = usbDevice + "/2-1:1.0/host6/target6:0:0/6:0:0:0";
    AddDisk(k, "sdb", usbDisk + "/block/sdb", "8", 16, {{"sdb1", 2048, 2048}}, 4096);
    k.links["/sys/block/sdb/device"] = usbDisk;
    k.File("/sys/block/sdb/device/vendor", "Orvel\n");
    k.File("/sys/block/sdb/device/model", "Portable\n");
    k.File("/sys/block/sdb/device/rev", "0100\n");
    k.File(usbDevice + "/idVendor", "152d\n");
    k.File(usbDevice + "/idProduct", "0578\n");
    k.File(usbDevice + "/serial", "USB42\n");
    k.File(usbDevice + "/product", "Orvel Bridge\n");
    MasterBootRecord mbr{};
    mbr.partitions[0] = {0x80, {}, 0x07, {}, 2048, 2048};
    mbr.bootSignature = kMbrBootSignature;
    std::memcpy(k.disks["/dev/sdb"].bytes.data(), &mbr, sizeof mbr);

    AddDisk(k, "nvme0n1", kPci + "0000:03:00.0/nvme/nvme0/nvme0n1", "259", 0, {});
    k.File("/sys/block/nvme0n1/device/model", "Orvel NVMe N1\n");
    k.File("/sys/block/nvme0n1/device/firmware_rev", "N1FW\n");
    k.File("/sys/block/nvme0n1/device/serial", "NV123\n");
    WriteGpt(k.disks["/dev/nvme0n1"].bytes, {{34, 4000}});
    for (const auto& [n, name] : {std::pair{0, "ahci"}, std::pair{6, "usb-storage"}})
        k.File("/sys/class/scsi_host/host" + std::to_string(n) + "/proc_name",
               std::string(name) + "\n");

    k.File("/proc/self/mountinfo",
           "20 1 8:2 / / rw - ext4 /dev/sda2 rw\n"
           "21 20 0:5 / /proc rw - proc proc rw\n"
           "22 20 8:17 / /media/usb rw - vfat /dev/sdb1 rw\n");
    k.fileSystems["/"] = {100 << 20, 40 << 20, 30 << 20};
    k.File("/etc/os-release", "PRETTY_NAME=\"Debian GNU/Linux 12 (bookworm)\"\n");
    k.File("/usr/share/misc/pci.ids",
           "# comment\n1e4b  Other Vendor\n\t1202  Other Device\n8086  Intel Corporation\n"
           "\t3e92  Display\n\ta36d  Cannon Lake PCH USB 3.1 xHCI Host Controller\n"
           "\t\t1043 8694  Subsystem line\n");
    return kernel;
}

class LinuxPlatformTest : public ::testing::Test {
  protected:
    void SetUp() override {
        auto owned = Machine();
        kernel_ = owned.get();
        platform_ = std::make_unique<LinuxPlatform>(std::move(owned));
    }
    HANDLE Open(const wchar_t* name, DWORD access = GENERIC_READ | GENERIC_WRITE) {
        return platform_->CreateFileW(name, access, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                      OPEN_EXISTING, 0);
    }
    // Answers every SG_IO with CHECK CONDITION and descriptor sense holding these registers.
    void AnswerWithRegisters(uint8_t error, uint8_t status, uint8_t cylLow, uint8_t cylHigh) {
        kernel_->answerSg = [=](SgIoHeader& header, const std::vector<uint8_t>&) {
            const uint8_t sense[] = {0x72,  0x01, 0, 0x1D, 0, 0, 0,      14, 0x09,    0x0C, 0,
                                     error, 0,    1, 0,    1, 0, cylLow, 0,  cylHigh, 0xA0, status};
            std::memcpy(header.sbp, sense, sizeof sense);
            header.sbLenWr = sizeof sense;
            header.status = 0x02;
            header.driverStatus = 0x08;
        };
    }

    FakeKernel* kernel_ = nullptr;
    std::unique_ptr<LinuxPlatform> platform_;
};

}  // namespace

TEST_F(LinuxPlatformTest, AtaPassThroughBecomesAtaPassThrough16) {
    kernel_->answerSg = [](SgIoHeader& header, const std::vector<uint8_t>&) {
        auto* data = static_cast<uint8_t*>(header.dxferp);
        for (uint32_t i = 0; i < header.dxferLen; ++i)
            data[i] = static_cast<uint8_t>(i);
    };
    const HANDLE drive = Open(L"\\\\.\\PhysicalDrive0");
    ASSERT_NE(drive, INVALID_HANDLE_VALUE);
    EXPECT_EQ(kernel_->opens.back().path, "/dev/sda");
    ATA_PASS_THROUGH_EX_WITH_BUFFERS request{};
    request.apt.Length = sizeof(ATA_PASS_THROUGH_EX);
    request.apt.AtaFlags = ATA_FLAGS_DATA_IN;
    request.apt.DataTransferLength = 512;
    request.apt.DataBufferOffset = offsetof(ATA_PASS_THROUGH_EX_WITH_BUFFERS, ucDataBuf);
    request.apt.TimeOutValue = 3;
    request.apt.CurrentTaskFile[kAtaDeviceHead] = 0xA0;
    request.apt.CurrentTaskFile[kAtaCommand] = ATA_IDENTIFY_DEVICE;
    DWORD returned = 0;
    ASSERT_TRUE(platform_->DeviceIoControl(drive, IOCTL_ATA_PASS_THROUGH, &request, sizeof request,
                                           &request, sizeof request, &returned));
    EXPECT_EQ(returned, sizeof request);
    ASSERT_EQ(kernel_->sgCalls.size(), 1u);
    const FakeKernel::SgCall& call = kernel_->sgCalls[0];
    EXPECT_EQ(call.header.interfaceId, 'S');
    EXPECT_EQ(call.header.dxferDirection, kSgDxferFromDev);
    EXPECT_EQ(call.header.dxferLen, 512u);
    EXPECT_EQ(call.header.timeout, 3000u);
    EXPECT_EQ(call.cdb, (std::vector<uint8_t>{0x85, 0x08, 0x0E, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0xA0,
                                              0xEC, 0}));
    EXPECT_EQ(request.ucDataBuf[0], 0);
    EXPECT_EQ(request.ucDataBuf[511], 0xFF);
    EXPECT_EQ(request.apt.CurrentTaskFile[kAtaStatus], ATA_STATUS_DRDY | ATA_STATUS_DSC);

    // The device refusing the command is a failed request, not a zeroed page.
    AnswerWithRegisters(ATA_ERROR_ABRT, 0x51, 0, 0);
    EXPECT_FALSE(platform_->DeviceIoControl(drive, IOCTL_ATA_PASS_THROUGH, &request, sizeof request,
                                            &request, sizeof request, &returned));
    EXPECT_EQ(platform_->GetLastError(), ERROR_IO_DEVICE);
    // Data-out and malformed requests never reach the device.
    request.apt.AtaFlags = ATA_FLAGS_DATA_OUT;
    EXPECT_FALSE(platform_->DeviceIoControl(drive, IOCTL_ATA_PASS_THROUGH, &request, sizeof request,
                                            &request, sizeof request, &returned));
    request.apt.AtaFlags = ATA_FLAGS_DATA_IN;
    request.apt.DataTransferLength = 600;
    EXPECT_FALSE(platform_->DeviceIoControl(drive, IOCTL_ATA_PASS_THROUGH, &request, sizeof request,
                                            &request, sizeof request, &returned));
    EXPECT_EQ(platform_->GetLastError(), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(kernel_->sgCalls.size(), 2u);
    EXPECT_TRUE(platform_->CloseHandle(drive));
    EXPECT_TRUE(kernel_->opens.back().closed);
}

TEST_F(LinuxPlatformTest, SmartRequestsUseCheckConditionForRegisters) {
    const HANDLE drive = Open(L"\\\\.\\PHYSICALDRIVE0");
    SENDCMDINPARAMS in{};
    in.irDriveRegs = {SMART_RETURN_STATUS, 0, 0, SMART_CYL_LOW, SMART_CYL_HIGH, 0xA0, ATA_SMART, 0};
    uint8_t out[kSendCmdOutHeaderSize + sizeof(IDEREGS)] = {};
    DWORD returned = 0;
    AnswerWithRegisters(0, 0x50, 0xF4, 0x2C);
    ASSERT_TRUE(platform_->DeviceIoControl(drive, SMART_SEND_DRIVE_COMMAND, &in, sizeof in - 1, out,
                                           sizeof out, &returned));
    EXPECT_EQ(returned, sizeof out);
    EXPECT_EQ(kernel_->sgCalls.back().header.dxferDirection, kSgDxferNone);
    EXPECT_EQ(kernel_->sgCalls.back().cdb[2], 0x20);  // CK_COND, no data
    EXPECT_EQ(kernel_->sgCalls.back().cdb[4], SMART_RETURN_STATUS);
    EXPECT_EQ(out[kSendCmdOutHeaderSize + 3], 0xF4);
    EXPECT_EQ(out[kSendCmdOutHeaderSize + 4], 0x2C);
    EXPECT_EQ(out[kSendCmdOutHeaderSize + 6], 0x50);

    in.irDriveRegs.bFeaturesReg = SMART_ENABLE_OPERATIONS;
    AnswerWithRegisters(ATA_ERROR_ABRT, 0x51, SMART_CYL_LOW, SMART_CYL_HIGH);
    EXPECT_FALSE(platform_->DeviceIoControl(drive, SMART_SEND_DRIVE_COMMAND, &in, sizeof in - 1,
                                            out, kSendCmdOutHeaderSize, &returned));
    EXPECT_EQ(platform_->GetLastError(), ERROR_IO_DEVICE);

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
    EXPECT_EQ(returned, sizeof reply);
    EXPECT_EQ(reply.cBufferSize, 512u);
    EXPECT_EQ(reply.bBuffer[0], 0x5A);
    EXPECT_EQ(reply.bBuffer[511], 0x5A);
    EXPECT_EQ(kernel_->sgCalls.back().cdb,
              (std::vector<uint8_t>{0x85, 0x08, 0x0E, 0, 0xD0, 0, 1, 0, 1, 0, 0x4F, 0, 0xC2, 0xA0,
                                    0xB0, 0}));
    // A command the driver does not know is refused before it reaches the device.
    const size_t calls = kernel_->sgCalls.size();
    in.irDriveRegs.bFeaturesReg = 0xD4;
    EXPECT_FALSE(platform_->DeviceIoControl(drive, SMART_RCV_DRIVE_DATA, &in, sizeof in - 1, &reply,
                                            sizeof reply, &returned));
    EXPECT_EQ(kernel_->sgCalls.size(), calls);
    platform_->CloseHandle(drive);
}

TEST_F(LinuxPlatformTest, NvmeStorageQueryBecomesAdminCommands) {
    kernel_->answerNvme = [](NvmeAdminCommand& command) {
        auto* data = reinterpret_cast<uint8_t*>(static_cast<uintptr_t>(command.addr));
        data[0] = command.opcode;
        data[command.dataLen - 1] = 0x77;
        return 0;
    };
    const HANDLE drive = Open(L"\\\\.\\PhysicalDrive2");
    ASSERT_NE(drive, INVALID_HANDLE_VALUE);
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
        DWORD returned = 0;
        const BOOL ok =
            platform_->DeviceIoControl(drive, IOCTL_STORAGE_QUERY_PROPERTY, query.get(),
                                       sizeof *query, query.get(), sizeof *query, &returned);
        return ok ? returned : 0;
    };
    EXPECT_EQ(ask(NVMeDataTypeIdentify, NVME_IDENTIFY_CNS_CONTROLLER, 0), sizeof *query);
    ASSERT_EQ(kernel_->nvmeCalls.size(), 1u);
    const NvmeAdminCommand identify = kernel_->nvmeCalls[0];
    EXPECT_EQ(identify.opcode, 0x06);
    EXPECT_EQ(identify.nsid, 0u);
    EXPECT_EQ(identify.cdw10, 1u);
    EXPECT_EQ(identify.dataLen, 4096u);
    // The reply: the data descriptor (version and size), the request as sent, then the data.
    EXPECT_EQ(query->PropertyId, kStorageQueryNvmeDataOffset);
    EXPECT_EQ(query->QueryType, kStorageQueryNvmeDataOffset);
    EXPECT_EQ(query->ProtocolSpecific.DataType, NVMeDataTypeIdentify);
    EXPECT_EQ(query->Data[0], 0x06);
    EXPECT_EQ(query->Data[4095], 0x77);

    EXPECT_EQ(ask(NVMeDataTypeLogPage, NVME_LOG_PAGE_HEALTH_INFO, NVME_NAMESPACE_ALL),
              sizeof *query);
    const NvmeAdminCommand log = kernel_->nvmeCalls[1];
    EXPECT_EQ(log.opcode, 0x02);
    EXPECT_EQ(log.nsid, 0xFFFFFFFFu);
    EXPECT_EQ(log.cdw10, 0x007F0002u);  // 128 dwords less one, log 02h
    EXPECT_EQ(log.dataLen, 512u);
    EXPECT_EQ(query->Data[0], 0x02);
    EXPECT_EQ(query->Data[511], 0x77);
    EXPECT_EQ(query->Data[512], 0);

    // A failing command, another log page and ATA requests on an NVMe drive all fail.
    kernel_->answerNvme = [](NvmeAdminCommand&) { return 0x4002; };
    EXPECT_EQ(ask(NVMeDataTypeIdentify, 0, 0), 0u);
    EXPECT_EQ(platform_->GetLastError(), ERROR_IO_DEVICE);
    EXPECT_EQ(ask(NVMeDataTypeLogPage, 0x01, 0), 0u);
    EXPECT_EQ(platform_->GetLastError(), ERROR_NOT_SUPPORTED);
    ATA_PASS_THROUGH_EX_WITH_BUFFERS ata{};
    ata.apt.Length = sizeof ata.apt;
    DWORD returned = 0;
    EXPECT_FALSE(platform_->DeviceIoControl(drive, IOCTL_ATA_PASS_THROUGH, &ata, sizeof ata, &ata,
                                            sizeof ata, &returned));
    EXPECT_EQ(platform_->GetLastError(), ERROR_INVALID_FUNCTION);
    EXPECT_TRUE(kernel_->sgCalls.empty());
    platform_->CloseHandle(drive);
}

TEST_F(LinuxPlatformTest, ScsiPassThroughAndUnsupportedDrivers) {
    kernel_->answerSg = [](SgIoHeader& header, const std::vector<uint8_t>&) {
        const uint8_t sense[] = {0x70, 0, 0x05, 0, 0, 0, 0, 10, 0, 0, 0, 0, 0x20, 0};
        std::memcpy(header.sbp, sense, sizeof sense);
        header.sbLenWr = sizeof sense;
        header.status = 0x02;
        header.resid = static_cast<int32_t>(header.dxferLen);
    };
    const HANDLE drive = Open(L"\\\\.\\PhysicalDrive1");
    SCSI_PASS_THROUGH_WITH_BUFFERS request{};
    request.spt.Length = sizeof(SCSI_PASS_THROUGH);
    request.spt.CdbLength = 12;
    request.spt.SenseInfoLength = 24;
    request.spt.DataIn = SCSI_IOCTL_DATA_IN;
    request.spt.DataTransferLength = 512;
    request.spt.TimeOutValue = 2;
    request.spt.DataBufferOffset = kScsiPassThroughDataOffset;
    request.spt.SenseInfoOffset = kScsiPassThroughSenseOffset;
    request.spt.Cdb[0] = 0xA1;
    request.spt.Cdb[9] = 0xEC;
    DWORD returned = 0;
    ASSERT_TRUE(platform_->DeviceIoControl(drive, IOCTL_SCSI_PASS_THROUGH, &request, sizeof request,
                                           &request, sizeof request, &returned));
    const FakeKernel::SgCall& call = kernel_->sgCalls.back();
    EXPECT_EQ(call.cdb.size(), 12u);
    EXPECT_EQ(call.cdb[0], 0xA1);
    EXPECT_EQ(call.cdb[9], 0xEC);
    EXPECT_EQ(call.header.dxferDirection, kSgDxferFromDev);
    EXPECT_EQ(request.spt.ScsiStatus, SCSISTAT_CHECK_CONDITION);
    EXPECT_EQ(request.spt.DataTransferLength, 0u);
    EXPECT_EQ(request.spt.SenseInfoLength, 14);
    EXPECT_EQ(request.ucSenseBuf[2], 0x05);
    // What comes back reaches the data area, where no data arrived.
    EXPECT_EQ(returned, kScsiPassThroughDataOffset);

    // Miniport, Silicon Image, CSMI and failure prediction: no such driver on this system.
    uint8_t buffer[600] = {};
    EXPECT_FALSE(platform_->DeviceIoControl(drive, IOCTL_SCSI_MINIPORT, buffer, sizeof buffer,
                                            buffer, sizeof buffer, &returned));
    EXPECT_EQ(platform_->GetLastError(), ERROR_INVALID_FUNCTION);
    EXPECT_FALSE(platform_->DeviceIoControl(drive, IOCTL_STORAGE_PREDICT_FAILURE, nullptr, 0,
                                            buffer, sizeof buffer, &returned));
    EXPECT_EQ(platform_->GetLastError(), ERROR_INVALID_FUNCTION);
    const HANDLE port = Open(L"\\\\.\\Scsi6:");
    ASSERT_NE(port, INVALID_HANDLE_VALUE);
    EXPECT_FALSE(platform_->DeviceIoControl(port, IOCTL_SCSI_MINIPORT, buffer, sizeof buffer,
                                            buffer, sizeof buffer, &returned));
    EXPECT_EQ(platform_->GetLastError(), ERROR_INVALID_FUNCTION);
    EXPECT_EQ(Open(L"\\\\.\\Scsi3:"), INVALID_HANDLE_VALUE);
    EXPECT_EQ(Open(L"\\\\.\\PhysicalDrive3"), INVALID_HANDLE_VALUE);
    EXPECT_EQ(platform_->GetLastError(), ERROR_FILE_NOT_FOUND);
    platform_->CloseHandle(port);
    platform_->CloseHandle(drive);
}

TEST_F(LinuxPlatformTest, DescriptorGeometryLayoutAndAddress) {
    const HANDLE usb = Open(L"\\\\.\\PhysicalDrive1", GENERIC_READ);
    const HANDLE sata = Open(L"\\\\.\\PhysicalDrive0", GENERIC_READ);
    STORAGE_PROPERTY_QUERY query{StorageDeviceProperty, PropertyStandardQuery, {}};
    uint8_t reply[512] = {};
    DWORD returned = 0;
    ASSERT_TRUE(platform_->DeviceIoControl(usb, IOCTL_STORAGE_QUERY_PROPERTY, &query, sizeof query,
                                           reply, sizeof reply, &returned));
    STORAGE_DEVICE_DESCRIPTOR descriptor;
    std::memcpy(&descriptor, reply, sizeof descriptor);
    EXPECT_EQ(descriptor.BusType, BusTypeUsb);
    EXPECT_STREQ(reinterpret_cast<const char*>(reply + descriptor.ProductIdOffset), "Portable");
    EXPECT_STREQ(reinterpret_cast<const char*>(reply + descriptor.ProductRevisionOffset), "0100");
    EXPECT_EQ(returned, descriptor.Size);
    ASSERT_TRUE(platform_->DeviceIoControl(sata, IOCTL_STORAGE_QUERY_PROPERTY, &query, sizeof query,
                                           reply, sizeof reply, &returned));
    std::memcpy(&descriptor, reply, sizeof descriptor);
    EXPECT_EQ(descriptor.BusType, BusTypeSata);
    EXPECT_STREQ(reinterpret_cast<const char*>(reply + descriptor.ProductIdOffset), "Orvel SSD S5");

    DISK_GEOMETRY_EX geometry{};
    ASSERT_TRUE(platform_->DeviceIoControl(sata, IOCTL_DISK_GET_DRIVE_GEOMETRY_EX, nullptr, 0,
                                           &geometry, sizeof geometry, &returned));
    EXPECT_EQ(returned, kDiskGeometryExMinimum);
    EXPECT_EQ(geometry.DiskSize, static_cast<int64_t>(kDiskSectors * 512));
    EXPECT_EQ(geometry.Geometry.MediaType, FixedMedia);
    EXPECT_EQ(geometry.Geometry.BytesPerSector, 512u);

    std::vector<uint8_t> layout(4096);
    ASSERT_TRUE(platform_->DeviceIoControl(sata, IOCTL_DISK_GET_DRIVE_LAYOUT_EX, nullptr, 0,
                                           layout.data(), 4096, &returned));
    DRIVE_LAYOUT_INFORMATION_EX header;
    std::memcpy(&header, layout.data(), sizeof header);
    EXPECT_EQ(header.PartitionStyle, PARTITION_STYLE_GPT);
    ASSERT_EQ(header.PartitionCount, 2u);
    EXPECT_EQ(returned, kDriveLayoutHeaderSize + 2 * sizeof(PARTITION_INFORMATION_EX));
    PARTITION_INFORMATION_EX second;
    std::memcpy(&second, layout.data() + kDriveLayoutHeaderSize + sizeof second, sizeof second);
    EXPECT_EQ(second.StartingOffset, 2082 * 512);
    EXPECT_EQ(second.PartitionLength, 6000 * 512);
    EXPECT_EQ(second.PartitionNumber, 2u);
    ASSERT_TRUE(platform_->DeviceIoControl(usb, IOCTL_DISK_GET_DRIVE_LAYOUT_EX, nullptr, 0,
                                           layout.data(), 4096, &returned));
    std::memcpy(&header, layout.data(), sizeof header);
    EXPECT_EQ(header.PartitionStyle, PARTITION_STYLE_MBR);
    EXPECT_EQ(header.PartitionCount, 4u);
    // The primary GPT header damaged: the backup still gives the table.
    kernel_->disks["/dev/sda"].bytes[512 + 20] ^= 0xFF;
    ASSERT_TRUE(platform_->DeviceIoControl(sata, IOCTL_DISK_GET_DRIVE_LAYOUT_EX, nullptr, 0,
                                           layout.data(), 4096, &returned));
    std::memcpy(&header, layout.data(), sizeof header);
    EXPECT_EQ(header.PartitionStyle, PARTITION_STYLE_GPT);
    EXPECT_EQ(header.PartitionCount, 2u);
    // A primary header with a valid checksum that asks for a huge entry array is passed over
    // without reading it.
    GptHeader forged;
    auto& sataBytes = kernel_->disks["/dev/sda"].bytes;
    std::memcpy(&forged, sataBytes.data() + kDiskSectors * 512 - 512, sizeof forged);
    forged.myLba = 1;
    forged.sizeOfPartitionEntry = 0x80000000u;
    forged.headerCrc32 = 0;
    forged.headerCrc32 = Crc32(0, {reinterpret_cast<const uint8_t*>(&forged), kGptHeaderSize});
    std::memcpy(sataBytes.data() + 512, &forged, sizeof forged);
    ASSERT_TRUE(platform_->DeviceIoControl(sata, IOCTL_DISK_GET_DRIVE_LAYOUT_EX, nullptr, 0,
                                           layout.data(), 4096, &returned));
    std::memcpy(&header, layout.data(), sizeof header);
    EXPECT_EQ(header.PartitionCount, 2u);
    // Too small a buffer is asked to grow.
    EXPECT_FALSE(platform_->DeviceIoControl(sata, IOCTL_DISK_GET_DRIVE_LAYOUT_EX, nullptr, 0,
                                            layout.data(), 100, &returned));
    EXPECT_EQ(platform_->GetLastError(), ERROR_INSUFFICIENT_BUFFER);

    SCSI_ADDRESS address{};
    ASSERT_TRUE(platform_->DeviceIoControl(usb, IOCTL_SCSI_GET_ADDRESS, nullptr, 0, &address,
                                           sizeof address, &returned));
    EXPECT_EQ(address.PortNumber, 6);
    EXPECT_EQ(address.Length, sizeof address);
    platform_->CloseHandle(usb);
    platform_->CloseHandle(sata);
}

TEST_F(LinuxPlatformTest, DeleteLayoutClearsTheMbrAndBothGptHeadersOnly) {
    const std::vector<uint8_t> before = kernel_->disks["/dev/nvme0n1"].bytes;
    const HANDLE drive = Open(L"\\\\.\\PhysicalDrive2");
    DWORD returned = 0;
    ASSERT_TRUE(platform_->DeviceIoControl(drive, IOCTL_DISK_DELETE_DRIVE_LAYOUT, nullptr, 0,
                                           nullptr, 0, &returned));
    const auto& after = kernel_->disks["/dev/nvme0n1"].bytes;
    const uint64_t last = kDiskSectors - 1;
    ASSERT_EQ(kernel_->writes.size(), 3u);
    EXPECT_EQ(kernel_->writes[0].offset, 0u);
    EXPECT_EQ(kernel_->writes[1].offset, 512u);
    EXPECT_EQ(kernel_->writes[2].offset, last * 512);
    for (const auto& write : kernel_->writes)
        EXPECT_EQ(write.size, 512u);
    // The boot code and disk signature stay; the entries and the boot signature go.
    EXPECT_EQ(after[0], 0xEB);
    EXPECT_TRUE(std::equal(after.begin(), after.begin() + 446, before.begin()));
    EXPECT_TRUE(
        std::all_of(after.begin() + 446, after.begin() + 512, [](uint8_t b) { return b == 0; }));
    EXPECT_TRUE(
        std::all_of(after.begin() + 512, after.begin() + 1024, [](uint8_t b) { return b == 0; }));
    EXPECT_TRUE(std::all_of(after.end() - 512, after.end(), [](uint8_t b) { return b == 0; }));
    // Every other sector, the entry arrays included, is as it was.
    EXPECT_TRUE(std::equal(after.begin() + 1024, after.end() - 512, before.begin() + 1024));
    EXPECT_GE(kernel_->disks["/dev/nvme0n1"].syncs, 1);
    EXPECT_EQ(kernel_->disks["/dev/nvme0n1"].rereads, 1);
    std::vector<uint8_t> layout(4096);
    ASSERT_TRUE(platform_->DeviceIoControl(drive, IOCTL_DISK_GET_DRIVE_LAYOUT_EX, nullptr, 0,
                                           layout.data(), 4096, &returned));
    DWORD style = 0;
    std::memcpy(&style, layout.data(), sizeof style);
    EXPECT_EQ(style, PARTITION_STYLE_RAW);

    // Lock: an exclusive open, released by unlock; the reread goes through it meanwhile.
    ASSERT_TRUE(
        platform_->DeviceIoControl(drive, FSCTL_LOCK_VOLUME, nullptr, 0, nullptr, 0, &returned));
    EXPECT_EQ(kernel_->opens.back().mode, KernelIo::OpenMode::ReadWriteExclusive);
    EXPECT_TRUE(platform_->DeviceIoControl(drive, IOCTL_DISK_UPDATE_PROPERTIES, nullptr, 0, nullptr,
                                           0, &returned));
    EXPECT_TRUE(platform_->DeviceIoControl(drive, FSCTL_DISMOUNT_VOLUME, nullptr, 0, nullptr, 0,
                                           &returned));
    EXPECT_TRUE(
        platform_->DeviceIoControl(drive, FSCTL_UNLOCK_VOLUME, nullptr, 0, nullptr, 0, &returned));
    EXPECT_TRUE(kernel_->opens.back().closed);
    EXPECT_FALSE(
        platform_->DeviceIoControl(drive, FSCTL_UNLOCK_VOLUME, nullptr, 0, nullptr, 0, &returned));
    // Someone else holding the disk refuses the lock.
    kernel_->disks["/dev/nvme0n1"].exclusiveBusy = true;
    EXPECT_FALSE(
        platform_->DeviceIoControl(drive, FSCTL_LOCK_VOLUME, nullptr, 0, nullptr, 0, &returned));
    EXPECT_EQ(platform_->GetLastError(), ERROR_ACCESS_DENIED);
    platform_->CloseHandle(drive);

    // A read-only handle may not delete the layout.
    const HANDLE reader = Open(L"\\\\.\\PhysicalDrive2", GENERIC_READ);
    EXPECT_FALSE(platform_->DeviceIoControl(reader, IOCTL_DISK_DELETE_DRIVE_LAYOUT, nullptr, 0,
                                            nullptr, 0, &returned));
    EXPECT_EQ(platform_->GetLastError(), ERROR_ACCESS_DENIED);
    platform_->CloseHandle(reader);
}

TEST_F(LinuxPlatformTest, MountedDisksRefuseLockAndLayoutDeletion) {
    const std::vector<uint8_t> before = kernel_->disks["/dev/sda"].bytes;
    for (const wchar_t* name : {L"\\\\.\\PhysicalDrive0", L"\\\\.\\PhysicalDrive1"}) {
        const HANDLE drive = Open(name);
        DWORD returned = 0;
        EXPECT_FALSE(platform_->DeviceIoControl(drive, IOCTL_DISK_DELETE_DRIVE_LAYOUT, nullptr, 0,
                                                nullptr, 0, &returned));
        EXPECT_EQ(platform_->GetLastError(), ERROR_ACCESS_DENIED);
        EXPECT_FALSE(platform_->DeviceIoControl(drive, FSCTL_LOCK_VOLUME, nullptr, 0, nullptr, 0,
                                                &returned));
        EXPECT_EQ(platform_->GetLastError(), ERROR_ACCESS_DENIED);
        platform_->CloseHandle(drive);
    }
    EXPECT_TRUE(kernel_->writes.empty());
    EXPECT_EQ(kernel_->disks["/dev/sda"].bytes, before);
    for (const auto& open : kernel_->opens)
        EXPECT_NE(open.mode, KernelIo::OpenMode::ReadWriteExclusive);

    // A partition held by a device-mapper target counts as in use too, mounted or not.
    kernel_->File("/sys/block/nvme0n1/holders/dm-0", "");
    const HANDLE nvme = Open(L"\\\\.\\PhysicalDrive2");
    DWORD returned = 0;
    EXPECT_FALSE(
        platform_->DeviceIoControl(nvme, FSCTL_LOCK_VOLUME, nullptr, 0, nullptr, 0, &returned));
    platform_->CloseHandle(nvme);
}

TEST_F(LinuxPlatformTest, VolumesHaveLettersExtentsAndSpace) {
    const HANDLE system = Open(L"\\\\.\\C:", GENERIC_READ);
    ASSERT_NE(system, INVALID_HANDLE_VALUE);
    uint8_t buffer[kVolumeExtentsHeaderSize + 4 * sizeof(DISK_EXTENT)] = {};
    DWORD returned = 0;
    ASSERT_TRUE(platform_->DeviceIoControl(system, IOCTL_VOLUME_GET_VOLUME_DISK_EXTENTS, nullptr, 0,
                                           buffer, sizeof buffer, &returned));
    VOLUME_DISK_EXTENTS extents;
    std::memcpy(&extents, buffer, sizeof extents);
    EXPECT_EQ(extents.NumberOfDiskExtents, 1u);
    EXPECT_EQ(extents.Extents[0].DiskNumber, 0u);
    EXPECT_EQ(extents.Extents[0].StartingOffset, 2082 * 512);
    EXPECT_EQ(extents.Extents[0].ExtentLength, 6000 * 512);
    GET_LENGTH_INFORMATION length{};
    ASSERT_TRUE(platform_->DeviceIoControl(system, IOCTL_DISK_GET_LENGTH_INFO, nullptr, 0, &length,
                                           sizeof length, &returned));
    EXPECT_EQ(length.Length, 6000 * 512);
    platform_->CloseHandle(system);
    const HANDLE usb = Open(L"\\\\.\\D:", GENERIC_READ);
    ASSERT_TRUE(platform_->DeviceIoControl(usb, IOCTL_VOLUME_GET_VOLUME_DISK_EXTENTS, nullptr, 0,
                                           buffer, sizeof buffer, &returned));
    std::memcpy(&extents, buffer, sizeof extents);
    EXPECT_EQ(extents.Extents[0].DiskNumber, 1u);
    platform_->CloseHandle(usb);
    EXPECT_EQ(Open(L"\\\\.\\E:"), INVALID_HANDLE_VALUE);

    // A logical volume on the SATA disk's first partition, mounted: the next letter, lying
    // where its partition lies, once an inventory has read the machine again.
    kernel_->File("/sys/block/dm-0/dev", "253:0\n");
    kernel_->File("/sys/dev/block/253:0/slaves/sda1", "");
    kernel_->File("/sys/class/block/sda1/dev", "8:1\n");
    kernel_->File("/proc/self/mountinfo", kernel_->files["/proc/self/mountinfo"] +
                                              "23 20 253:0 / /home rw - xfs /dev/dm-0 rw\n");
    std::unique_ptr<WmiLocator> locator;
    ASSERT_EQ(platform_->CreateWbemLocator(&locator), S_OK);
    const HANDLE logical = Open(L"\\\\.\\E:", GENERIC_READ);
    ASSERT_NE(logical, INVALID_HANDLE_VALUE);
    ASSERT_TRUE(platform_->DeviceIoControl(logical, IOCTL_VOLUME_GET_VOLUME_DISK_EXTENTS, nullptr,
                                           0, buffer, sizeof buffer, &returned));
    std::memcpy(&extents, buffer, sizeof extents);
    EXPECT_EQ(extents.NumberOfDiskExtents, 1u);
    EXPECT_EQ(extents.Extents[0].DiskNumber, 0u);
    EXPECT_EQ(extents.Extents[0].StartingOffset, 34 * 512);
    EXPECT_EQ(extents.Extents[0].ExtentLength, 2048 * 512);
    platform_->CloseHandle(logical);

    ULONGLONG available = 0, total = 0, free = 0;
    ASSERT_TRUE(platform_->GetDiskFreeSpaceExW(L"C:\\", &available, &total, &free));
    EXPECT_EQ(total, 100u << 20);
    EXPECT_EQ(free, 40u << 20);
    EXPECT_EQ(available, 30u << 20);
    EXPECT_FALSE(platform_->GetDiskFreeSpaceExW(L"F:\\", &available, &total, &free));
    wchar_t fileSystem[16] = {};
    ASSERT_TRUE(platform_->GetVolumeInformationW(L"D:\\", nullptr, 0, nullptr, nullptr, nullptr,
                                                 fileSystem, 16));
    EXPECT_STREQ(fileSystem, L"vfat");
    EXPECT_FALSE(platform_->GetVolumeInformationW(L"C:\\", nullptr, 0, nullptr, nullptr, nullptr,
                                                  fileSystem, 3));
    EXPECT_EQ(platform_->GetDriveTypeW(L"C:\\"), DRIVE_FIXED);
    EXPECT_EQ(platform_->GetDriveTypeW(L"E:\\"), DRIVE_FIXED);
    EXPECT_EQ(platform_->GetDriveTypeW(L"F:\\"), DRIVE_NO_ROOT_DIR);
    wchar_t folder[64] = {};
    EXPECT_EQ(platform_->GetSystemDirectoryW(folder, 64), 19u);
    EXPECT_STREQ(folder, L"C:\\Windows\\System32");
    EXPECT_EQ(platform_->GetSystemDirectoryW(folder, 5), 20u);
}

TEST_F(LinuxPlatformTest, RawTransfersAreWholeSectorsInsideTheDisk) {
    auto& bytes = kernel_->disks["/dev/nvme0n1"].bytes;
    bytes[1024] = 0x11;
    const HANDLE drive = Open(L"\\\\.\\PhysicalDrive2");
    uint8_t sector[1024] = {};
    DWORD done = 0;
    ASSERT_TRUE(platform_->SetFilePointerEx(drive, 1024, nullptr, FILE_BEGIN));
    ASSERT_TRUE(platform_->ReadFile(drive, sector, 1024, &done));
    EXPECT_EQ(done, 1024u);
    EXPECT_EQ(sector[0], 0x11);
    EXPECT_FALSE(platform_->ReadFile(drive, sector, 100, &done));
    EXPECT_EQ(platform_->GetLastError(), ERROR_INVALID_PARAMETER);
    int64_t position = 0;
    ASSERT_TRUE(platform_->SetFilePointerEx(drive, 0, &position, FILE_END));
    EXPECT_EQ(position, static_cast<int64_t>(kDiskSectors * 512));
    EXPECT_TRUE(platform_->ReadFile(drive, sector, 512, &done));
    EXPECT_EQ(done, 0u);
    EXPECT_FALSE(platform_->WriteFile(drive, sector, 512, &done));
    EXPECT_EQ(platform_->GetLastError(), ERROR_SECTOR_NOT_FOUND);
    ASSERT_TRUE(platform_->SetFilePointerEx(drive, -512, nullptr, FILE_END));
    std::memset(sector, 0x22, sizeof sector);
    ASSERT_TRUE(platform_->WriteFile(drive, sector, 512, &done));
    EXPECT_EQ(bytes[bytes.size() - 1], 0x22);
    EXPECT_FALSE(platform_->SetFilePointerEx(drive, -1, nullptr, FILE_BEGIN));
    const int syncs = kernel_->disks["/dev/nvme0n1"].syncs;
    platform_->CloseHandle(drive);
    // What was written is flushed when the handle goes.
    EXPECT_EQ(kernel_->disks["/dev/nvme0n1"].syncs, syncs + 1);
    const HANDLE reader = Open(L"\\\\.\\PhysicalDrive2", GENERIC_READ);
    EXPECT_EQ(kernel_->opens.back().mode, KernelIo::OpenMode::Read);
    EXPECT_FALSE(platform_->WriteFile(reader, sector, 512, &done));
    EXPECT_EQ(platform_->GetLastError(), ERROR_ACCESS_DENIED);
    platform_->CloseHandle(reader);
}

TEST_F(LinuxPlatformTest, ManagementObjectsComeFromSysfs) {
    std::unique_ptr<WmiLocator> locator;
    ASSERT_EQ(platform_->CreateWbemLocator(&locator), S_OK);
    std::unique_ptr<WmiServices> services;
    ASSERT_EQ(locator->ConnectServer(L"\\\\.\\root\\cimv2", 0, &services), S_OK);
    const auto query = [&](const std::wstring& text) {
        std::unique_ptr<WmiEnumerator> enumerator;
        std::vector<WmiObject> objects;
        if (services->ExecQuery(L"WQL", text, 0, &enumerator) != S_OK) return objects;
        WmiObject object;
        DWORD returned = 0;
        while (enumerator->Next(0, &object, &returned) == S_OK && returned == 1)
            objects.push_back(object);
        return objects;
    };
    const auto text = [](const WmiObject& object, const wchar_t* name) {
        WmiValue value;
        object.Get(name, &value);
        return std::holds_alternative<std::wstring>(value) ? std::get<std::wstring>(value)
                                                           : std::wstring(L"?");
    };
    const auto disks = query(L"SELECT * FROM Win32_DiskDrive");
    ASSERT_EQ(disks.size(), 3u);
    EXPECT_EQ(text(disks[0], L"DeviceID"), L"\\\\.\\PHYSICALDRIVE0");
    EXPECT_EQ(text(disks[0], L"InterfaceType"), L"IDE");
    EXPECT_EQ(text(disks[0], L"Model"), L"Orvel SSD S5");
    EXPECT_EQ(text(disks[0], L"FirmwareRevision"), L"S5FM");
    EXPECT_EQ(text(disks[0], L"Size"), std::to_wstring(kDiskSectors * 512));
    EXPECT_EQ(text(disks[0], L"MediaType"), L"Fixed hard disk media");
    EXPECT_EQ(text(disks[1], L"InterfaceType"), L"USB");
    EXPECT_EQ(text(disks[1], L"MediaType"), L"External hard disk media");
    EXPECT_EQ(text(disks[1], L"PNPDeviceID"),
              L"USBSTOR\\DISK&VEN_Orvel&PROD_Portable&REV_0100\\USB42&0");
    EXPECT_EQ(text(disks[2], L"InterfaceType"), L"SCSI");

    const auto ide = query(L"select Name, DeviceID from Win32_IDEController");
    ASSERT_EQ(ide.size(), 1u);
    EXPECT_EQ(text(ide[0], L"Name"), L"Standard SATA AHCI Controller");
    EXPECT_EQ(text(ide[0], L"DeviceID"),
              L"PCI\\VEN_8086&DEV_A352&SUBSYS_86941043&REV_10\\0000:00:17.0");
    const auto usbDevices =
        query(L"ASSOCIATORS OF {Win32_USBController.DeviceID=\"" +
              text(query(L"select DeviceID from Win32_USBController")[0], L"DeviceID") +
              L"\"} WHERE AssocClass = Win32_USBControllerDevice");
    ASSERT_EQ(usbDevices.size(), 2u);
    EXPECT_EQ(text(usbDevices[0], L"DeviceID"), L"USB\\VID_152D&PID_0578\\USB42");
    EXPECT_EQ(text(usbDevices[1], L"DeviceID"), text(disks[1], L"PNPDeviceID"));
    EXPECT_EQ(text(usbDevices[0], L"Name"), L"Orvel Bridge");
    EXPECT_EQ(text(query(L"select Name from Win32_USBController")[0], L"Name"),
              L"Intel Corporation Cannon Lake PCH USB 3.1 xHCI Host Controller");

    // The NVMe drive's controller and its link, as the PCIe link lookup walks them.
    const auto entity = query(
        L"ASSOCIATORS OF {Win32_DiskDrive.DeviceID='\\\\.\\PhysicalDrive2'} WHERE "
        L"ResultClass=Win32_PnPEntity");
    ASSERT_EQ(entity.size(), 1u);
    const auto controller =
        query(L"ASSOCIATORS OF {Win32_PnPEntity.DeviceID='" + text(entity[0], L"DeviceID") +
              L"'} WHERE AssocClass=Win32_SCSIControllerDevice");
    ASSERT_EQ(controller.size(), 1u);
    EXPECT_EQ(text(controller[0], L"Name"), L"Standard NVM Express Controller");
    PcieLink link;
    ASSERT_TRUE(platform_->GetPcieLinkProperties(text(controller[0], L"DeviceID"), &link));
    EXPECT_EQ(link.maxSpeed, 3u);
    EXPECT_EQ(link.maxWidth, 4u);
    EXPECT_EQ(link.speed, 2u);
    EXPECT_EQ(link.width, 2u);
    EXPECT_FALSE(platform_->GetPcieLinkProperties(L"PCI\\VEN_0000", &link));

    // Without a product text in sysfs the USB id database names the enclosure; each new
    // locator sees the machine as it is now.
    kernel_->files.erase(kPci + "0000:00:14.0/usb2/2-1/product");
    kernel_->File("/usr/share/misc/usb.ids", "152d  Orvel Parts\n\t0578  OP578 SATA bridge\n");
    ASSERT_EQ(platform_->CreateWbemLocator(&locator), S_OK);
    ASSERT_EQ(locator->ConnectServer(L"root\\cimv2", 0, &services), S_OK);
    std::wstring usbName;
    for (const auto& device :
         query(L"ASSOCIATORS OF {Win32_USBController.DeviceID=\"" +
               text(query(L"select DeviceID from Win32_USBController")[0], L"DeviceID") + L"\"}"))
        if (text(device, L"DeviceID").starts_with(L"USB\\")) usbName = text(device, L"Name");
    EXPECT_EQ(usbName, L"Orvel Parts OP578 SATA bridge");

    // No failure-prediction objects: no driver here keeps them.
    ASSERT_EQ(locator->ConnectServer(L"root\\WMI", 0, &services), S_OK);
    EXPECT_TRUE(query(L"SELECT * FROM MSStorageDriver_FailurePredictData").empty());
}

TEST_F(LinuxPlatformTest, ServiceVersionMutexAndRights) {
    const SC_HANDLE manager = platform_->OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT);
    const SC_HANDLE service = platform_->OpenServiceW(manager, L"Winmgmt", SERVICE_QUERY_STATUS);
    SERVICE_STATUS status{};
    ASSERT_TRUE(platform_->QueryServiceStatus(service, &status));
    EXPECT_EQ(status.dwCurrentState, SERVICE_RUNNING);
    EXPECT_FALSE(platform_->StartServiceW(service, 0, nullptr));
    EXPECT_EQ(platform_->GetLastError(), ERROR_SERVICE_ALREADY_RUNNING);
    EXPECT_TRUE(platform_->CloseServiceHandle(service));
    EXPECT_TRUE(platform_->CloseServiceHandle(manager));

    OSVERSIONINFOEXW version{};
    version.dwOSVersionInfoSize = kOsVersionInfoExSize;
    ASSERT_TRUE(platform_->GetVersionExW(&version));
    EXPECT_EQ(version.dwMajorVersion, 10u);
    EXPECT_EQ(version.dwBuildNumber, 60176u);
    EXPECT_EQ(std::u16string(version.szCSDVersion), u"Debian GNU/Linux 12 (bookworm)");
    SYSTEM_INFO system;
    platform_->GetNativeSystemInfo(&system);
    EXPECT_EQ(system.wProcessorArchitecture, PROCESSOR_ARCHITECTURE_AMD64);

    // Named mutexes are the host's, with their lock files in the runtime folder.
    const PrivateRuntimeFolder runtime;
    EXPECT_EQ(platform_->OpenMutexW(MUTEX_ALL_ACCESS, 0, L"OrvelTramsik"), nullptr);
    const HANDLE first = platform_->CreateMutexW(0, L"OrvelTramsik");
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(platform_->GetLastError(), ERROR_SUCCESS);
    EXPECT_TRUE(std::filesystem::exists(runtime.Path() / "OrvelTramsik.lock"));
    const HANDLE second = platform_->CreateMutexW(0, L"OrvelTramsik");
    EXPECT_EQ(platform_->GetLastError(), ERROR_ALREADY_EXISTS);
    const HANDLE opened = platform_->OpenMutexW(MUTEX_ALL_ACCESS, 0, L"OrvelTramsik");
    EXPECT_NE(opened, nullptr);
    for (const HANDLE handle : {first, second, opened})
        EXPECT_TRUE(platform_->CloseHandle(handle));

    EXPECT_EQ(platform_->AccessProblem(), L"");
    for (auto& [path, disk] : kernel_->disks)
        disk.openError = EACCES;
    const std::wstring problem = platform_->AccessProblem();
    EXPECT_NE(problem.find(L"/dev/sda, /dev/sdb, /dev/nvme0n1"), std::wstring::npos);
    EXPECT_NE(problem.find(L"permission denied"), std::wstring::npos);
    EXPECT_NE(problem.find(L"root"), std::wstring::npos);
    EXPECT_NE(problem.find(L"TRAMSIK_MACHINE"), std::wstring::npos);
    EXPECT_EQ(Open(L"\\\\.\\PhysicalDrive0"), INVALID_HANDLE_VALUE);
    EXPECT_EQ(platform_->GetLastError(), ERROR_ACCESS_DENIED);
    // One drive that opens is enough; a missing one is no rights problem.
    kernel_->disks["/dev/sdb"].openError = ENOMEDIUM;
    EXPECT_EQ(platform_->AccessProblem(), L"");

    // A machine without a physical drive says so rather than listing nothing.
    LinuxPlatform empty(std::make_unique<FakeKernel>());
    EXPECT_NE(empty.AccessProblem().find(L"no physical drive"), std::wstring::npos);
}
