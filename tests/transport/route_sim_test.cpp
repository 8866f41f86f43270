// The routes against simulated devices where the simulator has rules of its own: commands
// without data, the Silicon Image driver names, the management instances, the CSMI PHY entries. The
// other routes meet their devices in the inventory tests.
#include <gtest/gtest.h>

#include <cstring>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "platform/csmi.h"
#include "platform/win_constants.h"
#include "tests/platform/sim_fixture.h"
#include "tests/support/log_watch.h"
#include "tests/transport/route_fixture.h"
#include "transport/csmi.h"
#include "transport/scsi_miniport.h"
#include "transport/silicon_image.h"
#include "transport/usb_bridge.h"
#include "transport/wmi_smart.h"

namespace {

using Json = nlohmann::json;

Json Drive(Json physicalDrive, const std::string& route, const std::string& model) {
    return {{"physicalDrive", std::move(physicalDrive)},
            {"route", route},
            {"size", "4MiB"},
            {"identify", {{"model", model}, {"serial", "S-" + model}, {"firmware", "F1"}}},
            {"smart",
             {{"attributes", Json::array({{{"id", 5}, {"raw", 0}, {"threshold", 10}},
                                          {{"id", 9}, {"raw", 321}},
                                          {{"id", 194}, {"raw", 33}, {"threshold", 2}}})}}}};
}

std::string Machine(Json drives) {
    return Json{{"format", "tramsik-machine/1"},
                {"os", {{"major", 10}, {"minor", 0}}},
                {"drives", std::move(drives)}}
        .dump();
}

// The model text of an IDENTIFY page (words 27-46, two characters per word, swapped).
std::string ModelOf(const Page& identify) {
    std::string text;
    for (size_t i = 54; i < 94; i += 2) {
        text += static_cast<char>(identify[i + 1]);
        text += static_cast<char>(identify[i]);
    }
    return text.substr(0, text.find_last_not_of(' ') + 1);
}

using RouteSimTest = SimTest;

// The enable command moves no data: every simulated bridge chip and the miniport take it so.
TEST_F(RouteSimTest, EnableReachesEveryBridgeAndTheMiniport) {
    const char* const bridges[] = {"sat",      "sunplus", "io-data", "logitec1",
                                   "logitec2", "jmicron", "cypress"};
    Json drives = Json::array();
    for (int i = 0; i < 7; ++i) {
        drives.push_back(Drive(i, bridges[i], bridges[i]));
        drives.back()["usb"] = {{"vid", 0x1234}, {"pid", i}};
    }
    drives.push_back(Drive(nullptr, "scsi-miniport", "Miniport Disk"));
    drives.back()["scsi"] = {{"port", 1}, {"target", 2}};
    Load(Machine(drives));
    for (int i = 0; i < 7; ++i)
        EXPECT_TRUE(transport::UsbBridgeRoute(4 + i, i, 0xA0).EnableSmartOperations())
            << bridges[i];
    EXPECT_TRUE(transport::ScsiMiniportRoute(1, 2).EnableSmartOperations());
}

TEST_F(RouteSimTest, SiliconImage3512IsOpenedThroughThe3112Driver) {
    Json drive = Drive(0, "silicon-image", "Sil Disk");
    drive["siliconImage"] = {{"chip", 3512}, {"device", 1}};
    drive["wmi"] = {{"PNPDeviceID", "SCSI\\DISK&VEN_SIL\\1"}, {"Model", "Sil Disk"}};
    Load(Machine(Json::array({drive})));

    transport::SiliconImageRoute route(Sil(3, 3512, 1, 0, L"SCSI\\DISK&VEN_SIL\\1"));
    Page identify{};
    ASSERT_TRUE(route.IdentifyDevice(identify));
    EXPECT_EQ(ModelOf(identify), "Sil Disk");
    // The route went through the 3112 driver's name, which stays defined after it is done.
    const platform::HANDLE left = platform::CreateFileW(
        L"\\\\.\\tempBusSil3112", platform::GENERIC_READ, 0, platform::OPEN_EXISTING, 0);
    EXPECT_NE(left, platform::INVALID_HANDLE_VALUE);
    platform::CloseHandle(left);
    // Another chip's driver, or another device number on the controller, is not there.
    Page other{};
    EXPECT_FALSE(transport::SiliconImageRoute(Sil(3, 3132, 1, 0)).IdentifyDevice(other));
    EXPECT_FALSE(transport::SiliconImageRoute(Sil(3, 3512, 0, 0)).IdentifyDevice(other));

    Page data{}, thresholds{};
    ASSERT_TRUE(route.ReadSmartData(data));
    EXPECT_EQ(data[2], 5);
    ASSERT_TRUE(route.ReadSmartThresholds(thresholds));
    EXPECT_EQ(thresholds[2 + 12 * 2], 194);
}

TEST_F(RouteSimTest, WmiMatchesInstanceNamesWhateverTheirCase) {
    Json drive = Drive(0, "wmi", "Wmi Disk");
    drive["wmi"] = {{"PNPDeviceID", "usbstor\\disk&ven_wmi&prod_disk\\7&1"}, {"Model", "Wmi Disk"}};
    Json quiet = Drive(1, "wmi", "Quiet Disk");
    quiet["wmi"] = {{"PNPDeviceID", "SCSI\\QUIET\\1"}};
    quiet["smart"]["wmi"] = false;
    Load(Machine(Json::array({drive, quiet})));
    Page data{}, thresholds{};
    ASSERT_TRUE(
        transport::ReadSmartPageWmi(L"USBSTOR\\DISK&VEN_WMI&PROD_DISK\\7&1", 10, false, data));
    EXPECT_EQ(data[2], 5);
    ASSERT_TRUE(transport::WmiRoute(L"USBSTOR\\DISK&VEN_WMI", 6).ReadSmartThresholds(thresholds));
    EXPECT_EQ(thresholds[3], 10);
    Page untouched = Pattern(0x5A);
    EXPECT_FALSE(transport::ReadSmartPageWmi(L"SCSI\\QUIET\\1", 10, false, untouched));
    EXPECT_FALSE(transport::ReadSmartPageWmi(L"", 10, false, untouched));
    EXPECT_FALSE(transport::WmiRoute(L"USBSTOR", 10).IdentifyDevice(untouched));
    EXPECT_FALSE(transport::WmiRoute(L"USBSTOR", 10).EnableSmartOperations());
    EXPECT_EQ(untouched, Pattern(0x5A));
}

Json CsmiDrive(int phy, uint64_t sasAddress, bool member, const std::string& model, int port = 0) {
    Json drive = Drive(nullptr, "csmi", model);
    drive["csmi"] = {
        {"port", port}, {"phy", phy}, {"sasAddress", sasAddress}, {"raidMember", member}};
    return drive;
}

struct Found {
    std::string model;
    transport::CsmiPhyEntry phy;
};

std::vector<Found> Scan(int port, transport::CsmiScope scope) {
    std::vector<Found> found;
    transport::DoIdentifyDeviceCsmi(
        port, scope, [&](transport::AtaBuffer identify, const transport::CsmiPhyEntry& phy) {
            Page page;
            std::copy(identify.begin(), identify.end(), page.begin());
            found.push_back({ModelOf(page), phy});
        });
    return found;
}

// Which drives a scan finds, and in what order, shows in the inventory; here, what the PHY
// entry it hands over addresses.
TEST_F(RouteSimTest, CsmiPhyEntryAddressesTheDriveItCameWith) {
    Load(Machine(Json::array({CsmiDrive(0, 0x50000A0000000001, true, "Member A"),
                              CsmiDrive(2, 0x50000C0000000003, true, "Member B")})));
    const auto members = Scan(0, transport::CsmiScope::RaidMembers);
    ASSERT_EQ(members.size(), 2u);
    platform::CSMI_SAS_PHY_ENTITY entity;
    std::memcpy(&entity, members[1].phy.data(), sizeof entity);
    EXPECT_EQ(entity.Identify.bPhyIdentifier, 2);
    EXPECT_EQ(entity.Attached.bSASAddress[7], 0x03);
    transport::CsmiRoute route(0, members[1].phy);
    Page data{}, thresholds{};
    ASSERT_TRUE(route.ReadSmartData(data));
    EXPECT_EQ(data[2], 5);
    ASSERT_TRUE(route.ReadSmartThresholds(thresholds));
    EXPECT_EQ(thresholds[3], 10);
    EXPECT_TRUE(route.EnableSmartOperations());
    // A port without a RAID driver finds nothing and says nothing.
    LogWatch none;
    EXPECT_TRUE(Scan(5, transport::CsmiScope::AllPhys).empty());
    EXPECT_TRUE(none.Messages().empty());
}

TEST_F(RouteSimTest, CsmiControllerWithMoreThan32PhysYieldsNoDrives) {
    Load(Machine(Json::array({CsmiDrive(0, 0x1000, true, "First", 1),
                              CsmiDrive(32, 0x2000, true, "Beyond", 1),
                              CsmiDrive(31, 0x3000, false, "Last", 2)})));
    EXPECT_TRUE(Scan(1, transport::CsmiScope::AllPhys).empty());
    // 32 PHYs are still walked.
    const auto last = Scan(2, transport::CsmiScope::AllPhys);
    ASSERT_EQ(last.size(), 1u);
    EXPECT_EQ(last[0].model, "Last");
}

}  // namespace
