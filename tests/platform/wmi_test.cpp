#include <gtest/gtest.h>

#include "sim_fixture.h"
#include "wmi_query.h"

namespace {

using namespace platform;

using Wmi = SimTest;

// The associations from a drive to its controller and link are the inventory's tests on the
// same machines; here the objects a query gives.
TEST_F(Wmi, ObjectsCarryWhatTheQuerySelectsAndConnectionsMeetTheService) {
    LoadDemo();
    std::unique_ptr<WmiLocator> locator;
    ASSERT_EQ(CreateWbemLocator(&locator), S_OK);
    std::unique_ptr<WmiServices> services;
    ASSERT_EQ(
        locator->ConnectServer(L"\\\\.\\root\\cimv2", WBEM_FLAG_CONNECT_USE_MAX_WAIT, &services),
        S_OK);
    const auto disks = QueryAll(*services, L"SELECT * FROM Win32_DiskDrive");
    ASSERT_EQ(disks.size(), 4u);
    // Names compare without case; 64-bit counts come as text.
    EXPECT_EQ(Properties(disks[0], {L"Model", L"deviceid", L"Size"}),
              "Model=Orvel SSD S3 1GB; deviceid=\\\\.\\PHYSICALDRIVE0; Size=1069286400");
    WmiValue value;
    ASSERT_EQ(disks[2].Get(L"SCSIPort", &value), S_OK);
    EXPECT_EQ(std::get<int64_t>(value), 1);
    ASSERT_EQ(disks[0].Get(L"SerialNumber", &value), S_OK)
        << "a class property the machine leaves out";
    EXPECT_TRUE(std::holds_alternative<std::monostate>(value));
    EXPECT_EQ(disks[0].Get(L"NoSuchProperty", &value), WBEM_E_NOT_FOUND);
    EXPECT_EQ(Text(disks[3], L"InterfaceType"), L"USB");

    const auto ide = QueryAll(*services, L"select Name, DeviceID from Win32_IDEController");
    ASSERT_EQ(ide.size(), 1u);
    EXPECT_EQ(Text(ide[0], L"Name"), L"Standard SATA AHCI Controller");
    EXPECT_EQ(ide[0].Get(L"Status", &value), WBEM_E_NOT_FOUND) << "only the selected properties";

    // Where each connection step fails is the inventory's test, which starts the service before
    // it connects; here the connection meets the service as the machine leaves it: a disabled
    // one refuses, a stopped one is started.
    for (const auto& [winmgmt, result] :
         {std::pair{"disabled", WBEM_E_TRANSPORT_FAILURE}, std::pair{"startable", S_OK}}) {
        Load(std::string(R"({"format": "tramsik-machine/1", "drives": [],
                             "os": {"major": 10, "minor": 0, "winmgmt": ")") +
             winmgmt + R"("}})");
        ASSERT_EQ(CreateWbemLocator(&locator), S_OK);
        EXPECT_EQ(locator->ConnectServer(L"root\\cimv2", 0, &services), result) << winmgmt;
    }
}

}  // namespace
