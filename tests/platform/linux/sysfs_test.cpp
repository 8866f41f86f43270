#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "platform/linux/block_devices.h"
#include "platform/linux/mounts.h"
#include "tests/platform/linux/fake_kernel.h"

using namespace platform::linux_backend;

namespace {

const std::string kPci = "/sys/devices/pci0000:00";

// A SCSI disk whose device sits at `devicePath` (ending in its H:C:T:L folder).
void AddScsiDisk(FakeKernel& kernel, const std::string& name, const std::string& devicePath,
                 const std::string& dev, const std::string& vendor = "ATA") {
    const std::string block = devicePath + "/block/" + name;
    kernel.links["/sys/block/" + name] = block;
    kernel.links["/sys/block/" + name + "/device"] = devicePath;
    kernel.File("/sys/block/" + name + "/size", "2097152\n");
    kernel.File("/sys/block/" + name + "/removable", "0\n");
    kernel.File("/sys/block/" + name + "/dev", dev + "\n");
    kernel.File("/sys/block/" + name + "/device/vendor", vendor + "     \n");
    kernel.File("/sys/block/" + name + "/device/model", "Disk " + name + "\n");
    kernel.File("/sys/block/" + name + "/device/rev", "1.0 \n");
}

// Each disk as "name model/revision", space-separated.
std::string Models(const std::vector<BlockDisk>& disks) {
    std::string text;
    for (const BlockDisk& disk : disks)
        text += (text.empty() ? "" : " ") + disk.name + " " + disk.model + "/" + disk.revision;
    return text;
}

// The ATA Information VPD page as libata builds it, with IDENTIFY DEVICE data from byte 60 that
// holds this model and firmware revision.
std::string AtaInformationPage(const std::string& model, const std::string& firmware,
                               uint8_t command = 0xEC) {
    std::string page(572, '\0');
    page[1] = '\x89';
    page[2] = 0x02;
    page[3] = 0x38;
    page[56] = static_cast<char>(command);
    const auto put = [&](size_t firstWord, size_t words, std::string text) {
        text.resize(words * 2, ' ');
        for (size_t i = 0; i < text.size(); i += 2) {
            page[60 + 2 * firstWord + i] = text[i + 1];
            page[60 + 2 * firstWord + i + 1] = text[i];
        }
    };
    put(23, 4, firmware);
    put(27, 20, model);
    return page;
}

}  // namespace

