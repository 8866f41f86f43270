#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "requests.h"
#include "sim_fixture.h"

namespace {

using namespace platform;

constexpr int64_t kMiB = 1024 * 1024;

class DiskRequests : public SimTest {};

std::vector<uint8_t> NoInput;

TEST_F(DiskRequests, TransfersVolumesDescriptorsAndTheLayoutOfTheDemoMachine) {
    LoadDemo();
    const HANDLE drive = OpenDrive(1);
    std::vector<uint8_t> sector(1024, 0x5C), back(1024);
    int64_t position = 0;
    DWORD done = 0;
    ASSERT_TRUE(SetFilePointerEx(drive, 100 * 512, &position, FILE_BEGIN));
    ASSERT_TRUE(WriteFile(drive, sector.data(), 1024, &done));
    EXPECT_EQ(done, 1024u);
    ASSERT_TRUE(SetFilePointerEx(drive, -1024, &position, FILE_CURRENT));
    ASSERT_TRUE(ReadFile(drive, back.data(), 1024, &done));
    EXPECT_EQ(back, sector);

    EXPECT_EQ(ErrorOf(ReadFile(drive, back.data(), 100, &done)), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(ErrorOf(SetFilePointerEx(drive, -1, &position, FILE_BEGIN)), ERROR_NEGATIVE_SEEK);
    ASSERT_TRUE(SetFilePointerEx(drive, -512, &position, FILE_END));
    EXPECT_EQ(ErrorOf(ReadFile(drive, back.data(), 1024, &done)), ERROR_SECTOR_NOT_FOUND);
    EXPECT_TRUE(ReadFile(drive, back.data(), 512, &done));
    EXPECT_TRUE(ReadFile(drive, back.data(), 512, &done)) << "at the end: nothing more to read";
    EXPECT_EQ(done, 0u);
    // The lock belongs to one handle until it is unlocked or closed.
    const HANDLE other = OpenDrive(1);
    EXPECT_TRUE(Control(drive, FSCTL_LOCK_VOLUME, NoInput, 0, NoInput, 0).ok);
    EXPECT_EQ(Control(other, FSCTL_LOCK_VOLUME, NoInput, 0, NoInput, 0).error, ERROR_ACCESS_DENIED);
    EXPECT_FALSE(Control(other, FSCTL_UNLOCK_VOLUME, NoInput, 0, NoInput, 0).ok);
    EXPECT_TRUE(Control(drive, FSCTL_DISMOUNT_VOLUME, NoInput, 0, NoInput, 0).ok);
    CloseHandle(drive);
    EXPECT_TRUE(Control(other, FSCTL_LOCK_VOLUME, NoInput, 0, NoInput, 0).ok);
    EXPECT_TRUE(Control(other, FSCTL_UNLOCK_VOLUME, NoInput, 0, NoInput, 0).ok);
    CloseHandle(other);

    const HANDLE readOnly = OpenDrive(1, GENERIC_READ);
    EXPECT_EQ(ErrorOf(WriteFile(readOnly, sector.data(), 512, &done)), ERROR_ACCESS_DENIED);
    CloseHandle(readOnly);
    EXPECT_EQ(ErrorOf(CloseHandle(readOnly)), ERROR_INVALID_HANDLE);
    EXPECT_EQ(OpenDrive(9), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);

    EXPECT_EQ(GetDriveTypeW(L"Z:\\"), DRIVE_NO_ROOT_DIR);
    ULONGLONG available = 0, total = 0, free = 0;
    ASSERT_TRUE(GetDiskFreeSpaceExW(L"C:\\", &available, &total, &free));
    EXPECT_EQ(std::tuple(total >> 20, free >> 20), std::tuple(512u, 212u)) << "of the partition";
    EXPECT_EQ(ErrorOf(GetDiskFreeSpaceExW(L"Q:\\", &available, &total, &free)),
              ERROR_PATH_NOT_FOUND);
    wchar_t fileSystem[260] = {};
    ASSERT_TRUE(
        GetVolumeInformationW(L"C:\\", nullptr, 0, nullptr, nullptr, nullptr, fileSystem, 260));
    EXPECT_EQ(std::wstring(fileSystem), L"NTFS");
    EXPECT_EQ(ErrorOf(GetVolumeInformationW(L"C:\\", nullptr, 0, nullptr, nullptr, nullptr,
                                            fileSystem, 4)),
              ERROR_BAD_LENGTH);

    HANDLE volume = CreateFileW(L"\\\\.\\C:", GENERIC_READ | GENERIC_WRITE, 3, OPEN_EXISTING, 0);
    std::vector<uint8_t> extents(104);
    ASSERT_TRUE(Control(volume, IOCTL_VOLUME_GET_VOLUME_DISK_EXTENTS, NoInput, 0, extents, 104).ok);
    EXPECT_EQ(Read<DWORD>(extents.data()), 1u);
    const auto extent = Read<DISK_EXTENT>(extents.data(), 8);
    EXPECT_EQ(
        std::tuple(extent.DiskNumber, extent.StartingOffset / kMiB, extent.ExtentLength / kMiB),
        std::tuple(0u, 117, 512));
    std::vector<uint8_t> length(8);
    ASSERT_TRUE(Control(volume, IOCTL_DISK_GET_LENGTH_INFO, NoInput, 0, length, 8).ok);
    EXPECT_EQ(Read<int64_t>(length.data()), 512 * kMiB);
    CloseHandle(volume);

    wchar_t directory[64];
    EXPECT_EQ(GetSystemDirectoryW(nullptr, 0), 20u);
    EXPECT_EQ(GetSystemDirectoryW(directory, 64), 19u);
    EXPECT_EQ(std::wstring(directory), L"C:\\Windows\\system32");

    std::vector<uint8_t> query(12, 0), out(4096, 0xEE);
    Answer answer = ControlOnDrive(0, IOCTL_DISK_GET_DRIVE_GEOMETRY, NoInput, 0, out, 24);
    ASSERT_TRUE(answer.ok);
    EXPECT_EQ(answer.returned, 24u);
    const auto g = Read<DISK_GEOMETRY>(out.data());
    EXPECT_EQ(std::tuple(g.MediaType, g.BytesPerSector, g.TracksPerCylinder, g.SectorsPerTrack,
                         g.Cylinders),
              std::tuple(FixedMedia, 512u, 255u, 63u, 1024 * kMiB / (255 * 63 * 512)));
    EXPECT_EQ(ControlOnDrive(0, IOCTL_DISK_GET_DRIVE_GEOMETRY, NoInput, 0, out, 23).error,
              ERROR_INSUFFICIENT_BUFFER);

    answer = ControlOnDrive(0, IOCTL_STORAGE_QUERY_PROPERTY, query, 12, out, 4096);
    ASSERT_TRUE(answer.ok);
    const auto descriptor = Read<STORAGE_DEVICE_DESCRIPTOR>(out.data());
    const auto text = [&](DWORD offset) {
        return std::string(reinterpret_cast<char*>(&out[offset]));
    };
    EXPECT_EQ(std::tuple(descriptor.BusType, descriptor.VendorIdOffset, descriptor.Size),
              std::tuple(BusTypeSata, 0u, answer.returned));
    EXPECT_EQ(text(descriptor.ProductIdOffset), "Orvel SSD S3 1GB");

    answer = ControlOnDrive(0, IOCTL_STORAGE_QUERY_PROPERTY, query, 12, out, 8);
    ASSERT_TRUE(answer.ok) << "a short buffer gets the header with the full size";
    EXPECT_EQ(answer.returned, 8u);
    EXPECT_GT(Read<DWORD>(out.data(), 4), 8u);
    query[0] = 49;
    EXPECT_EQ(ControlOnDrive(0, IOCTL_STORAGE_QUERY_PROPERTY, query, 12, out, 4096).error,
              ERROR_NOT_SUPPORTED);

    std::vector<uint8_t> address(8);
    ASSERT_TRUE(ControlOnDrive(2, IOCTL_SCSI_GET_ADDRESS, NoInput, 0, address, 8).ok);
    EXPECT_EQ(address[0], 8);
    EXPECT_EQ(address[4], 1) << "port";
    EXPECT_EQ(ControlOnDrive(2, 0x00071234, NoInput, 0, address, 8).error, ERROR_INVALID_FUNCTION)
        << "a code nobody knows";

    std::vector<uint8_t> layout(3840);
    const auto read = [&](int drive) {
        EXPECT_TRUE(
            ControlOnDrive(drive, IOCTL_DISK_GET_DRIVE_LAYOUT_EX, NoInput, 0, layout, 3840).ok);
        const auto header = Read<DRIVE_LAYOUT_INFORMATION_EX>(layout.data());
        return std::tuple(header.PartitionStyle, header.PartitionCount);
    };
    const auto entry = [&](int i) {
        return Read<PARTITION_INFORMATION_EX>(layout.data(), 48 + 144 * i);
    };
    ASSERT_EQ(read(0), std::tuple(PARTITION_STYLE_GPT, 4u));
    EXPECT_EQ(Read<DRIVE_LAYOUT_INFORMATION_EX>(layout.data()).Gpt.StartingUsableOffset, 34 * 512);
    EXPECT_EQ(std::tuple(entry(2).StartingOffset / kMiB, entry(2).PartitionLength / kMiB,
                         entry(2).PartitionNumber),
              std::tuple(117, 512, 3u));

    ASSERT_EQ(read(3), std::tuple(PARTITION_STYLE_MBR, 4u)) << "all four slots";
    EXPECT_EQ(entry(0).Mbr.PartitionType, 0x0C);
    EXPECT_EQ(entry(1).PartitionLength, 0);
    EXPECT_EQ(
        ControlOnDrive(3, IOCTL_DISK_GET_DRIVE_LAYOUT_EX, NoInput, 0, layout, 48 + 144 * 3).error,
        ERROR_INSUFFICIENT_BUFFER);
    EXPECT_EQ(std::get<0>(read(1)), PARTITION_STYLE_RAW);

    // Deleting the layout clears it in the image; the volume on it loses its extent.
    EXPECT_TRUE(ControlOnDrive(3, IOCTL_DISK_DELETE_DRIVE_LAYOUT, NoInput, 0, NoInput, 0).ok);
    EXPECT_TRUE(ControlOnDrive(3, IOCTL_DISK_UPDATE_PROPERTIES, NoInput, 0, NoInput, 0).ok);
    EXPECT_EQ(std::get<0>(read(3)), PARTITION_STYLE_RAW);
    volume = CreateFileW(L"\\\\.\\E:", GENERIC_READ | GENERIC_WRITE, 3, OPEN_EXISTING, 0);
    ASSERT_TRUE(Control(volume, IOCTL_VOLUME_GET_VOLUME_DISK_EXTENTS, NoInput, 0, extents, 104).ok);
    EXPECT_EQ(Read<DWORD>(extents.data()), 0u);
    CloseHandle(volume);

    ASSERT_TRUE(ControlOnDrive(0, IOCTL_DISK_DELETE_DRIVE_LAYOUT, NoInput, 0, NoInput, 0).ok);
    EXPECT_EQ(std::get<0>(read(0)), PARTITION_STYLE_RAW)
        << "both GPT headers are gone, so the backup does not bring the table back";
}

// The migration's tests meet each fault as its user does; here the edges of a bad run, the
// clock of a slow disk and a drive that goes away.
TEST_F(DiskRequests, FaultsFailTheRequestsTheMachineNamesAndVolumesMaySpanDisks) {
    sim::SimPlatform& sim = Load(R"({"format": "tramsik-machine/1", "os": {"major": 10, "minor": 0},
      "drives": [
        {"physicalDrive": 0, "route": "ata", "size": "4MiB", "identify": {"model": "A"},
         "faults": {"readErrorSector": 300, "writeErrorSector": 2000, "writeErrorCount": 8, "errorCode": 23,
                    "slowMsPerMiB": 4}},
        {"physicalDrive": 1, "route": "ata", "size": "4MiB", "identify": {"model": "B"},
         "faults": {"goneAfterRequests": 2}}]})");
    std::vector<uint8_t> chunk(65536);
    DWORD done = 0;
    const HANDLE first = OpenDrive(0);
    ASSERT_TRUE(ReadFile(first, chunk.data(), 65536, &done)) << "sectors 0-127";
    EXPECT_NEAR(sim.VirtualMilliseconds(), 0.25, 1e-9) << "64 KiB at 4 ms per MiB";
    ASSERT_TRUE(ReadFile(first, chunk.data(), 65536, &done));
    EXPECT_FALSE(ReadFile(first, chunk.data(), 65536, &done)) << "sectors 256-383 hold sector 300";
    EXPECT_EQ(std::tuple(GetLastError(), done), std::tuple(23u, 0u));
    int64_t position = 0;
    SetFilePointerEx(first, 0, &position, FILE_CURRENT);
    EXPECT_EQ(position, 2 * 65536) << "a failed transfer does not move the position";
    for (const auto& [sector, ok] : {std::pair{2007, false}, std::pair{2008, true}}) {
        SetFilePointerEx(first, sector * 512, nullptr, FILE_BEGIN);
        EXPECT_EQ(WriteFile(first, chunk.data(), 512, &done) != 0, ok) << "sectors 2000-2007 fail";
    }
    CloseHandle(first);

    const HANDLE second = OpenDrive(1);
    for (const DWORD error : {0u, 0u, DWORD{ERROR_DEVICE_NOT_CONNECTED}})
        EXPECT_EQ(Control(second, IOCTL_DISK_UPDATE_PROPERTIES, NoInput, 0, NoInput, 0).error,
                  error)
            << "after two answers the device is gone";
    CloseHandle(second);
    EXPECT_EQ(OpenDrive(1), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);

    // A spanned volume lists an extent per disk.
    LoadFile("platform/machines/spanned.json");
    const HANDLE volume = CreateFileW(L"\\\\.\\D:", GENERIC_READ, 3, OPEN_EXISTING, 0);
    std::vector<uint8_t> extents(104);
    ASSERT_TRUE(Control(volume, IOCTL_VOLUME_GET_VOLUME_DISK_EXTENTS, NoInput, 0, extents, 104).ok);
    ASSERT_EQ(Read<DWORD>(extents.data()), 2u);
    const auto extent = Read<DISK_EXTENT>(extents.data(), 8 + 24);
    EXPECT_EQ(std::tuple(extent.DiskNumber, extent.StartingOffset),
              std::tuple(1u, int64_t{4096 * 512}));
    std::vector<uint8_t> small(32, 0);
    const Answer answer =
        Control(volume, IOCTL_VOLUME_GET_VOLUME_DISK_EXTENTS, NoInput, 0, small, 32);
    EXPECT_EQ(answer.error, ERROR_MORE_DATA);
    EXPECT_EQ(Read<DWORD>(small.data()), 2u)
        << "the count comes back so the caller can grow its buffer";
    CloseHandle(volume);
    ULONGLONG total = 0;
    ASSERT_TRUE(GetDiskFreeSpaceExW(L"D:\\", nullptr, &total, nullptr));
    EXPECT_EQ(total, 6u << 20);
    EXPECT_EQ(GetDriveTypeW(L"F:\\"), DRIVE_REMOVABLE);
    EXPECT_EQ(GetDriveTypeW(nullptr), DRIVE_FIXED) << "the system volume D:";
}

}  // namespace
