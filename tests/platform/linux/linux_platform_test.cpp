// The Linux backend's disk, volume, inventory and service calls on a fake kernel.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "base/utf8.h"
#include "tests/platform/linux/linux_fixture.h"
#include "tests/platform/wmi_query.h"

namespace linux_test {
namespace {

TEST_F(LinuxPlatformTest, DescriptorGeometryLayoutAddressAndLayoutDeletion) {
    const HANDLE usb = Open(L"\\\\.\\PhysicalDrive1", GENERIC_READ);
    const HANDLE sata = Open(L"\\\\.\\PhysicalDrive0", GENERIC_READ);
    STORAGE_PROPERTY_QUERY query{StorageDeviceProperty, PropertyStandardQuery, {}};
    uint8_t reply[512] = {};
    DWORD returned = 0;
    ASSERT_TRUE(platform_->DeviceIoControl(usb, IOCTL_STORAGE_QUERY_PROPERTY, &query, sizeof query,
                                           reply, sizeof reply, &returned));
    auto descriptor = Read<STORAGE_DEVICE_DESCRIPTOR>(reply);
    const auto text = [&](DWORD offset) {
        return std::string(reinterpret_cast<char*>(reply + offset));
    };
    EXPECT_EQ(std::tuple(descriptor.BusType, descriptor.Size, text(descriptor.ProductIdOffset),
                         text(descriptor.ProductRevisionOffset)),
              std::tuple(BusTypeUsb, returned, "Portable", "0100"));
    ASSERT_TRUE(platform_->DeviceIoControl(sata, IOCTL_STORAGE_QUERY_PROPERTY, &query, sizeof query,
                                           reply, sizeof reply, &returned));
    descriptor = Read<STORAGE_DEVICE_DESCRIPTOR>(reply);
    EXPECT_EQ(std::tuple(descriptor.BusType, text(descriptor.ProductIdOffset)),
              std::tuple(BusTypeSata, std::string("Orvel SSD S5")));

    DISK_GEOMETRY_EX geometry{};
    ASSERT_TRUE(Ask(sata, IOCTL_DISK_GET_DRIVE_GEOMETRY_EX, &geometry, sizeof geometry));
    EXPECT_EQ(std::tuple(returned_, geometry.DiskSize, geometry.Geometry.MediaType,
                         geometry.Geometry.BytesPerSector),
              std::tuple(kDiskGeometryExMinimum, int64_t{kDiskSectors * 512}, FixedMedia, 512u));

    std::vector<uint8_t> layout(4096);
    const auto read = [&](HANDLE drive) {
        EXPECT_TRUE(Ask(drive, IOCTL_DISK_GET_DRIVE_LAYOUT_EX, layout.data(), 4096));
        const auto header = Read<DRIVE_LAYOUT_INFORMATION_EX>(layout.data());
        return std::tuple(header.PartitionStyle, header.PartitionCount);
    };
    ASSERT_EQ(read(sata), std::tuple(PARTITION_STYLE_GPT, 2u));
    EXPECT_EQ(returned_, kDriveLayoutHeaderSize + 2 * sizeof(PARTITION_INFORMATION_EX));
    const auto second = Read<PARTITION_INFORMATION_EX>(layout.data() + kDriveLayoutHeaderSize +
                                                       sizeof(PARTITION_INFORMATION_EX));
    EXPECT_EQ(std::tuple(second.StartingOffset, second.PartitionLength, second.PartitionNumber),
              std::tuple(2082 * 512, 6000 * 512, 2u));
    EXPECT_EQ(read(usb), std::tuple(PARTITION_STYLE_MBR, 4u));
    // The primary GPT header damaged: the backup still gives the table.
    kernel_->disks["/dev/sda"].bytes[512 + 20] ^= 0xFF;
    EXPECT_EQ(read(sata), std::tuple(PARTITION_STYLE_GPT, 2u));
    // A primary header with a valid checksum that asks for a huge entry array is passed over
    // without reading it.
    auto& sataBytes = kernel_->disks["/dev/sda"].bytes;
    auto forged = Read<GptHeader>(sataBytes.data() + kDiskSectors * 512 - 512);
    forged.myLba = 1;
    forged.sizeOfPartitionEntry = 0x80000000u;
    forged.headerCrc32 = 0;
    forged.headerCrc32 = Crc32(0, {reinterpret_cast<const uint8_t*>(&forged), kGptHeaderSize});
    std::memcpy(sataBytes.data() + 512, &forged, sizeof forged);
    EXPECT_EQ(read(sata), std::tuple(PARTITION_STYLE_GPT, 2u));
    EXPECT_EQ(ErrorOf(Ask(sata, IOCTL_DISK_GET_DRIVE_LAYOUT_EX, layout.data(), 100)),
              ERROR_INSUFFICIENT_BUFFER);

    SCSI_ADDRESS address{};
    ASSERT_TRUE(Ask(usb, IOCTL_SCSI_GET_ADDRESS, &address, sizeof address));
    EXPECT_EQ(std::tuple(address.PortNumber, address.Length), std::tuple(6, sizeof address));
    platform_->CloseHandle(usb);
    platform_->CloseHandle(sata);

    // Deleting a layout clears the MBR and both GPT headers of a disk not in use, only them.
    for (const wchar_t* name : {L"\\\\.\\PhysicalDrive0", L"\\\\.\\PhysicalDrive1"}) {
        const HANDLE mounted = Open(name);
        EXPECT_EQ(ErrorOf(Ask(mounted, IOCTL_DISK_DELETE_DRIVE_LAYOUT)), ERROR_ACCESS_DENIED);
        EXPECT_EQ(ErrorOf(Ask(mounted, FSCTL_LOCK_VOLUME)), ERROR_ACCESS_DENIED);
        platform_->CloseHandle(mounted);
    }
    EXPECT_TRUE(kernel_->writes.empty());
    for (const auto& open : kernel_->opens)
        EXPECT_NE(open.mode, KernelIo::OpenMode::ReadWriteExclusive);

    const std::vector<uint8_t> before = kernel_->disks["/dev/nvme0n1"].bytes;
    const HANDLE drive = Open(L"\\\\.\\PhysicalDrive2");
    ASSERT_TRUE(Ask(drive, IOCTL_DISK_DELETE_DRIVE_LAYOUT));
    const auto& after = kernel_->disks["/dev/nvme0n1"].bytes;
    const uint64_t last = kDiskSectors - 1;
    std::vector<std::pair<uint64_t, size_t>> writes;
    for (const auto& write : kernel_->writes)
        writes.emplace_back(write.offset / 512, write.size);
    EXPECT_EQ(writes, (std::vector<std::pair<uint64_t, size_t>>{{0, 512}, {1, 512}, {last, 512}}));
    // The boot code and disk signature stay; the entries and the boot signature go.
    EXPECT_TRUE(std::equal(after.begin(), after.begin() + 446, before.begin()));
    const auto zero = [](uint8_t b) { return b == 0; };
    EXPECT_TRUE(std::all_of(after.begin() + 446, after.begin() + 1024, zero));
    EXPECT_TRUE(std::all_of(after.end() - 512, after.end(), zero));
    // Every other sector, the entry arrays included, is as it was.
    EXPECT_TRUE(std::equal(after.begin() + 1024, after.end() - 512, before.begin() + 1024));
    EXPECT_GE(kernel_->disks["/dev/nvme0n1"].syncs, 1);
    EXPECT_EQ(kernel_->disks["/dev/nvme0n1"].rereads, 1);
    ASSERT_TRUE(Ask(drive, IOCTL_DISK_GET_DRIVE_LAYOUT_EX, layout.data(), 4096));
    EXPECT_EQ(Read<DWORD>(layout.data()), PARTITION_STYLE_RAW);

    // Lock: an exclusive open, released by unlock; the reread goes through it meanwhile.
    ASSERT_TRUE(Ask(drive, FSCTL_LOCK_VOLUME));
    EXPECT_EQ(kernel_->opens.back().mode, KernelIo::OpenMode::ReadWriteExclusive);
    EXPECT_TRUE(Ask(drive, IOCTL_DISK_UPDATE_PROPERTIES));
    EXPECT_TRUE(Ask(drive, FSCTL_DISMOUNT_VOLUME));
    EXPECT_TRUE(Ask(drive, FSCTL_UNLOCK_VOLUME));
    EXPECT_TRUE(kernel_->opens.back().closed);
    EXPECT_FALSE(Ask(drive, FSCTL_UNLOCK_VOLUME));
    kernel_->disks["/dev/nvme0n1"].exclusiveBusy = true;
    EXPECT_EQ(ErrorOf(Ask(drive, FSCTL_LOCK_VOLUME)), ERROR_ACCESS_DENIED);
    // A partition held by a device-mapper target counts as in use too, mounted or not.
    kernel_->disks["/dev/nvme0n1"].exclusiveBusy = false;
    kernel_->File("/sys/block/nvme0n1/holders/dm-0", "");
    EXPECT_FALSE(Ask(drive, FSCTL_LOCK_VOLUME));
    platform_->CloseHandle(drive);

    const HANDLE reader = Open(L"\\\\.\\PhysicalDrive2", GENERIC_READ);
    EXPECT_EQ(ErrorOf(Ask(reader, IOCTL_DISK_DELETE_DRIVE_LAYOUT)), ERROR_ACCESS_DENIED);
    platform_->CloseHandle(reader);
}

TEST_F(LinuxPlatformTest, VolumesDisksManagementObjectsAndHostServices) {
    const HANDLE system = Open(L"\\\\.\\C:", GENERIC_READ);
    uint8_t buffer[kVolumeExtentsHeaderSize + 4 * sizeof(DISK_EXTENT)] = {};
    // The count of `volume`'s extents, and the first's disk, start and length.
    const auto extentsOf = [&](HANDLE volume) {
        EXPECT_TRUE(Ask(volume, IOCTL_VOLUME_GET_VOLUME_DISK_EXTENTS, buffer, sizeof buffer));
        const auto extents = Read<VOLUME_DISK_EXTENTS>(buffer);
        const DISK_EXTENT& first = extents.Extents[0];
        return std::tuple(extents.NumberOfDiskExtents, first.DiskNumber, first.StartingOffset,
                          first.ExtentLength);
    };
    EXPECT_EQ(extentsOf(system), std::tuple(1u, 0u, 2082 * 512, 6000 * 512));
    GET_LENGTH_INFORMATION length{};
    ASSERT_TRUE(Ask(system, IOCTL_DISK_GET_LENGTH_INFO, &length, sizeof length));
    EXPECT_EQ(length.Length, 6000 * 512);
    platform_->CloseHandle(system);
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
    EXPECT_EQ(extentsOf(logical), std::tuple(1u, 0u, 34 * 512, 2048 * 512));
    platform_->CloseHandle(logical);

    ULONGLONG available = 0, total = 0, free = 0;
    ASSERT_TRUE(platform_->GetDiskFreeSpaceExW(L"C:\\", &available, &total, &free));
    EXPECT_EQ(std::tuple(total >> 20, free >> 20, available >> 20), std::tuple(100u, 40u, 30u));
    wchar_t fileSystem[16] = {};
    ASSERT_TRUE(platform_->GetVolumeInformationW(L"D:\\", nullptr, 0, nullptr, nullptr, nullptr,
                                                 fileSystem, 16));
    EXPECT_STREQ(fileSystem, L"vfat");
    EXPECT_EQ(std::tuple(platform_->GetDriveTypeW(L"E:\\"), platform_->GetDriveTypeW(L"F:\\")),
              std::tuple(DRIVE_FIXED, DRIVE_NO_ROOT_DIR));
    wchar_t folder[64] = {};
    EXPECT_EQ(platform_->GetSystemDirectoryW(folder, 64), 19u);
    EXPECT_STREQ(folder, L"C:\\Windows\\System32");
    EXPECT_EQ(platform_->GetSystemDirectoryW(folder, 5), 20u) << "a short buffer";

    // Raw transfers are whole sectors inside the disk.
    auto& bytes = kernel_->disks["/dev/nvme0n1"].bytes;
    bytes[1024] = 0x11;
    const HANDLE drive = Open(L"\\\\.\\PhysicalDrive2");
    uint8_t sector[1024] = {};
    DWORD done = 0;
    ASSERT_TRUE(platform_->SetFilePointerEx(drive, 1024, nullptr, FILE_BEGIN));
    ASSERT_TRUE(platform_->ReadFile(drive, sector, 1024, &done));
    EXPECT_EQ(done, 1024u);
    EXPECT_EQ(sector[0], 0x11);
    EXPECT_EQ(ErrorOf(platform_->ReadFile(drive, sector, 100, &done)), ERROR_INVALID_PARAMETER);
    int64_t position = 0;
    ASSERT_TRUE(platform_->SetFilePointerEx(drive, 0, &position, FILE_END));
    EXPECT_EQ(position, static_cast<int64_t>(kDiskSectors * 512));
    EXPECT_TRUE(platform_->ReadFile(drive, sector, 512, &done));
    EXPECT_EQ(done, 0u);
    EXPECT_EQ(ErrorOf(platform_->WriteFile(drive, sector, 512, &done)), ERROR_SECTOR_NOT_FOUND);
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
    EXPECT_EQ(ErrorOf(platform_->WriteFile(reader, sector, 512, &done)), ERROR_ACCESS_DENIED);
    platform_->CloseHandle(reader);

    ASSERT_EQ(platform_->CreateWbemLocator(&locator), S_OK);
    std::unique_ptr<WmiServices> services;
    ASSERT_EQ(locator->ConnectServer(L"\\\\.\\root\\cimv2", 0, &services), S_OK);
    const auto query = [&](const std::wstring& text) { return QueryAll(*services, text); };
    const auto disks = query(L"SELECT * FROM Win32_DiskDrive");
    ASSERT_EQ(disks.size(), 3u);
    EXPECT_EQ(Properties(disks[0], {L"DeviceID", L"InterfaceType", L"Model", L"FirmwareRevision",
                                    L"Size", L"MediaType"}),
              "DeviceID=\\\\.\\PHYSICALDRIVE0; InterfaceType=IDE; Model=Orvel SSD S5; "
              "FirmwareRevision=S5FM; Size=4194304; MediaType=Fixed hard disk media");
    EXPECT_EQ(Properties(disks[1], {L"InterfaceType", L"MediaType", L"PNPDeviceID"}),
              "InterfaceType=USB; MediaType=External hard disk media; "
              "PNPDeviceID=USBSTOR\\DISK&VEN_Orvel&PROD_Portable&REV_0100\\USB42&0");
    EXPECT_EQ(Text(disks[2], L"InterfaceType"), L"SCSI");

    const auto ide = query(L"select Name, DeviceID from Win32_IDEController");
    ASSERT_EQ(ide.size(), 1u);
    EXPECT_EQ(Properties(ide[0], {L"Name", L"DeviceID"}),
              "Name=Standard SATA AHCI Controller; "
              "DeviceID=PCI\\VEN_8086&DEV_A352&SUBSYS_86941043&REV_10\\0000:00:17.0");
    // What the USB controller lists: the enclosure, then its disk.
    const auto usbDevicesNow = [&] {
        return query(L"ASSOCIATORS OF {Win32_USBController.DeviceID=\"" +
                     Text(query(L"select DeviceID from Win32_USBController")[0], L"DeviceID") +
                     L"\"} WHERE AssocClass = Win32_USBControllerDevice");
    };
    const auto usbDevices = usbDevicesNow();
    ASSERT_EQ(usbDevices.size(), 2u);
    EXPECT_EQ(Properties(usbDevices[0], {L"DeviceID", L"Name"}),
              "DeviceID=USB\\VID_152D&PID_0578\\USB42; Name=Orvel Bridge");
    EXPECT_EQ(Text(usbDevices[1], L"DeviceID"), Text(disks[1], L"PNPDeviceID"));
    EXPECT_EQ(Text(query(L"select Name from Win32_USBController")[0], L"Name"),
              L"Intel Corporation Cannon Lake PCH USB 3.1 xHCI Host Controller");

    const auto controller = query(L"select Name, DeviceID from Win32_SCSIController");
    ASSERT_EQ(controller.size(), 1u);
    EXPECT_EQ(Text(controller[0], L"Name"), L"Standard NVM Express Controller");
    PcieLink link;
    ASSERT_TRUE(platform_->GetPcieLinkProperties(Text(controller[0], L"DeviceID"), &link));
    EXPECT_EQ(std::tuple(link.maxSpeed, link.maxWidth, link.speed, link.width),
              std::tuple(3u, 4u, 2u, 2u));
    EXPECT_FALSE(platform_->GetPcieLinkProperties(L"PCI\\VEN_0000", &link));

    // Without a product text in sysfs the USB id database names the enclosure; each new
    // locator sees the machine as it is now.
    kernel_->files.erase(kPci + "0000:00:14.0/usb2/2-1/product");
    kernel_->File("/usr/share/misc/usb.ids", "152d  Orvel Parts\n\t0578  OP578 SATA bridge\n");
    ASSERT_EQ(platform_->CreateWbemLocator(&locator), S_OK);
    ASSERT_EQ(locator->ConnectServer(L"root\\cimv2", 0, &services), S_OK);
    EXPECT_EQ(Text(usbDevicesNow().at(0), L"Name"), L"Orvel Parts OP578 SATA bridge");

    // No failure-prediction objects: no driver here keeps them.
    ASSERT_EQ(locator->ConnectServer(L"root\\WMI", 0, &services), S_OK);
    EXPECT_TRUE(query(L"SELECT * FROM MSStorageDriver_FailurePredictData").empty());

    // The service, version, mutex and rights calls follow the Windows semantics the simulator's
    // tests pin; here what this machine gives them.
    const SC_HANDLE manager = platform_->OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT);
    const SC_HANDLE service = platform_->OpenServiceW(manager, L"Winmgmt", SERVICE_QUERY_STATUS);
    SERVICE_STATUS status{};
    ASSERT_TRUE(platform_->QueryServiceStatus(service, &status));
    EXPECT_EQ(status.dwCurrentState, SERVICE_RUNNING);
    EXPECT_EQ(ErrorOf(platform_->StartServiceW(service, 0, nullptr)),
              ERROR_SERVICE_ALREADY_RUNNING);

