// The routes against simulated devices: each answers only the requests its device understands.
#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "platform/csmi.h"
#include "platform/ioctl.h"
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

const char* const kBridgeRoutes[] = {"sat",      "sunplus", "io-data", "logitec1",
                                     "logitec2", "jmicron", "cypress"};

using RouteSimTest = SimTest;

TEST_F(RouteSimTest, EachEnclosureUnderstandsOnlyItsOwnBridgeChip) {
    Json drives = Json::array();
    for (int i = 0; i < 7; ++i) {
        Json drive = Drive(i, kBridgeRoutes[i], std::string("Bridge ") + kBridgeRoutes[i]);
        drive["usb"] = {{"vid", 0x1234}, {"pid", i}};
        drives.push_back(drive);
    }
    Load(Machine(drives));
    for (int drive = 0; drive < 7; ++drive) {
        for (int type = 4; type <= 10; ++type) {
            const bool own = type - 4 == drive;
            transport::UsbBridgeRoute route(type, drive, 0xA0);
            Page identify{}, data{}, thresholds{};
            EXPECT_EQ(route.IdentifyDevice(identify), own) << drive << " " << type;
            EXPECT_EQ(route.ReadSmartData(data), own) << drive << " " << type;
            EXPECT_EQ(route.ReadSmartThresholds(thresholds), own);
            if (own) {
                EXPECT_EQ(ModelOf(identify), std::string("Bridge ") + kBridgeRoutes[drive]);
                EXPECT_EQ(data[2], 5);  // the first attribute
                EXPECT_EQ(thresholds[2 + 12 * 2 + 1], 2);
                EXPECT_TRUE(route.EnableSmartOperations());
            } else {
                // A CDB of another chip gets no data back.
                EXPECT_EQ(identify, Page{});
                EXPECT_EQ(data, Page{});
            }
        }
    }
    // The second device answers only to its own select value.
    Json second = Drive(0, "sat", "Second Device");
    second["usb"] = {{"vid", 1}, {"pid", 1}};
    second["ata"] = {{"target", "0xB0"}};
    Load(Machine(Json::array({second})));
    Page identify{};
    EXPECT_FALSE(transport::UsbBridgeRoute(4, 0, 0xA0).IdentifyDevice(identify));
    EXPECT_TRUE(transport::UsbBridgeRoute(4, 0, 0xB0).IdentifyDevice(identify));
    EXPECT_EQ(ModelOf(identify), "Second Device");
}

