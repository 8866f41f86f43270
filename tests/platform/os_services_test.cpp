#include <gtest/gtest.h>

#include "platform/win_constants.h"
#include "requests.h"
#include "sim_fixture.h"

namespace {

using namespace platform;

// An old system with a clock near its wrap and the management service disabled.
constexpr char kMachine[] = R"({"format": "tramsik-machine/1", "drives": [],
    "os": {"major": 5, "minor": 1, "versionInfoEx": false, "csdVersion": "Service Pack 3",
           "servicePackMajor": 3, "tickStart": 4294967000, "localTime": "2026-12-31T23:59:59",
           "winmgmt": "disabled"}})";

class OsServices : public SimTest {};

// The versions a record carries are read by the disk tests, the architecture and code page by
// the disk and window tests, how the service starts through the inventory's waits; here the
// sizes a record may have, the clock, the service manager's refusals and DOS devices.
TEST_F(OsServices, RecordSizesClockServiceRefusalsAndDosDevices) {
    sim::SimPlatform& sim = Load(kMachine);
    OSVERSIONINFOEXW record{};
    record.dwOSVersionInfoSize = 100;
    EXPECT_EQ(ErrorOf(GetVersionExW(&record)), ERROR_INVALID_PARAMETER);
    record.dwOSVersionInfoSize = kOsVersionInfoExSize;
    EXPECT_FALSE(GetVersionExW(&record)) << "an old system knows only the short record";
    record.dwOSVersionInfoSize = kOsVersionInfoSize;
    record.wServicePackMajor = 0xAAAA;
    ASSERT_TRUE(GetVersionExW(&record));
    EXPECT_EQ(std::tuple(record.dwMajorVersion, std::u16string(record.szCSDVersion)),
              std::tuple(5u, u"Service Pack 3"));
    EXPECT_EQ(record.wServicePackMajor, 0xAAAA) << "nothing is written past the short record";

    EXPECT_EQ(GetTickCount(), 4294967000u);
    Sleep(600);
    EXPECT_EQ(GetTickCount(), 304u) << "the tick count wraps as the real one does";
    EXPECT_DOUBLE_EQ(sim.VirtualMilliseconds(), 600);
    Sleep(400);
    const LocalTime now = GetLocalTime();
    EXPECT_EQ(std::tuple(now.year, now.month, now.day, now.hour, now.second),
              std::tuple(2027, 1, 1, 0, 0));
    int64_t count = 0, frequency = 0;
    ASSERT_TRUE(QueryPerformanceFrequency(&frequency));
    ASSERT_TRUE(QueryPerformanceCounter(&count));
    EXPECT_EQ(count / (frequency / 1000), 1000);

    const SC_HANDLE manager = OpenSCManagerW(nullptr, nullptr, GENERIC_EXECUTE);
    ASSERT_NE(manager, nullptr);
    EXPECT_EQ(OpenServiceW(manager, L"Spooler", SERVICE_QUERY_STATUS), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_SERVICE_DOES_NOT_EXIST);
    const SC_HANDLE queryOnly = OpenServiceW(manager, L"winmgmt", SERVICE_QUERY_STATUS);
    EXPECT_EQ(ErrorOf(StartServiceW(queryOnly, 0, nullptr)), ERROR_ACCESS_DENIED);
    const SC_HANDLE service =
        OpenServiceW(manager, L"Winmgmt", SERVICE_QUERY_STATUS | SERVICE_START);
    EXPECT_EQ(ErrorOf(StartServiceW(service, 0, nullptr)), ERROR_SERVICE_DISABLED);
    EXPECT_EQ(ShellExecuteW(nullptr, L"regedit", L"", nullptr, SW_HIDE), SE_ERR_FNF);
    for (const SC_HANDLE handle : {service, queryOnly, manager})
        EXPECT_TRUE(CloseServiceHandle(handle));
    EXPECT_FALSE(CloseServiceHandle(manager));

    // A DOS device names a device path until it is removed.
    const auto opens = [] {
        const HANDLE dos = CreateFileW(L"\\\\.\\tempBusSil3112", GENERIC_READ, 3, OPEN_EXISTING, 0);
        CloseHandle(dos);
        return dos != INVALID_HANDLE_VALUE;
    };
    ASSERT_TRUE(
        DefineDosDeviceW(DDD_RAW_TARGET_PATH, L"tempBusSil3112", L"\\Device\\Scsi\\SI31121"));
    EXPECT_TRUE(opens());
    ASSERT_TRUE(DefineDosDeviceW(2, L"tempBusSil3112", nullptr));
    EXPECT_FALSE(opens()) << "removed";
    EXPECT_EQ(CreateFileW(L"C:\\Windows\\notepad.exe", GENERIC_READ, 3, OPEN_EXISTING, 0),
              INVALID_HANDLE_VALUE);
}

}  // namespace