    OSVERSIONINFOEXW version{};
    version.dwOSVersionInfoSize = kOsVersionInfoExSize;
    ASSERT_TRUE(platform_->GetVersionExW(&version));
    EXPECT_EQ(std::tuple(version.dwMajorVersion, version.dwBuildNumber,
                         std::u16string(version.szCSDVersion)),
              std::tuple(10u, 60176u, u"Debian GNU/Linux 12 (bookworm)"));
    SYSTEM_INFO info;
    platform_->GetNativeSystemInfo(&info);
    EXPECT_EQ(info.wProcessorArchitecture, PROCESSOR_ARCHITECTURE_AMD64);

    // Named mutexes are the host's, with their lock files in the runtime folder.
    const PrivateRuntimeFolder runtime;
    EXPECT_EQ(platform_->OpenMutexW(MUTEX_ALL_ACCESS, 0, L"OrvelTramsik"), nullptr);
    const HANDLE first = platform_->CreateMutexW(0, L"OrvelTramsik");
    const HANDLE opened = platform_->OpenMutexW(MUTEX_ALL_ACCESS, 0, L"OrvelTramsik");
    for (const HANDLE handle : {first, opened})
        EXPECT_TRUE(platform_->CloseHandle(handle));

    std::wstring why;
    EXPECT_EQ(platform_->AccessProblem(&why), platform::DriveAccess::Readable);
    EXPECT_EQ(why, L"");
    for (auto& [path, disk] : kernel_->disks)
        disk.openError = EACCES;
    EXPECT_EQ(platform_->AccessProblem(&why), platform::DriveAccess::NoRights);
    for (const wchar_t* part :
         {L"/dev/sda, /dev/sdb, /dev/nvme0n1", L"permission denied", L"root", L"TRAMSIK_MACHINE"})
        EXPECT_NE(why.find(part), std::wstring::npos) << ToUtf8(why);
    EXPECT_EQ(Open(L"\\\\.\\PhysicalDrive0"), INVALID_HANDLE_VALUE);
    EXPECT_EQ(platform_->GetLastError(), ERROR_ACCESS_DENIED);
    // One drive that opens is enough; a missing one is no rights problem.
    kernel_->disks["/dev/sdb"].openError = ENOMEDIUM;
    EXPECT_EQ(platform_->AccessProblem(&why), platform::DriveAccess::Readable);

    // A machine without a physical drive says so rather than listing nothing.
    LinuxPlatform empty(std::make_unique<FakeKernel>());
    EXPECT_EQ(empty.AccessProblem(&why), platform::DriveAccess::NoDrive);
    EXPECT_NE(why.find(L"no physical drive"), std::wstring::npos);
}

}  // namespace
}  // namespace linux_test
