// The Windows backend against the system it runs on. The tests run under Wine, which reports
// Windows 7 SP1 on an x64 machine, runs its programs elevated, and answers a made-up disk both
// as \\.\PhysicalDrive0 and through WMI.
#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <variant>
#include <vector>

#include "platform/native_platform.h"
#include "platform/win32/win32_platform.h"
#include "platform/win32/windows_api.h"

#include <winioctl.h>

namespace {

using platform::win32::Win32Platform;

constexpr uint32_t kExtendedSize = platform::kOsVersionInfoExSize;

TEST(Win32Platform, VersionRecordsOfBothSizesAndTheMachine) {
    Win32Platform system;
    platform::OSVERSIONINFOEXW info{};
    info.dwOSVersionInfoSize = kExtendedSize;
    ASSERT_TRUE(system.GetVersionExW(&info));
    EXPECT_EQ(info.dwMajorVersion, 6u);
    EXPECT_EQ(info.dwMinorVersion, 1u);
    EXPECT_EQ(info.dwPlatformId, 2u);
    EXPECT_EQ(std::u16string(info.szCSDVersion), u"Service Pack 1");
    EXPECT_EQ(info.wServicePackMajor, 1u);

    // The older record ends before the service-pack numbers: they stay as they were.
    platform::OSVERSIONINFOEXW older{};
    older.dwOSVersionInfoSize = platform::kOsVersionInfoSize;
    older.wServicePackMajor = 0xBEEF;
    ASSERT_TRUE(system.GetVersionExW(&older));
    EXPECT_EQ(older.dwBuildNumber, info.dwBuildNumber);
    EXPECT_EQ(older.wServicePackMajor, 0xBEEFu);

    platform::OSVERSIONINFOEXW wrong{};
    wrong.dwOSVersionInfoSize = 100;
    EXPECT_FALSE(system.GetVersionExW(&wrong));

    platform::SYSTEM_INFO machine;
    system.GetNativeSystemInfo(&machine);
    EXPECT_EQ(machine.wProcessorArchitecture, platform::WORD{PROCESSOR_ARCHITECTURE_AMD64});
    EXPECT_EQ(machine.dwPageSize, 4096u);
    EXPECT_GE(machine.dwNumberOfProcessors, 1u);
}

TEST(Win32Platform, FilesArePositionedByTheirPointerAndFailWithTheSystemsError) {
    Win32Platform system;
    wchar_t folder[MAX_PATH] = {};
    ASSERT_GT(::GetTempPathW(MAX_PATH, folder), 0u);
    const std::wstring path = std::wstring(folder) + L"tramsik-win32-test.bin";
    const platform::HANDLE file =
        system.CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, CREATE_ALWAYS, 0);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);

    const std::vector<uint8_t> written(4096, 0xA5);
    int64_t position = 0;
    ASSERT_TRUE(system.SetFilePointerEx(file, 1 << 20, &position, FILE_BEGIN));
    EXPECT_EQ(position, 1 << 20);
    platform::DWORD count = 0;
    ASSERT_TRUE(system.WriteFile(file, written.data(), 4096, &count));
    EXPECT_EQ(count, 4096u);

    std::vector<uint8_t> read(8192, 0);
    ASSERT_TRUE(system.SetFilePointerEx(file, -4096, &position, FILE_CURRENT));
    ASSERT_TRUE(system.ReadFile(file, read.data(), 8192, &count));
    EXPECT_EQ(count, 4096u) << "the file ends after the block";
    EXPECT_EQ(std::vector<uint8_t>(read.begin(), read.begin() + 4096), written);
    ASSERT_TRUE(system.ReadFile(file, read.data(), 512, &count));
    EXPECT_EQ(count, 0u) << "at the end a read succeeds with nothing";
    EXPECT_TRUE(system.CloseHandle(file));
    ::DeleteFileW(path.c_str());

    EXPECT_EQ(system.CreateFileW((path + L".none").c_str(), GENERIC_READ, 0, OPEN_EXISTING, 0),
              INVALID_HANDLE_VALUE);
    EXPECT_EQ(system.GetLastError(), platform::DWORD{ERROR_FILE_NOT_FOUND});
    system.SetLastError(1117);
    EXPECT_EQ(::GetLastError(), 1117u) << "the seam's last error is the system's";
}