TEST_F(RouteSimTest, MiniportAnswersForTheTargetIdsOfItsPort) {
    Json drive = Drive(nullptr, "scsi-miniport", "Miniport Disk");
    drive["scsi"] = {{"port", 1}, {"target", 2}};
    Load(Machine(Json::array({drive})));
    transport::ScsiMiniportRoute route(1, 2);
    Page identify{}, data{}, thresholds{};
    ASSERT_TRUE(route.IdentifyDevice(identify));
    EXPECT_EQ(ModelOf(identify), "Miniport Disk");
    ASSERT_TRUE(route.ReadSmartData(data));
    EXPECT_EQ(data[2], 5);
    ASSERT_TRUE(route.ReadSmartThresholds(thresholds));
    EXPECT_EQ(thresholds[2], 5);
    EXPECT_TRUE(route.EnableSmartOperations());
    // An empty target answers with zeros, which is no drive; another port does not open.
    Page empty = identify;
    EXPECT_FALSE(transport::ScsiMiniportRoute(1, 3).IdentifyDevice(empty));
    EXPECT_EQ(empty, identify);
    EXPECT_FALSE(transport::ScsiMiniportRoute(2, 2).IdentifyDevice(empty));
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
    // The name stays defined after the route is done with it.
    const platform::HANDLE left = platform::CreateFileW(
        L"\\\\.\\tempBusSil3112", platform::GENERIC_READ, 0, platform::OPEN_EXISTING, 0);
    EXPECT_NE(left, platform::INVALID_HANDLE_VALUE);
    platform::CloseHandle(left);
    // No driver goes by the 3512's own name.
    ASSERT_TRUE(platform::DefineDosDeviceW(platform::DDD_RAW_TARGET_PATH, L"tempBusSil3512",
                                           L"\\Device\\Scsi\\SI35121"));
    const platform::HANDLE wrong = platform::CreateFileW(
        L"\\\\.\\tempBusSil3512", platform::GENERIC_READ | platform::GENERIC_WRITE, 0,
        platform::OPEN_EXISTING, 0);
    platform::SI_IDENTIFY_REQUEST request{};
    request.header.HeaderLength = 28;
    std::memcpy(request.header.Signature, "CMD_IDE ", 8);
    request.header.ControlCode = 0x00042008;
    request.header.Length = 536;
    request.DeviceNumber = 1;
    request.One = 1;
    platform::DWORD returned = 0;
    EXPECT_FALSE(platform::DeviceIoControl(wrong, platform::IOCTL_SCSI_MINIPORT, &request,
                                           sizeof request, &request, sizeof request, &returned));
    platform::CloseHandle(wrong);
    // Another device number on the controller is not there.
    Page other{};
    EXPECT_FALSE(transport::SiliconImageRoute(Sil(3, 3512, 0, 0)).IdentifyDevice(other));

    Page data{}, thresholds{};
    ASSERT_TRUE(route.ReadSmartData(data));
    EXPECT_EQ(data[2], 5);
    ASSERT_TRUE(route.ReadSmartThresholds(thresholds));
    EXPECT_EQ(thresholds[2 + 12 * 2], 194);
    // Windows 2000 never gives the thresholds.
    transport::SiliconImageRoute old(Sil(3, 3512, 1, 0, L"SCSI\\DISK&VEN_SIL\\1", 5, 0));
    EXPECT_FALSE(old.ReadSmartThresholds(thresholds));
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
    Page untouched{};
    untouched[0] = 0x5A;
    const Page before = untouched;
    EXPECT_FALSE(transport::ReadSmartPageWmi(L"SCSI\\QUIET\\1", 10, false, untouched));
    EXPECT_FALSE(transport::ReadSmartPageWmi(L"", 10, false, untouched));
    EXPECT_FALSE(transport::WmiRoute(L"USBSTOR", 10).IdentifyDevice(untouched));
    EXPECT_FALSE(transport::WmiRoute(L"USBSTOR", 10).EnableSmartOperations());
    EXPECT_EQ(untouched, before);
}

// Drives on RAID port 0: two members of the RAID set and a spare.
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

TEST_F(RouteSimTest, CsmiDiscoveryWalksPhysAndKeepsRaidMembersInModeTwo) {
    // The byte of the SAS address that ties a RAID member to its PHY differs between them.
    Load(Machine(Json::array({CsmiDrive(0, 0x50000A0000000001, true, "Member A"),
                              CsmiDrive(1, 0x50000B0000000002, false, "Spare"),
                              CsmiDrive(2, 0x50000C0000000003, true, "Member B")})));
    LogWatch log;
    const auto all = Scan(0, transport::CsmiScope::AllPhys);
    ASSERT_EQ(all.size(), 3u);
    EXPECT_EQ(all[0].model, "Member A");
    EXPECT_EQ(all[1].model, "Spare");
    EXPECT_EQ(all[2].model, "Member B");
    EXPECT_EQ(std::ranges::count(log.Messages(), std::string("DoIdentifyDeviceCsmi")), 3);
    const auto members = Scan(0, transport::CsmiScope::RaidMembers);
    ASSERT_EQ(members.size(), 2u);
    EXPECT_EQ(members[0].model, "Member A");
    EXPECT_EQ(members[1].model, "Member B");

    // The PHY entry addresses the drive's later commands.
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
    // A port without a RAID driver finds nothing and says which request failed.
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
