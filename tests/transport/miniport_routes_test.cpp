// Request bytes of the SCSI miniport, Silicon Image and CSMI routes, and how they treat the
// driver's answers.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "platform/csmi.h"
#include "tests/support/log_watch.h"
#include "tests/transport/route_fixture.h"
#include "transport/csmi.h"
#include "transport/scsi_miniport.h"
#include "transport/silicon_image.h"

namespace {

using platform::BOOL;
using platform::DWORD;
using transport::ScsiMiniportRoute;

constexpr DWORD kMiniport = 0x0004D008;
constexpr DWORD kPredictFailure = 0x002D1100;

// The 60 bytes the driver reads, as laid out on the wire.
std::vector<uint8_t> MiniportBytes(uint32_t code, uint8_t feature, uint8_t targetId) {
    std::vector<uint8_t> bytes = MiniportRequest("SCSIDISK", 2, code, 60);
    Put32(bytes, 24, 529);  // the length counts the data area the reply brings
    const bool identify = code == 0x001B0501;
    Put32(bytes, 28, identify ? 0 : 512);
    bytes[32] = feature;
    bytes[33] = identify ? 0 : 1;
    bytes[34] = identify ? 0 : 1;
    bytes[35] = identify ? 0 : 0x4F;
    bytes[36] = identify ? 0 : 0xC2;
    bytes[38] = identify ? 0xEC : 0xB0;
    bytes[40] = targetId;
    return bytes;
}

class ScsiMiniportTest : public ScriptedRouteTest {
  protected:
    ScriptedPlatform& Install() {
        return ScriptedRouteTest::Install(
            [this](const ScriptedRequest& request, uint8_t* out, DWORD* returned) -> BOOL {
                if (refuse) return 0;
                std::memset(out, 0, request.outSize);
                std::memcpy(out, request.in.data(), 28);
                std::memcpy(out + 44, answer.data(), 512);
                *returned = request.outSize;
                return 1;
            });
    }
    Page answer = Pattern(9);
    bool refuse = false;
};

TEST_F(ScsiMiniportTest, RequestsAreLaidOutByteForByteAndFailuresAreNoAnswer) {
    ScriptedPlatform& machine = Install();
    ScsiMiniportRoute route(2, 5);
    ExpectEveryPage(ReadAll(route), answer);
    const std::pair<uint32_t, uint8_t> expected[] = {
        {0x001B0501, 0}, {0x001B0502, 0xD0}, {0x001B0503, 0xD1}, {0x001B0504, 0xD8}};
    ASSERT_EQ(machine.requests.size(), 4u);
    ExpectEachSent(machine.requests, L"\\\\.\\Scsi2:", kMiniport, 557);
    for (size_t i = 0; i < 4; ++i)
        EXPECT_EQ(machine.requests[i].in, MiniportBytes(expected[i].first, expected[i].second, 5))
            << "request " << i;

    // An empty first byte fails IDENTIFY and the thresholds, which leave their pages, but not
    // the data.
    answer[0] = 0;
    Page identify = Pattern(1), data = Pattern(2), thresholds = Pattern(3);
    EXPECT_EQ(std::tuple(route.IdentifyDevice(identify), route.ReadSmartThresholds(thresholds),
                         route.ReadSmartData(data)),
              std::tuple(false, false, true));
    EXPECT_EQ(std::tuple(identify, thresholds, data), std::tuple(Pattern(1), Pattern(3), answer));

    // A failed call or a missing port is no answer either.
    refuse = true;
    ScsiMiniportRoute other(3, 0);
    Page page = Pattern(4);
    EXPECT_FALSE(other.IdentifyDevice(page));
    EXPECT_EQ(page, Pattern(4));
    machine.missing.push_back(L"\\\\.\\Scsi3:");
    const size_t sent = machine.requests.size();
    EXPECT_FALSE(other.ReadSmartThresholds(page));
    EXPECT_EQ(machine.requests.size(), sent);
}

using SiliconImageRouteTest = ScriptedRouteTest;
using CsmiRouteTest = ScriptedRouteTest;

TEST_F(SiliconImageRouteTest, IdentifyRequestAndItsAnswer) {
    const Page answer = Pattern(3);
    ScriptedPlatform& machine =
        Install([&](const ScriptedRequest& request, uint8_t* out, DWORD* returned) -> BOOL {
            std::memcpy(out, request.in.data(), request.in.size());
            std::memcpy(out + 52, answer.data(), 512);
            *returned = request.outSize;
            return 1;
        });
    transport::SiliconImageRoute route(Sil(1, 3112, 2, 0));
    Page identify{};
    ASSERT_TRUE(route.IdentifyDevice(identify));
    EXPECT_EQ(identify, answer);
    ASSERT_EQ(machine.requests.size(), 1u);
    ExpectEachSent(machine.requests, L"\\\\.\\Scsi1:", kMiniport, 564);
    std::vector<uint8_t> expected = MiniportRequest("CMD_IDE ", 5, 0x00042008, 564);
    Put32(expected, 20, 0xFFFFFFFF);  // the return code the driver overwrites
    Put32(expected, 28, 0x00010002);  // device 2, then 1
    EXPECT_EQ(machine.requests[0].in, expected);
}

TEST_F(SiliconImageRouteTest, SmartDataComesFromFailurePredictionAndThresholdsNeedWmi) {
    const Page page = Pattern(8);
    bool predictionWorks = true;
    ScriptedPlatform& machine =
        Install([&](const ScriptedRequest& request, uint8_t* out, DWORD* returned) -> BOOL {
            if (!predictionWorks) return 0;
            std::memset(out, 0, request.outSize);
            std::memcpy(out + 4, page.data(), 512);
            *returned = 516;
            return 1;
        });
    transport::SiliconImageRoute route(Sil(0, 3132, 0, 6, L"SCSI\\DISK&X", 5, 0));
    Page data{};
    ASSERT_TRUE(route.ReadSmartData(data));
    EXPECT_EQ(data, page);
    ASSERT_EQ(machine.requests.size(), 1u);
    ExpectEachSent(machine.requests, L"\\\\.\\PhysicalDrive6", kPredictFailure, 516);
    EXPECT_EQ(machine.requests[0].in, std::vector<uint8_t>(516, 0));

    // Without failure prediction the route turns to WMI, which this machine lacks.
    predictionWorks = false;
    Page untouched = Pattern(1);
    EXPECT_FALSE(route.ReadSmartData(untouched));
    EXPECT_EQ(untouched, Pattern(1));
    // Windows 2000 never has the thresholds; nothing is even asked.
    const size_t sent = machine.requests.size();
    EXPECT_FALSE(route.ReadSmartThresholds(untouched));
    EXPECT_EQ(machine.requests.size(), sent);
    EXPECT_FALSE(route.EnableSmartOperations());
}

TEST_F(CsmiRouteTest, RequestHeaderAndTheThreeErrorsThatMeanUnknown) {
    DWORD error = 0;
    ScriptedPlatform& machine = Install([&](const ScriptedRequest&, uint8_t*, DWORD*) -> BOOL {
        if (error == 0) return 1;
        platform::SetLastError(error);
        return 0;
    });
    const platform::HANDLE port = transport::OpenCsmi(4);
    ASSERT_NE(port, platform::INVALID_HANDLE_VALUE);
    const std::pair<DWORD, const char*> codes[] = {
        {1, "CSMIALL"}, {10, "CSMIARY"}, {25, "CSMISAS"}};
    for (const auto& [code, signature] : codes) {
        std::vector<uint8_t> buffer(300, 0);
        ASSERT_TRUE(transport::CsmiRequest(port, code, buffer.data(), 300));
        EXPECT_EQ(machine.requests.back().in, MiniportRequest(signature, 60, code, 300)) << code;
    }
    ExpectEachSent(machine.requests, L"\\\\.\\Scsi4:", kMiniport, 300);
    std::vector<uint8_t> buffer(202, 0);
    for (const DWORD unknown : {1u, 50u, 55u}) {
        error = unknown;
        EXPECT_FALSE(transport::CsmiRequest(port, 1, buffer.data(), 202)) << unknown;
    }
    // Any other refusal counts as an answer; the zeroed buffer then holds no data.
    for (const DWORD other : {5u, 87u, 1117u}) {
        error = other;
        EXPECT_TRUE(transport::CsmiRequest(port, 1, buffer.data(), 202)) << other;
    }
    platform::CloseHandle(port);
}

TEST_F(CsmiRouteTest, AtaCommandsTravelAsRegisterFises) {
    const Page answer = Pattern(6);
    ScriptedPlatform& machine =
        Install([&](const ScriptedRequest& request, uint8_t* out, DWORD* returned) -> BOOL {
            std::memcpy(out, request.in.data(), request.in.size());
            if (request.outSize >= 164 + 512) std::memcpy(out + 164, answer.data(), 512);
            *returned = request.outSize;
            return 1;
        });
    platform::CSMI_SAS_PHY_ENTITY entity{};
    entity.Identify.bPhyIdentifier = 3;
    entity.bPortIdentifier = 7;
    const uint8_t address[8] = {0x50, 0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07};
    std::memcpy(entity.Attached.bSASAddress, address, 8);
    transport::CsmiPhyEntry phy;
    std::memcpy(phy.data(), &entity, phy.size());

    transport::CsmiRoute route(2, phy);
    LogWatch log;
    ExpectEveryPage(ReadAll(route), answer);
    EXPECT_EQ(log.Messages(), (std::vector<std::string>{
                                  "GetSmartAttributeCsmi", "FillSmartData", "GetSmartThresholdCsmi",
                                  "FillSmartThreshold", "ControlSmartStatusCsmi"}));

    // PHY 3, port 7 and the SAS address, then the register FIS: command, feature, the SMART
    // signature in the cylinder registers, the device register; the flags and the data size.
    const std::pair<const char*, uint32_t> expected[] = {{"27 80 EC 00 00 00 00 A0", 512},
                                                         {"27 80 B0 D0 00 4F C2 A0", 512},
                                                         {"27 80 B0 D1 00 4F C2 A0", 512},
                                                         {"27 80 B0 D8 00 4F C2 A0", 0}};
    ASSERT_EQ(machine.requests.size(), 4u);
    for (size_t i = 0; i < 4; ++i) {
        const auto& [fis, dataSize] = expected[i];
        std::vector<uint8_t> bytes = MiniportRequest("CSMISAS", 60, 25, 168 + dataSize);
        bytes[28] = 3;
        bytes[29] = 7;
        std::copy(address, address + 8, bytes.begin() + 32);
        std::ranges::copy(Hex(fis), bytes.begin() + 44);
        Put32(bytes, 64, 0x11);
        Put32(bytes, 68, dataSize);
        EXPECT_EQ(machine.requests[i].device, L"\\\\.\\Scsi2:");
        EXPECT_EQ(machine.requests[i].in, bytes) << "request " << i;
    }
}

TEST_F(CsmiRouteTest, UnbelievableRaidCountsEndTheScanAtOnce) {
    // A driver whose RAID information is garbage: the set count, then the drives per set.
    uint32_t sets = 0xFFFFFFFF, perSet = 0;
    ScriptedPlatform& machine =
        Install([&](const ScriptedRequest& request, uint8_t* out, DWORD* returned) -> BOOL {
            std::memcpy(out, request.in.data(), request.in.size());
            if (Get32(request.in, 16) == 10) {
                std::memcpy(out + 28, &sets, 4);
                std::memcpy(out + 32, &perSet, 4);
            }
            *returned = request.outSize;
            return 1;
        });
    for (const auto& [claimedSets, claimedPerSet] :
         {std::pair<uint32_t, uint32_t>{0xFFFFFFFF, 0}, {2, 0x80000000}, {257, 1}}) {
        sets = claimedSets;
        perSet = claimedPerSet;
        machine.requests.clear();
        LogWatch log;
        int found = 0;
        transport::DoIdentifyDeviceCsmi(
            0, transport::CsmiScope::AllPhys,
            [&](transport::AtaBuffer, const transport::CsmiPhyEntry&) { ++found; });
        EXPECT_EQ(log.Messages(), std::vector<std::string>{"FAILED: CC_CSMI_SAS_GET_RAID_CONFIG"});
        EXPECT_EQ(machine.requests.size(), 2u) << claimedSets;
        EXPECT_EQ(found, 0);
    }
    // A plausible count is walked set by set; these sets hold no members and the PHY reply is
    // empty, so nothing is found.
    sets = 3;
    perSet = 4;
    machine.requests.clear();
    transport::DoIdentifyDeviceCsmi(
        0, transport::CsmiScope::RaidMembers,
        [&](transport::AtaBuffer, const transport::CsmiPhyEntry&) { FAIL(); });
    ASSERT_EQ(machine.requests.size(), 6u);
    EXPECT_EQ(machine.requests[2].in.size(), 28u + 172u + 136u * 12u);
    EXPECT_EQ(Get32(machine.requests[3].in, 28), 1u);  // uRaidSetIndex
}

}  // namespace
