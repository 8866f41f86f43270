#include "transport/scsi_miniport.h"

#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <memory>
#include <vector>

#include "tests/transport/route_fixture.h"

namespace {

using platform::BOOL;
using platform::DWORD;
using transport::ScsiMiniportRoute;

constexpr DWORD kMiniport = 0x0004D008;

// The 60 bytes the driver reads, as laid out on the wire.
std::vector<uint8_t> MiniportBytes(uint32_t code, uint8_t feature, uint8_t targetId) {
    std::vector<uint8_t> bytes(60, 0);
    Put32(bytes, 0, 28);
    std::memcpy(&bytes[4], "SCSIDISK", 8);
    Put32(bytes, 12, 2);
    Put32(bytes, 16, code);
    Put32(bytes, 24, 529);
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
                std::memset(out, 0, request.outSize);
                std::memcpy(out, request.in.data(), 28);
                std::memcpy(out + 44, answer.data(), 512);
                *returned = request.outSize;
                return 1;
            });
    }
    Page answer = Pattern(9);
};

TEST_F(ScsiMiniportTest, RequestsAreLaidOutByteForByte) {
    ScriptedPlatform& machine = Install();
    ScsiMiniportRoute route(2, 5);
    Page identify{}, data{}, thresholds{};
    ASSERT_TRUE(route.IdentifyDevice(identify));
    ASSERT_TRUE(route.ReadSmartData(data));
    ASSERT_TRUE(route.ReadSmartThresholds(thresholds));
    ASSERT_TRUE(route.EnableSmartOperations());
    const std::pair<uint32_t, uint8_t> expected[] = {
        {0x001B0501, 0}, {0x001B0502, 0xD0}, {0x001B0503, 0xD1}, {0x001B0504, 0xD8}};
    ASSERT_EQ(machine.requests.size(), 4u);
    for (size_t i = 0; i < 4; ++i) {
        const ScriptedRequest& request = machine.requests[i];
        EXPECT_EQ(request.device, L"\\\\.\\Scsi2:");
        EXPECT_EQ(request.code, kMiniport);
        EXPECT_EQ(request.in, MiniportBytes(expected[i].first, expected[i].second, 5))
            << "request " << i;
        EXPECT_EQ(request.outSize, 557u);
    }
    EXPECT_EQ(identify, answer);
    EXPECT_EQ(data, answer);
    EXPECT_EQ(thresholds, answer);
    EXPECT_EQ(machine.openHandles, 0);
}

TEST_F(ScsiMiniportTest, AnEmptyFirstByteFailsIdentifyAndThresholdsButNotTheData) {
    Install();
    answer[0] = 0;
    ScsiMiniportRoute route(0, 1);
    Page identify = Pattern(1), data = Pattern(2), thresholds = Pattern(3);
    EXPECT_FALSE(route.IdentifyDevice(identify));
    EXPECT_EQ(identify, Pattern(1));
    EXPECT_FALSE(route.ReadSmartThresholds(thresholds));
    EXPECT_EQ(thresholds, Pattern(3));
    EXPECT_TRUE(route.ReadSmartData(data));
    EXPECT_EQ(data, answer);
}

TEST_F(ScsiMiniportTest, AFailedCallOrPortIsNoAnswer) {
    ScriptedPlatform& machine = ScriptedRouteTest::Install(
        [](const ScriptedRequest&, uint8_t*, DWORD*) -> BOOL { return 0; });
    ScsiMiniportRoute route(3, 0);
    Page page = Pattern(4);
    EXPECT_FALSE(route.IdentifyDevice(page));
    EXPECT_FALSE(route.ReadSmartData(page));
    EXPECT_FALSE(route.EnableSmartOperations());
    EXPECT_EQ(page, Pattern(4));
    machine.missing.push_back(L"\\\\.\\Scsi3:");
    const size_t sent = machine.requests.size();
    EXPECT_FALSE(route.ReadSmartThresholds(page));
    EXPECT_EQ(machine.requests.size(), sent);
    EXPECT_EQ(machine.openHandles, 0);
}

}  // namespace
