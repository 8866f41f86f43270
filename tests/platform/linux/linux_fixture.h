// The Linux backend's test machine: a SATA system disk (GPT), a USB disk (MBR, mounted) and an
// NVMe disk (GPT), on a fake kernel, and the fixture that opens them.
#pragma once

#include <gtest/gtest.h>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <memory>
#include <random>
#include <string>
#include <vector>
#include "platform/ioctl.h"
#include "platform/linux/linux_platform.h"
#include "platform/partition_table.h"
#include "platform/sim/disk_image.h"
#include "platform/sim/layout_io.h"
#include "platform/win_constants.h"
#include "tests/platform/linux/fake_kernel.h"
#include "tests/platform/requests.h"
#include "tests/platform/scoped_environment.h"

namespace linux_test {

using namespace platform;
using namespace platform::linux_backend;

inline const std::string kPci = "/sys/devices/pci0000:00/";

constexpr uint64_t kDiskSectors = 8192;  // 4 MiB

// A GPT with the given (start, end) partitions, primary and backup, into `bytes`: the tables
// the simulator writes, which the independent tools accept, and boot code that deleting keeps.
inline void WriteGpt(std::vector<uint8_t>& bytes,
                     std::vector<std::pair<uint64_t, uint64_t>> parts) {
    sim::LayoutSpec layout{sim::LayoutStyle::Gpt, {}, {}, 0x12345678};
    for (const auto& [start, end] : parts)
        layout.partitions.push_back(
            {*ParseGuid("0FC63DAF-8483-4772-8E79-3D69D8477DE4"), 0, u"P", start, end - start + 1});
    const auto path = std::filesystem::temp_directory_path() /
                      ("tramsik-gpt-" + std::to_string(std::random_device{}()));
    std::string error;
    auto image = sim::DiskImage::Create(path, bytes.size(), &error);
    ASSERT_TRUE(image && sim::WriteLayout(*image, layout)) << error;
    image->Read(0, bytes.data(), bytes.size());
    image.reset();
    std::filesystem::remove(path);
    bytes[0] = 0xEB;
}

inline void AddPciFunction(FakeKernel& kernel, const std::string& address, const std::string& klass,
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

inline void AddDisk(FakeKernel& kernel, const std::string& name, const std::string& blockPath,
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
inline std::unique_ptr<FakeKernel> Machine() {
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
    // What a call failed with, or 0 when it succeeded.
    DWORD ErrorOf(BOOL ok) { return ok ? 0 : platform_->GetLastError(); }
    // A control request without input bytes: whether it succeeded; its length in returned_.
    bool Ask(HANDLE handle, DWORD code, void* out = nullptr, DWORD outSize = 0) {
        returned_ = 0;
        return platform_->DeviceIoControl(handle, code, nullptr, 0, out, outSize, &returned_) != 0;
    }
    // A request answered in its own buffer, as pass-through requests are.
    bool InPlace(HANDLE handle, DWORD code, void* request, DWORD size) {
        returned_ = 0;
        return platform_->DeviceIoControl(handle, code, request, size, request, size, &returned_) !=
               0;
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
    DWORD returned_ = 0;
};

}  // namespace linux_test
