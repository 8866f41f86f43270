// Request bytes of the Silicon Image and CSMI routes, and how they treat the driver's answers.
#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <memory>
#include <vector>

#include "platform/csmi.h"
#include "tests/support/log_watch.h"
#include "tests/transport/route_fixture.h"
#include "transport/csmi.h"
#include "transport/silicon_image.h"

namespace {

using platform::BOOL;
using platform::DWORD;

constexpr DWORD kMiniport = 0x0004D008;
constexpr DWORD kPredictFailure = 0x002D1100;

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
    const ScriptedRequest& request = machine.requests[0];
    EXPECT_EQ(request.device, L"\\\\.\\Scsi1:");
    EXPECT_EQ(request.code, kMiniport);
    ASSERT_EQ(request.in.size(), 564u);
    EXPECT_EQ(request.outSize, 564u);
    EXPECT_EQ(Get32(request.in, 0), 28u);
    EXPECT_EQ(std::string(request.in.begin() + 4, request.in.begin() + 12), "CMD_IDE ");
    EXPECT_EQ(Get32(request.in, 12), 5u);
    EXPECT_EQ(Get32(request.in, 16), 0x00042008u);
    EXPECT_EQ(Get32(request.in, 20), 0xFFFFFFFFu);
    EXPECT_EQ(Get32(request.in, 24), 536u);
    EXPECT_EQ(Get32(request.in, 28), 0x00010002u);  // device 2, then 1
    for (size_t i = 32; i < 564; ++i)
        ASSERT_EQ(request.in[i], 0) << i;
    EXPECT_EQ(machine.openHandles, 0);
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
    EXPECT_EQ(machine.requests[0].device, L"\\\\.\\PhysicalDrive6");
    EXPECT_EQ(machine.requests[0].code, kPredictFailure);
    EXPECT_EQ(machine.requests[0].in, std::vector<uint8_t>(516, 0));
    EXPECT_EQ(machine.requests[0].outSize, 516u);

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
        {1, "CSMIALL"}, {10, "CSMIARY"}, {11, "CSMIARY"}, {20, "CSMISAS"}, {25, "CSMISAS"}};
    for (const auto& [code, signature] : codes) {
        std::vector<uint8_t> buffer(300, 0);
        ASSERT_TRUE(transport::CsmiRequest(port, code, buffer.data(), 300));
        const ScriptedRequest& request = machine.requests.back();
        EXPECT_EQ(request.device, L"\\\\.\\Scsi4:");
        EXPECT_EQ(request.code, kMiniport);
        EXPECT_EQ(request.in.size(), 300u);
        EXPECT_EQ(request.outSize, 300u);
        EXPECT_EQ(Get32(request.in, 0), 28u);
        EXPECT_EQ(std::memcmp(&request.in[4], signature, 8), 0) << code;  // with its zero byte
        EXPECT_EQ(Get32(request.in, 12), 60u);
        EXPECT_EQ(Get32(request.in, 16), code);
        EXPECT_EQ(Get32(request.in, 24), 272u);
    }
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
    Page identify{}, data{}, thresholds{};
    ASSERT_TRUE(route.IdentifyDevice(identify));
    ASSERT_TRUE(route.ReadSmartData(data));
    ASSERT_TRUE(route.ReadSmartThresholds(thresholds));
    ASSERT_TRUE(route.EnableSmartOperations());
    EXPECT_EQ(identify, answer);
    EXPECT_EQ(data, answer);
    EXPECT_EQ(thresholds, answer);
    EXPECT_EQ(log.Messages(), (std::vector<std::string>{
                                  "GetSmartAttributeCsmi", "FillSmartData", "GetSmartThresholdCsmi",
                                  "FillSmartThreshold", "ControlSmartStatusCsmi"}));

    struct Expected {
        uint8_t command, feature;
        uint32_t dataSize;
    };
    const Expected expected[] = {
        {0xEC, 0, 512}, {0xB0, 0xD0, 512}, {0xB0, 0xD1, 512}, {0xB0, 0xD8, 0}};
    ASSERT_EQ(machine.requests.size(), 4u);
    for (size_t i = 0; i < 4; ++i) {
        const std::vector<uint8_t>& in = machine.requests[i].in;
        EXPECT_EQ(machine.requests[i].device, L"\\\\.\\Scsi2:");
        ASSERT_EQ(in.size(), 168u + expected[i].dataSize);
        EXPECT_EQ(std::memcmp(&in[4], "CSMISAS", 8), 0);
        EXPECT_EQ(Get32(in, 12), 60u);
        EXPECT_EQ(Get32(in, 16), 25u);
        EXPECT_EQ(Get32(in, 24), in.size() - 28);
        EXPECT_EQ(in[28], 3);  // PHY
        EXPECT_EQ(in[29], 7);  // port
        EXPECT_EQ(in[30], 0);  // connection rate
        EXPECT_EQ(std::memcmp(&in[32], address, 8), 0);
        const bool smart = expected[i].command == 0xB0;
        const uint8_t fis[20] = {0x27,
                                 0x80,
                                 expected[i].command,
                                 expected[i].feature,
                                 0,
                                 uint8_t(smart ? 0x4F : 0),
                                 uint8_t(smart ? 0xC2 : 0),
                                 0xA0};
        EXPECT_EQ(std::memcmp(&in[44], fis, 20), 0) << "request " << i;
        EXPECT_EQ(Get32(in, 64), 0x11u);
        EXPECT_EQ(Get32(in, 68), expected[i].dataSize);
    }
    EXPECT_EQ(machine.openHandles, 0);
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
    EXPECT_EQ(machine.openHandles, 0);
}

}  // namespace