TEST(PhysicalDisks, WholeDisksInAddressOrderThenNvme) {
    FakeKernel kernel;
    AddScsiDisk(kernel, "sda", kPci + "/0000:00:17.0/ata3/host2/target2:0:0/2:0:0:0", "8:0");
    AddScsiDisk(kernel, "sdb", kPci + "/0000:00:17.0/ata1/host0/target0:0:1/0:0:1:0", "8:16");
    AddScsiDisk(kernel, "sdc", kPci + "/0000:00:14.0/usb2/2-1/2-1:1.0/host6/target6:0:0/6:0:0:0",
                "8:32", "Orvel");
    kernel.File(kPci + "/0000:00:14.0/usb2/2-1/idVendor", "152d\n");
    kernel.File(kPci + "/0000:00:14.0/usb2/2-1/idProduct", "0578\n");
    kernel.File(kPci + "/0000:00:14.0/usb2/2-1/serial", "ABC123\n");
    // The root hub above also has ids; the nearest USB device is the enclosure.
    kernel.File(kPci + "/0000:00:14.0/usb2/idVendor", "1d6b\n");
    for (const std::string name : {"nvme1n1", "nvme0n2", "nvme0n1"}) {
        kernel.File("/sys/block/" + name + "/size", "4096\n");
        kernel.File("/sys/block/" + name + "/dev", "259:" + std::to_string(name[4] - '0') + "\n");
        kernel.File("/sys/block/" + name + "/device/model", "Orvel NVMe\n");
        kernel.File("/sys/block/" + name + "/device/firmware_rev", "FW1\n");
    }
    kernel.links["/sys/block/nvme0n1"] = kPci + "/0000:03:00.0/nvme/nvme0/nvme0n1";
    // Partitions of sda: listed in its folder, ordered by number.
    for (const auto& [number, start] : {std::pair{"2", "2048\n"}, std::pair{"1", "34\n"}}) {
        const std::string part = std::string("/sys/block/sda/sda") + number;
        kernel.File(part + "/partition", std::string(number) + "\n");
        kernel.File(part + "/start", start);
        kernel.File(part + "/size", "1000\n");
        kernel.File(part + "/dev", std::string("8:") + number + "\n");
    }
    for (const std::string name : {"loop0", "dm-0", "nvme0c0n1", "sda1", "mmcblk0"}) {
        kernel.File("/sys/block/" + name + "/size", "100\n");
        kernel.File("/sys/block/" + name + "/dev", "7:0\n");
    }

    const std::vector<BlockDisk> disks = ListPhysicalDisks(kernel);
    EXPECT_EQ(Models(disks),
              "sdb Disk sdb/1.0 sda Disk sda/1.0 sdc Disk sdc/1.0 nvme0n1 Orvel "
              "NVMe/FW1 nvme0n2 Orvel NVMe/FW1 nvme1n1 Orvel NVMe/FW1");
    const BlockDisk& sda = disks[1];
    EXPECT_EQ(
        std::tuple(sda.hctl[0], sda.vendor, sda.sizeBytes, sda.usb.has_value(), sda.pciFunction),
        std::tuple(2u, "ATA", 2097152ull * 512, false, kPci + "/0000:00:17.0"));
    ASSERT_EQ(sda.partitions.size(), 2u);
    EXPECT_EQ(
        std::tuple(sda.partitions[0].name, sda.partitions[0].startSector, sda.partitions[1].device),
        std::tuple("sda1", 34u, DeviceNumber{8, 2}));

    // The USB disk: the enclosure's ids from the nearest USB device, the host controller's PCI
    // function as its controller.
    const BlockDisk& usb = disks[2];
    ASSERT_TRUE(usb.usb);
    EXPECT_EQ(std::tuple(usb.usb->vendorId, usb.usb->productId, usb.usb->serial, usb.pciFunction),
              std::tuple(0x152D, 0x0578, "ABC123", kPci + "/0000:00:14.0"));
    EXPECT_EQ(std::tuple(disks[3].kind, disks[3].pciFunction),
              std::tuple(BlockDisk::Kind::Nvme, kPci + "/0000:03:00.0"));

    for (const char* name : {"sdz", "sdaa", "nvme12n3"})
        EXPECT_TRUE(IsPhysicalDiskName(name)) << name;
    for (const char* name : {"nvme0n1p1", "vda", "sr0", "zram0", "md0", "sd", "nvme0"})
        EXPECT_FALSE(IsPhysicalDiskName(name)) << name;

    // ATA disks take their whole model and firmware from the ATA Information page.
    FakeKernel ata;
    const std::string host = kPci + "/0000:00:17.0/ata1/host0/target0:0:";
    AddScsiDisk(ata, "sda", host + "0/0:0:0:0", "8:0");
    AddScsiDisk(ata, "sdb", host + "1/0:0:1:0", "8:16");
    AddScsiDisk(ata, "sdc", host + "2/0:0:2:0", "8:32");
    AddScsiDisk(ata, "sdd", host + "3/0:0:3:0", "8:48", "Orvel");
    AddScsiDisk(ata, "sde", host + "4/0:0:4:0", "8:64");
    // The sysfs attributes hold what INQUIRY carries: 16 characters of model, 4 of firmware.
    ata.File("/sys/block/sda/device/model", "TRAMSIK QEMU SAT\n");
    ata.File("/sys/block/sda/device/rev", "TQ1.\n");
    ata.File("/sys/block/sda/device/vpd_pg89",
             AtaInformationPage("TRAMSIK QEMU SATA SSD", "TQ1.2.3"));
    // A page of the wrong length, a packet device's page, and a page on a disk that is not
    // ATA are not read.
    ata.File("/sys/block/sdb/device/vpd_pg89",
             AtaInformationPage("Other Model", "9.9").substr(0, 300));
    ata.File("/sys/block/sdc/device/vpd_pg89", AtaInformationPage("Packet", "1", 0xA1));
    ata.File("/sys/block/sdd/device/vpd_pg89", AtaInformationPage("Bridge Model", "2.0"));
    // A blank model in the page leaves the attribute's.
    ata.File("/sys/block/sde/device/vpd_pg89", AtaInformationPage("", ""));

    EXPECT_EQ(
        Models(ListPhysicalDisks(ata)),
        "sda TRAMSIK QEMU SATA SSD/TQ1.2.3 sdb Disk sdb/1.0 sdc Disk sdc/1.0 sdd Disk sdd/1.0 "
        "sde Disk sde/1.0");
}

