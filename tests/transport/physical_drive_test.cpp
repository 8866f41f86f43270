#include "transport/physical_drive.h"

#include <gtest/gtest.h>

#include <cstring>

#include "platform/ioctl.h"
#include "tests/support/log_watch.h"
#include "tests/support/pass_through_bytes.h"
#include "tests/transport/route_fixture.h"

namespace {

using platform::BOOL;
using platform::DWORD;
using transport::PhysicalDriveRoute;

constexpr DWORD kPassThrough = 0x0004D02C;
constexpr DWORD kReceive = 0x0007C088;
constexpr DWORD kSend = 0x0007C084;

std::vector<uint8_t> SmartIoctlBytes(uint8_t command, uint8_t feature, uint8_t target,
                                     bool withData) {
    std::vector<uint8_t> bytes(withData ? 33 : 32, 0);
    bytes[1] = withData ? 2 : 0;  // cBufferSize 512 or 0
    bytes[4] = feature;
    bytes[5] = 1;
    bytes[6] = 1;
    if (command == 0xB0) bytes[7] = 0x4F, bytes[8] = 0xC2;
    bytes[9] = target;
    bytes[10] = command;
    return bytes;
}

// A drive answering every request fully with `answer` as its data.
class PhysicalDriveTest : public ScriptedRouteTest {
  protected:
    ScriptedPlatform& Install() {
        return ScriptedRouteTest::Install(
            [this](const ScriptedRequest& request, uint8_t* out, DWORD* returned) -> BOOL {
                if (request.code == kPassThrough) {
                    if (!passThroughWorks) return 0;
                    std::memcpy(out, request.in.data(), request.in.size());
                    if (request.outSize == kAptSize)
                        std::memcpy(out + platform::kAtaPassThroughDataOffset, answer.data(), 512);
                    *returned = request.outSize;
                    return 1;
                }
                if (request.code == kReceive) {
                    std::memset(out, 0, request.outSize);
                    std::memcpy(out + 16, answer.data(), 512);
                    *returned = receiveLength;
                    return 1;
                }
                *returned = request.outSize;
                return request.code == kSend;
            });
    }
    Page answer = Pattern(1);
    bool passThroughWorks = true;
    DWORD receiveLength = 528;
};

TEST_F(PhysicalDriveTest, RequestsAreLaidOutByteForByteOnBothPaths) {
    const struct {
        uint8_t command, feature;
        bool data;
    } expected[] = {{0xEC, 0, true}, {0xB0, 0xD0, true}, {0xB0, 0xD1, true}, {0xB0, 0xD8, false}};
    const struct {
        bool passThrough;
        int drive;
        uint8_t target;
    } paths[] = {{true, 3, 0xB0}, {false, 0, 0xA0}};
    for (const auto& path : paths) {
        SCOPED_TRACE(path.passThrough ? "pass-through" : "SMART control");
        ScriptedPlatform& machine = Install();
        PhysicalDriveRoute route(path.drive, path.target, path.passThrough);
        const Pages pages = ReadAll(route);
        ASSERT_EQ(machine.requests.size(), 4u);
        for (size_t i = 0; i < 4; ++i) {
            const ScriptedRequest& request = machine.requests[i];
            const auto& [command, feature, withData] = expected[i];
            EXPECT_EQ(request.device, L"\\\\.\\PhysicalDrive" + std::to_wstring(path.drive));
            if (path.passThrough) {
                EXPECT_EQ(request.code, kPassThrough);
                // Without data, only the header and its filler go out.
                std::vector<uint8_t> bytes =
                    AtaPassThrough(command, feature, path.target, withData ? 512 : 0);
                if (!withData) bytes.resize(platform::kAtaPassThroughDataOffset);
                EXPECT_EQ(request.in, bytes) << "request " << i;
                EXPECT_EQ(request.outSize, request.in.size());
            } else {
                EXPECT_EQ(request.code, withData ? kReceive : kSend);
                EXPECT_EQ(request.in, SmartIoctlBytes(command, feature, path.target, withData))
                    << "request " << i;
                EXPECT_EQ(request.outSize, withData ? 528u : 16u);
            }
        }
        ExpectEveryPage(pages, answer);
        EXPECT_EQ(machine.opened.size(), 4u);
    }
}

TEST_F(PhysicalDriveTest, FailuresFallBackToTheSmartIoctlOrLeaveThePage) {
    ScriptedPlatform& machine = Install();
    PhysicalDriveRoute route(1, 0xA0, true);

    // An IDENTIFY answer without a model counts as no answer.
    answer[54] = 0;
    Page identify{};
    LogWatch log;
    EXPECT_TRUE(route.IdentifyDevice(identify));
    ASSERT_EQ(machine.requests.size(), 2u);
    EXPECT_EQ(machine.requests[1].code, kReceive);
    EXPECT_EQ(log.Messages(),
              (std::vector<std::string>{"SendAtaCommandPd - IDENTIFY_DEVICE (ATA_PASS_THROUGH)",
                                        "SendAtaCommandPd - IDENTIFY_DEVICE"}));

    passThroughWorks = false;
    Page data{};
    LogWatch smartLog;
    EXPECT_TRUE(route.ReadSmartData(data));
    EXPECT_TRUE(route.EnableSmartOperations());
    EXPECT_EQ(smartLog.Messages(), (std::vector<std::string>{
                                       "SendAtaCommandPd - SMART_READ_DATA (ATA_PASS_THROUGH)",
                                       "SendAtaCommandPd - SMART_READ_DATA",
                                       "SendAtaCommandPd - SMART_CONTROL_STATUS (ATA_PASS_THROUGH)",
                                       "SendAtaCommandPd - SMART_CONTROL_STATUS"}));
    EXPECT_EQ(machine.requests.back().code, kSend);

    // Short replies and a missing drive fail without touching the page.
    route = PhysicalDriveRoute(2, 0xA0, false);
    receiveLength = 527;
    Page page = Pattern(99);
    const Page before = page;
    EXPECT_FALSE(route.ReadSmartData(page));
    EXPECT_FALSE(route.ReadSmartThresholds(page));
    EXPECT_EQ(page, before);
    // IDENTIFY clears its buffer before the driver is asked, so a failure never looks like data.
    EXPECT_FALSE(route.IdentifyDevice(page));
    EXPECT_EQ(page, Page{});

    machine.missing.push_back(L"\\\\.\\PhysicalDrive2");
    const size_t sent = machine.requests.size();
    page = before;
    LogWatch missingLog;
    EXPECT_FALSE(route.ReadSmartData(page));
    EXPECT_FALSE(route.EnableSmartOperations());
    EXPECT_EQ(page, before);
    EXPECT_EQ(machine.requests.size(), sent);
    // The driver-path line is written only once the drive is open; enable logs before opening.
    EXPECT_EQ(missingLog.Messages(),
              std::vector<std::string>{"SendAtaCommandPd - SMART_CONTROL_STATUS"});
}

}  // namespace