TEST(Win32Platform, ControlRequestsReachTheDriveAndCountTheReply) {
    Win32Platform system;
    const platform::HANDLE drive =
        system.CreateFileW(L"\\\\.\\PhysicalDrive0", GENERIC_READ | GENERIC_WRITE,
                           FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING, 0);
    ASSERT_NE(drive, INVALID_HANDLE_VALUE);
    DISK_GEOMETRY geometry{};
    platform::DWORD returned = 0;
    ASSERT_TRUE(system.DeviceIoControl(drive, IOCTL_DISK_GET_DRIVE_GEOMETRY, nullptr, 0, &geometry,
                                       sizeof geometry, &returned));
    EXPECT_EQ(returned, sizeof geometry);
    EXPECT_EQ(geometry.BytesPerSector, 512u);
    EXPECT_TRUE(system.DeviceIoControl(drive, IOCTL_DISK_GET_DRIVE_GEOMETRY, nullptr, 0, &geometry,
                                       sizeof geometry, nullptr))
        << "a caller that does not want the count";
    EXPECT_TRUE(system.CloseHandle(drive));
}

TEST(Win32Platform, NamedMutexesAreTheSystemsOwn) {
    Win32Platform system;
    const wchar_t* name = L"tramsik-win32-test-mutex";
    const platform::HANDLE first = system.CreateMutexW(TRUE, name);
    ASSERT_NE(first, nullptr);
    const platform::HANDLE second = system.CreateMutexW(FALSE, name);
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(system.GetLastError(), platform::DWORD{ERROR_ALREADY_EXISTS});
    const platform::HANDLE opened = system.OpenMutexW(SYNCHRONIZE, FALSE, name);
    EXPECT_NE(opened, nullptr);
    for (platform::HANDLE handle : {first, second, opened})
        system.CloseHandle(handle);
    EXPECT_EQ(system.OpenMutexW(SYNCHRONIZE, FALSE, name), nullptr) << "gone with its handles";
}

// The disk drives as WMI lists them, asked from a thread of its own.
std::vector<platform::WmiObject> DiskDrivesFromAnotherThread(Win32Platform& system) {
    std::vector<platform::WmiObject> disks;
    std::thread([&] {
        system.CoInitializeSecurity();
        std::unique_ptr<platform::WmiLocator> locator;
        if (FAILED(system.CreateWbemLocator(&locator))) return;
        std::unique_ptr<platform::WmiServices> services;
        if (FAILED(locator->ConnectServer(L"\\\\.\\root\\cimv2", 0, &services))) return;
        std::unique_ptr<platform::WmiEnumerator> objects;
        if (FAILED(services->ExecQuery(
                L"WQL", L"SELECT * FROM Win32_DiskDrive",
                platform::WBEM_FLAG_FORWARD_ONLY | platform::WBEM_FLAG_RETURN_IMMEDIATELY,
                &objects)))
            return;
        platform::WmiObject disk;
        platform::DWORD returned = 0;
        while (SUCCEEDED(objects->Next(10000, &disk, &returned)) && returned == 1)
            disks.push_back(disk);
    }).join();
    return disks;
}

TEST(Win32Platform, WmiObjectsArriveWithTheirPropertiesOnAnyThread) {
    Win32Platform system;
    for (int pass = 0; pass < 2; ++pass) {
        const auto disks = DiskDrivesFromAnotherThread(system);
        ASSERT_FALSE(disks.empty()) << "pass " << pass;
        platform::WmiValue model, index, system_;
        ASSERT_EQ(disks[0].Get(L"Model", &model), S_OK);
        EXPECT_EQ(model, platform::WmiValue(std::wstring(L"Wine Disk Drive")));
        ASSERT_EQ(disks[0].Get(L"Index", &index), S_OK);
        EXPECT_EQ(index, platform::WmiValue(int64_t{0}));
        EXPECT_EQ(disks[0].Get(L"__CLASS", &system_), platform::WBEM_E_NOT_FOUND)
            << "system properties are left out";
    }
}

TEST(Win32Platform, UnknownControllerHasNoLinkAndTheProcessMayOpenDrives) {
    Win32Platform system;
    platform::PcieLink link;
    EXPECT_FALSE(system.GetPcieLinkProperties(L"PCI\\VEN_0000&DEV_0000\\NOTHERE", &link));
    EXPECT_EQ(system.GetLastError(), platform::DWORD{ERROR_FILE_NOT_FOUND});

    platform::DriveAccess access = platform::DriveAccess::NoDrive;
    std::wstring why;
    EXPECT_NE(platform::MakeNativePlatform(&access, &why), nullptr);
    EXPECT_EQ(access, platform::DriveAccess::Readable);
    EXPECT_EQ(why, L"");
}

}  // namespace
