// Two programs on one machine file, each with its own simulated machine: the named mutexes
// they meet are the host's, and a drive's image is written by one of them at a time while
// both may read it.
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/ioctl.h"
#include "platform/win_constants.h"
#include "sim_fixture.h"

namespace {

using namespace platform;

constexpr char kMachine[] = R"({"format": "tramsik-machine/1", "os": {"major": 10, "minor": 0},
    "drives": [{"physicalDrive": 0, "route": "ata", "size": "4MiB", "identify": {"model": "A"}}]})";
constexpr char kMachineHoldingOther[] = R"({"format": "tramsik-machine/1",
    "os": {"major": 10, "minor": 0, "heldMutexes": ["Other"]},
    "drives": [{"physicalDrive": 0, "route": "ata", "size": "4MiB", "identify": {"model": "A"}}]})";

using TwoPrograms = SimTest;

HANDLE OpenDrive(sim::SimPlatform& program, DWORD access) {
    return program.CreateFileW(L"\\\\.\\PhysicalDrive0", access, FILE_SHARE_READ | FILE_SHARE_WRITE,
                               OPEN_EXISTING, 0);
}

DWORD WriteSector(sim::SimPlatform& program, HANDLE drive, uint8_t fill) {
    const std::vector<uint8_t> sector(kSectorSize, fill);
    DWORD done = 0;
    program.SetFilePointerEx(drive, 100 * kSectorSize, nullptr, FILE_BEGIN);
    return program.WriteFile(drive, sector.data(), kSectorSize, &done) ? 0 : program.GetLastError();
}

uint8_t ReadSector(sim::SimPlatform& program, HANDLE drive) {
    std::vector<uint8_t> sector(kSectorSize, 0xEE);
    DWORD done = 0;
    program.SetFilePointerEx(drive, 100 * kSectorSize, nullptr, FILE_BEGIN);
    EXPECT_TRUE(program.ReadFile(drive, sector.data(), kSectorSize, &done));
    return sector[0];
}

// What a request without data answers: 0, or the error it failed with.
DWORD Request(sim::SimPlatform& program, HANDLE drive, DWORD code) {
    DWORD returned = 0;
    const BOOL ok = program.DeviceIoControl(drive, code, nullptr, 0, nullptr, 0, &returned);
    return ok ? 0 : program.GetLastError();
}

// How a second copy meets the first one's mutex is the start-up tests'; here a mutex the machine
// file declares held is that machine's alone, and any other is the host's.
TEST_F(TwoPrograms, DeclaredMutexesAreTheirMachinesAloneAndDriveImagesAreShared) {
    sim::SimPlatform& first = Load(kMachine);
    // The other program: its own machine, with its images where the first's are.
    std::string error;
    auto machine = sim::ParseMachine(kMachineHoldingOther, "test", folder_, &error);
    ASSERT_TRUE(machine) << error;
    const auto second = sim::SimPlatform::Create(std::move(*machine), {folder_}, &error);
    ASSERT_TRUE(second) << error;
    const HANDLE other = first.CreateMutexW(0, L"Other");
    EXPECT_EQ(first.GetLastError(), ERROR_SUCCESS);
    first.CloseHandle(other);
    const HANDLE declared = second->CreateMutexW(0, L"Other");
    EXPECT_EQ(second->GetLastError(), ERROR_ALREADY_EXISTS);
    second->CloseHandle(declared);
    EXPECT_NE(second->OpenMutexW(MUTEX_ALL_ACCESS, 0, L"Other"), nullptr) << "held for the run";
    EXPECT_EQ(first.OpenMutexW(MUTEX_ALL_ACCESS, 0, L"Other"), nullptr);
    // Any other name is the host's: what the first holds, the second finds.
    const HANDLE running = first.CreateMutexW(0, L"OrvelTramsik");
    const HANDLE opened = second->OpenMutexW(MUTEX_ALL_ACCESS, 0, L"OrvelTramsik");
    EXPECT_NE(opened, nullptr);
    second->CloseHandle(opened);
    first.CloseHandle(running);

    // One writes a drive image at a time, and both read it.
    ASSERT_EQ(first.ImagePath(0), second->ImagePath(0));
    const HANDLE writer = OpenDrive(first, GENERIC_READ | GENERIC_WRITE);
    ASSERT_EQ(WriteSector(first, writer, 0x5C), 0u);

    // Opening for writing and reading stay open to the other program; what writes is refused
    // as for a drive in use, until the writer's handle is closed.
    const HANDLE waiting = OpenDrive(*second, GENERIC_READ | GENERIC_WRITE);
    ASSERT_NE(waiting, INVALID_HANDLE_VALUE);
    EXPECT_EQ(ReadSector(*second, waiting), 0x5C);
    EXPECT_EQ(WriteSector(*second, waiting, 0xA5), ERROR_ACCESS_DENIED);
    EXPECT_EQ(Request(*second, waiting, IOCTL_DISK_DELETE_DRIVE_LAYOUT), ERROR_ACCESS_DENIED);
    EXPECT_EQ(Request(*second, waiting, FSCTL_LOCK_VOLUME), ERROR_ACCESS_DENIED);
    EXPECT_EQ(ReadSector(first, writer), 0x5C) << "nothing of the refused writes arrived";

    first.CloseHandle(writer);
    EXPECT_EQ(Request(*second, waiting, FSCTL_LOCK_VOLUME), 0u);
    EXPECT_EQ(WriteSector(*second, waiting, 0xA5), 0u);
    const HANDLE reader = OpenDrive(first, GENERIC_READ | GENERIC_WRITE);
    EXPECT_EQ(ReadSector(first, reader), 0xA5);
    EXPECT_EQ(WriteSector(first, reader, 0x11), ERROR_ACCESS_DENIED) << "now the second writes";

    second->CloseHandle(waiting);
    EXPECT_EQ(WriteSector(first, reader, 0x11), 0u);
    first.CloseHandle(reader);
}

}  // namespace
