#include <gtest/gtest.h>

#include <cstring>

#include "disk/os_version.h"
#include "tests/platform/sim_fixture.h"
#include "tests/support/log_watch.h"

namespace disk {

namespace {

using platform::OSVERSIONINFOEXW;

OSVERSIONINFOEXW Record(unsigned major, unsigned minor, const char16_t* csd = u"",
                        unsigned platformId = 2) {
    OSVERSIONINFOEXW record{};
    record.dwMajorVersion = major;
    record.dwMinorVersion = minor;
    record.dwPlatformId = platformId;
    std::memcpy(record.szCSDVersion, csd,
                std::char_traits<char16_t>::length(csd) * sizeof(char16_t));
    return record;
}

std::string Machine(const std::string& os) {
    return R"({"format": "tramsik-machine/1", "os": {)" + os + R"(}, "drives": []})";
}

class OsVersion : public SimTest {};

TEST_F(OsVersion, ServicePackNumberIsTheDigitsAfterThePrefix) {
    EXPECT_EQ(ServicePackNumber(Record(5, 1, u"Service Pack 3")), 3);
    EXPECT_EQ(ServicePackNumber(Record(5, 1, u"")), 0);
    EXPECT_EQ(ServicePackNumber(Record(5, 1, u"Service Pack 2, v.3244")), 2);
    EXPECT_EQ(ServicePackNumber(Record(5, 1, u"Service Pack ")), 0);
    EXPECT_EQ(ServicePackNumber(Record(5, 1, u"Update Rollup")), 0);
    EXPECT_EQ(ServicePackNumber(Record(5, 1, u"Service Pack 99999999999")), 2147483647)
        << "never past int";
}

TEST_F(OsVersion, TransportFlagsFollowTheVersion) {
    EXPECT_TRUE(AtaPassThroughAvailableFor(Record(6, 0)));
    EXPECT_TRUE(AtaPassThroughAvailableFor(Record(5, 2)));
    EXPECT_TRUE(AtaPassThroughAvailableFor(Record(5, 1, u"Service Pack 2")));
    EXPECT_FALSE(AtaPassThroughAvailableFor(Record(5, 1, u"Service Pack 1")));
    EXPECT_FALSE(AtaPassThroughAvailableFor(Record(5, 0, u"Service Pack 4")));
    EXPECT_TRUE(StorageQueryAvailableFor(Record(10, 0)));
    EXPECT_FALSE(StorageQueryAvailableFor(Record(6, 3)));
}

TEST_F(OsVersion, ReadOsVersionFallsBackToTheShortRecord) {
    Load(Machine(
        R"("major": 6, "minor": 1, "csdVersion": "Service Pack 1", "servicePackMajor": 1)"));
    OSVERSIONINFOEXW record;
    std::memset(&record, 0xCC, sizeof record);
    ReadOsVersion(&record);
    EXPECT_EQ(record.dwOSVersionInfoSize, platform::kOsVersionInfoExSize);
    EXPECT_EQ(record.dwMajorVersion, 6u);
    EXPECT_EQ(record.wServicePackMajor, 1);

    Load(Machine(
        R"("major": 5, "minor": 1, "csdVersion": "Service Pack 2", "versionInfoEx": false)"));
    std::memset(&record, 0xCC, sizeof record);
    ReadOsVersion(&record);
    EXPECT_EQ(record.dwOSVersionInfoSize, platform::kOsVersionInfoSize);
    EXPECT_EQ(record.dwMajorVersion, 5u);
    EXPECT_EQ(record.dwMinorVersion, 1u);
    EXPECT_EQ(record.wServicePackMajor, 0) << "zeroed before the calls";
    EXPECT_TRUE(AtaPassThroughAvailableFor(record));
}

TEST_F(OsVersion, OsNameIsTheWindowsNameAndTheProcessorWidth) {
    const struct {
        std::string os;
        std::wstring name;
    } cases[] = {
        {R"("major": 6, "minor": 1, "architecture": "amd64")", L"Windows 7 64"},
        {R"("major": 5, "minor": 1, "architecture": "x86")", L" 32"},
        {R"("major": 10, "minor": 0, "platformId": 1, "architecture": "x86")", L" 32"},
        // The Linux backend names the distribution where the service-pack text would be.
        {R"x("major": 10, "minor": 0, "csdVersion": "Debian GNU/Linux 12 (bookworm)",
            "architecture": "amd64")x",
         L"Debian GNU/Linux 12 (bookworm) 64"},
        {R"("major": 6, "minor": 1, "csdVersion": "Service Packs", "architecture": "amd64")",
         L"Windows 7 64"},
    };
    for (const auto& each : cases) {
        Load(Machine(each.os));
        OSVERSIONINFOEXW record;
        ReadOsVersion(&record);
        const LogWatch log;
        EXPECT_EQ(GetOsName(record), each.name) << each.os;
        const auto lines = log.Messages();
        ASSERT_FALSE(lines.empty());
        EXPECT_EQ(lines[0], "system version: major=" + std::to_string(record.dwMajorVersion) +
                                ", minor=" + std::to_string(record.dwMinorVersion));
    }
}

}  // namespace

}  // namespace disk
