#include "transport/usb_bridge.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "tests/support/log_watch.h"
#include "tests/support/pass_through_bytes.h"
#include "tests/transport/route_fixture.h"

namespace {

using platform::BOOL;
using platform::DWORD;
using transport::UsbBridgeRoute;

constexpr DWORD kScsiPassThrough = 0x0004D004;

struct CdbRow {
    int32_t type;
    const char* identify;
    const char* read;  // the thresholds are read with D1 in place of D0
    const char* enable;
};

// Two bridges' CDBs as the chips document them, written out in full: a target byte inside the
// CDB and one with a vendor byte behind the command; the others come from the same table.
const CdbRow kRows[] = {
    {4, "A1 08 0E 00 01 00 00 00 T EC 00 00", "A1 08 0E D0 01 01 4F C2 T B0 00 00",
     "A1 06 0E D8 00 01 4F C2 T B0 00 00"},
    {7, "E0 00 00 00 00 00 00 T EC 4C", "E0 00 D0 00 00 4F C2 T B0 4C",
     "E0 00 D8 00 00 4F C2 T B0 4C"},
};

// What the route offers for a reply with data: the whole request.
constexpr DWORD kRequestSize = sizeof(platform::SCSI_PASS_THROUGH_WITH_BUFFERS);

class UsbBridgeTest : public ScriptedRouteTest {
  protected:
    // A bridge that answers every request with `answer` and `replyLength` bytes.
    ScriptedPlatform& Install() {
        return ScriptedRouteTest::Install(
            [this](const ScriptedRequest& request, uint8_t* out, DWORD* returned) -> BOOL {
                std::memset(out, 0, request.outSize);
                std::memcpy(out, request.in.data(), request.in.size());
                const bool withData = request.outSize == kRequestSize;
                if (withData)
                    std::memcpy(out + platform::kScsiPassThroughDataOffset, answer.data(), 512);
                *returned = withData ? replyLength : request.outSize;
                return callSucceeds;
            });
    }

    Page answer = Pattern(7);
    DWORD replyLength = kBridgeReplySize;
    BOOL callSucceeds = 1;
};

// The whole request goes out as laid out here, so the CDB is checked byte for byte with its
// length and the zeros behind it, for both targets.
TEST_F(UsbBridgeTest, RequestsAreLaidOutByteForByteForEveryBridge) {
    for (const CdbRow& row : kRows) {
        for (const uint8_t target : {uint8_t{0xA0}, uint8_t{0xB0}}) {
            SCOPED_TRACE(testing::Message() << "type " << row.type << " target " << +target);
            ScriptedPlatform& machine = Install();
            UsbBridgeRoute route(row.type, 4, target);
            LogWatch log;
            const Pages pages = ReadAll(route);
            ASSERT_EQ(machine.requests.size(), 4u);
            std::string thresholds = row.read;
            thresholds.replace(thresholds.find("D0"), 2, "D1");
            const std::pair<std::string, bool> expected[] = {
                {row.identify, true}, {row.read, true}, {thresholds, true}, {row.enable, false}};
            for (size_t i = 0; i < 4; ++i) {
                const ScriptedRequest& request = machine.requests[i];
                const std::vector<uint8_t> cdb = Hex(expected[i].first, target);
                EXPECT_EQ(request.device, L"\\\\.\\PhysicalDrive4");
                EXPECT_EQ(request.code, kScsiPassThrough);
                // The pass-through header alone, without its sense and data areas.
                EXPECT_EQ(request.in, BytesOf(BridgePassThrough(cdb, expected[i].second).spt))
                    << expected[i].first;
                EXPECT_EQ(request.outSize,
                          expected[i].second ? kRequestSize : platform::kScsiPassThroughDataOffset);
            }
            ExpectEveryPage(pages, answer);
            // Only IDENTIFY reports its success in the log; the text carries its own line end.
            EXPECT_EQ(log.Messages(), (std::vector<std::string>{"ok-----", ""}));
        }
    }
}

TEST_F(UsbBridgeTest, AShortReplyAMissingDriveOrAnUnknownTypeIsNoAnswer) {
    ScriptedPlatform& machine = Install();
    replyLength = kBridgeReplySize - 1;
    UsbBridgeRoute route(9, 1, 0xA0);
    Page identify = Pattern(1), data = Pattern(2), thresholds = Pattern(3);
    EXPECT_FALSE(route.IdentifyDevice(identify));
    // IDENTIFY has zeroed its buffer before asking; the SMART pages are left as they were.
    EXPECT_EQ(identify, Page{});
    EXPECT_FALSE(route.ReadSmartData(data));
    EXPECT_EQ(data, Pattern(2));
    EXPECT_FALSE(route.ReadSmartThresholds(thresholds));
    EXPECT_EQ(thresholds, Pattern(3));
    // The enable command carries no data: an answer without the data area is enough.
    EXPECT_TRUE(route.EnableSmartOperations());
    EXPECT_EQ(machine.requests.size(), 4u);

    callSucceeds = 0;
    replyLength = kBridgeReplySize;
    EXPECT_FALSE(route.ReadSmartData(data));
    EXPECT_FALSE(route.EnableSmartOperations());
    EXPECT_EQ(data, Pattern(2));

    // Nothing is sent without the drive or for an unknown type.
    machine.requests.clear();
    machine.missing.push_back(L"\\\\.\\PhysicalDrive2");
    identify = Pattern(5);
    EXPECT_FALSE(UsbBridgeRoute(4, 2, 0xA0).IdentifyDevice(identify));
    EXPECT_EQ(identify, Page{});
    EXPECT_FALSE(UsbBridgeRoute(11, 1, 0xA0).IdentifyDevice(identify));
    EXPECT_FALSE(UsbBridgeRoute(3, 1, 0xA0).EnableSmartOperations());
    EXPECT_TRUE(machine.requests.empty());
}

}  // namespace