TEST(MountInfo, ParsesFieldsAndEscapesAndLettersRootFirst) {
    const std::string text =
        "22 1 259:2 / / rw,relatime shared:1 - ext4 /dev/nvme0n1p2 rw\n"
        "35 22 8:1 / /mnt/my\\040data rw shared:5 master:1 - vfat /dev/sda1 rw\n"
        "garbage line\n"
        "36 22 0:5 / /proc rw - proc proc rw\n"
        "37 22 8:2 / /media/x rw - ext4 /dev/sda2 rw\n";
    const auto mounts = ParseMountInfo(text);
    ASSERT_EQ(mounts.size(), 4u);
    EXPECT_EQ(
        std::tuple(mounts[0].device, mounts[0].mountPoint, mounts[0].fsType, mounts[0].source),
        std::tuple(DeviceNumber{259, 2}, "/", "ext4", "/dev/nvme0n1p2"));
    // Several optional fields before the separator, and an escaped space.
    EXPECT_EQ(mounts[1].mountPoint + " " + mounts[1].fsType + " " + mounts[2].fsType,
              "/mnt/my data vfat proc");

    // The root is C:; other disk file systems follow in device order.
    const std::string table =
        "20 1 8:2 / / rw - ext4 /dev/sda2 rw\n"
        "23 20 8:17 / /data rw - xfs /dev/sdb1 rw\n"
        "24 20 8:1 / /boot/efi rw - vfat /dev/sda1 rw\n"
        "25 20 8:17 /sub /srv/bind rw - xfs /dev/sdb1 rw\n"  // a bind mount of a folder
        "26 20 8:17 / /data2 rw - xfs /dev/sdb1 rw\n"        // the same file system again
        "27 20 7:0 / /snap/core rw - squashfs /dev/loop0 ro\n"
        "28 20 259:1 / /fast rw - ext4 /dev/nvme0n1p1 rw\n";
    const std::set<DeviceNumber> physical = {{8, 0},  {8, 1},   {8, 2},  {8, 16},
                                             {8, 17}, {259, 0}, {259, 1}};
    std::string letters;
    for (const LetteredMount& lettered : AssignDriveLetters(ParseMountInfo(table), physical))
        letters += std::string(1, static_cast<char>(lettered.letter)) + ":" +
                   lettered.mount.mountPoint + " ";
    EXPECT_EQ(letters, "C:/ D:/boot/efi E:/data F:/fast ");

    // A root on something that is no disk (an overlay) is still C:; letters end at Z:.
    std::string many = "1 0 0:40 / / rw - overlay overlay rw\n";
    std::set<DeviceNumber> disks;
    for (uint32_t minor = 1; minor <= 30; ++minor) {
        many += "2 1 8:" + std::to_string(minor) + " / /m" + std::to_string(minor) +
                " rw - ext4 /dev/x rw\n";
        disks.insert({8, minor});
    }
    const auto capped = AssignDriveLetters(ParseMountInfo(many), disks);
    ASSERT_EQ(capped.size(), 24u);
    EXPECT_EQ(capped.front().mount.fsType, "overlay");
    EXPECT_EQ(capped.back().letter, L'Z');
    EXPECT_EQ(capped.back().mount.mountPoint, "/m23");
}
