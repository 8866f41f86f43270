#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <vector>

#include "tests/support/pass_through_bytes.h"
#include "tests/transport/route_fixture.h"
#include "transport/nvme_intel.h"
#include "transport/nvme_samsung.h"
#include "transport/nvme_storage_query.h"

namespace {

using platform::BOOL;
using platform::DWORD;
using Bytes = std::vector<uint8_t>;

constexpr DWORD kStorageQuery = 0x002D1400;
constexpr DWORD kScsiPassThrough = 0x0004D004;
constexpr DWORD kScsiMiniport = 0x0004D008;
constexpr DWORD kScsiGetAddress = 0x00041018;

// The storage-query request as laid out on the wire.
Bytes StorageQueryBytes(uint32_t dataType, uint32_t value, uint32_t subValue) {
    Bytes bytes(4144, 0);
    Put32(bytes, 0, 49);  // StorageAdapterProtocolSpecificProperty
    Put32(bytes, 8, 3);   // NVMe
    Put32(bytes, 12, dataType);
    Put32(bytes, 16, value);
    Put32(bytes, 20, subValue);
    Put32(bytes, 24, 40);
    Put32(bytes, 28, 4096);
    return bytes;
}

// The Intel miniport request with NVMe command dwords 0, 1 and 10.
Bytes IntelBytes(uint32_t opcode, uint32_t nameSpace, uint32_t dword10) {
    Bytes bytes = MiniportRequest("NvmeMini", 40, 0xE0002000, 4248);
    Put32(bytes, 52, opcode);
    Put32(bytes, 56, nameSpace);
    Put32(bytes, 92, dword10);
    Put32(bytes, 132, 2);  // device to host
    Put32(bytes, 140, 4096);
    Put32(bytes, 148, 4248);
    return bytes;
}

// One Samsung pass-through call: the header, the CDB and the data block sent.
Bytes SamsungBytes(uint8_t dataIn, std::array<uint8_t, 16> cdb, Bytes data) {
    return SamsungPassThrough(dataIn, cdb, data);
}

using NvmeRouteTest = ScriptedRouteTest;

TEST_F(NvmeRouteTest, StorageQueryAsksByteForByteAndCopiesTheReplyAreaWhateverTheResult) {
    const Page answer = Pattern(9);
    bool succeed = true;
    ScriptedPlatform& machine =
        Install([&](const ScriptedRequest& request, uint8_t* out, DWORD* returned) -> BOOL {
            std::memcpy(out, request.in.data(), request.in.size());
            if (!succeed) return 0;
            std::memcpy(out + 48, answer.data(), answer.size());
            *returned = request.outSize;
            return 1;
        });

    Page identify{}, log{};
    ASSERT_TRUE(transport::DoIdentifyDeviceNVMeStorageQuery(3, identify));
    ASSERT_TRUE(transport::GetSmartAttributeNVMeStorageQuery(3, log));
    EXPECT_EQ(identify, answer);
    EXPECT_EQ(log, answer);
    ASSERT_EQ(machine.requests.size(), 2u);
    ExpectEachSent(machine.requests, L"\\\\.\\PhysicalDrive3", kStorageQuery, 4144);
    EXPECT_EQ(machine.requests[0].in, StorageQueryBytes(1, 0, 0));
    EXPECT_EQ(machine.requests[1].in, StorageQueryBytes(2, 2, 0xFFFFFFFF));

    // A refused query still leaves its (zeroed) reply area in the page: no older data stays.
    succeed = false;
    identify.fill(0xEE);
    EXPECT_FALSE(transport::DoIdentifyDeviceNVMeStorageQuery(3, identify));
    EXPECT_EQ(identify, Page{});
    machine.missing = {L"\\\\.\\PhysicalDrive4"};
    log.fill(0xEE);
    EXPECT_FALSE(transport::GetSmartAttributeNVMeStorageQuery(4, log));
    EXPECT_EQ(log, Page{});
}

// A Samsung driver: the data-out call is echoed, the data-in call answers `answer` with
// `status`; `failAt` makes the call of that number (1 or 2) fail.
struct SamsungDrive {
    Page answer = Pattern(4);
    uint8_t status = 0;
    int failAt = 0;
    int calls = 0;

    ScriptedPlatform::Handler Handler() {
        return [this](const ScriptedRequest& request, uint8_t* out, DWORD* returned) -> BOOL {
            ++calls;
            std::memcpy(out, request.in.data(), request.in.size());
            if (calls == failAt) return 0;
            out[2] = status;
            const uint8_t operation = request.in[offsetof(platform::SCSI_PASS_THROUGH, Cdb)];
            if (operation == 0xA2 && status == 0)
                std::memcpy(out + platform::kNvmePassThroughDataOffset, answer.data(), 512);
            *returned = request.outSize;
            return 1;
        };
    }
};

TEST_F(NvmeRouteTest, SamsungReadsAreTwoCallsOnOneBufferAndEmptyOrBadAnswersFail) {
    SamsungDrive drive;
    ScriptedPlatform& machine = Install(drive.Handler());
    Page identify{}, log{};
    ASSERT_TRUE(transport::DoIdentifyDeviceNVMeSamsung(1, identify));
    ASSERT_TRUE(transport::GetSmartAttributeNVMeSamsung(1, log));
    EXPECT_EQ(identify, drive.answer);
    EXPECT_EQ(log, drive.answer);

    ASSERT_EQ(machine.requests.size(), 4u);
    ExpectEachSent(machine.requests, L"\\\\.\\PhysicalDrive1", kScsiPassThrough,
                   sizeof(platform::SCSI_PASS_THROUGH_NVME_BUFFERS));
    EXPECT_EQ(machine.requests[0].in,
              SamsungBytes(0, {0xB5, 0xFE, 0, 5, 0, 0, 0, 0, 0, 0x40}, {1}));
    EXPECT_EQ(machine.requests[1].in, SamsungBytes(1, {0xA2, 0xFE, 0, 5, 0, 0, 0, 0, 1}, {}));
    EXPECT_EQ(machine.requests[2].in, SamsungBytes(0, {0xB5, 0xFE, 0, 6, 0, 0, 0, 0, 0, 0x40},
                                                   {2, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF}));
    // Only byte 0 of the data area is cleared for the second call.
    EXPECT_EQ(machine.requests[3].in, SamsungBytes(1, {0xA2, 0xFE, 0, 6, 0, 0, 0, 0, 1},
                                                   {0, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF}));

    const Page before = Pattern(200);

    // 512 zero bytes: both calls succeed, yet there is nothing. Identify is zeroed first, the
    // health log is left as it was.
    drive.answer = Page{};
    identify = before;
    log = before;
    EXPECT_FALSE(transport::DoIdentifyDeviceNVMeSamsung(1, identify));
    EXPECT_EQ(identify, Page{});
    EXPECT_FALSE(transport::GetSmartAttributeNVMeSamsung(1, log));
    EXPECT_EQ(log, before);

    // A check condition leaves the data area holding the request; it is not an answer.
    drive.answer = Pattern(5);
    drive.status = 0x02;
    EXPECT_FALSE(transport::GetSmartAttributeNVMeSamsung(1, log));
    EXPECT_EQ(log, before);

    // A refused first call ends the read there.
    drive = {.failAt = 1};
    machine.requests.clear();
    EXPECT_FALSE(transport::GetSmartAttributeNVMeSamsung(1, log));
    EXPECT_EQ(machine.requests.size(), 1u);
    drive = {.failAt = 2};
    EXPECT_FALSE(transport::GetSmartAttributeNVMeSamsung(1, log));
    EXPECT_EQ(log, before);
    machine.missing = {L"\\\\.\\PhysicalDrive1"};
    EXPECT_FALSE(transport::DoIdentifyDeviceNVMeSamsung(1, identify));
}

// An Intel miniport on port `port`: the data buffer gets `answer`'s first `answerBytes` bytes.
struct IntelDrive {
    uint8_t port = 2;
    Page answer = Pattern(7);
    size_t answerBytes = 512;
    bool addressWorks = true;

    ScriptedPlatform::Handler Handler() {
        return [this](const ScriptedRequest& request, uint8_t* out, DWORD* returned) -> BOOL {
            if (request.code == kScsiGetAddress) {
                if (!addressWorks) return 0;
                const uint8_t address[8] = {8, 0, 0, 0, port, 0, 3, 0};
                std::memcpy(out, address, sizeof address);
                *returned = sizeof address;
                return 1;
            }
            std::memcpy(out, request.in.data(), request.in.size());
            std::memcpy(out + 152, answer.data(), answerBytes);
            *returned = request.outSize;
            return 1;
        };
    }
};

TEST_F(NvmeRouteTest, IntelRequestsGoToTheDrivesScsiPortAndEmptyAnswersFail) {
    IntelDrive drive;
    ScriptedPlatform& machine = Install(drive.Handler());
    Page identify{}, log{}, shortLog{};
    ASSERT_TRUE(transport::DoIdentifyDeviceNVMeIntel(5, identify));
    ASSERT_TRUE(transport::GetSmartAttributeNVMeIntel(5, log));
    ASSERT_TRUE(transport::GetSmartAttributeNVMeIntelShort(5, shortLog));
    EXPECT_EQ(identify, drive.answer);
    EXPECT_EQ(log, drive.answer);

    ASSERT_EQ(machine.requests.size(), 6u);
    const Bytes expected[] = {IntelBytes(0x06, 0, 1), IntelBytes(0x02, 0xFFFFFFFF, 0x007F0002),
                              IntelBytes(0x02, 0xFFFFFFFF, 0x00000002)};
    for (size_t i = 0; i < 3; ++i) {
        ExpectEachSent({machine.requests[2 * i]}, L"\\\\.\\PhysicalDrive5", kScsiGetAddress, 8);
        ExpectEachSent({machine.requests[2 * i + 1]}, L"\\\\.\\SCSI2:", kScsiMiniport, 4248);
        EXPECT_EQ(machine.requests[2 * i + 1].in, expected[i]) << i;
    }

    // One dword asked for, one returned: the 512 bytes are kept as they are.
    drive.answerBytes = 4;
    log = Pattern(100);
    ASSERT_TRUE(transport::GetSmartAttributeNVMeIntelShort(5, log));
    Page shortAnswer{};
    std::memcpy(shortAnswer.data(), drive.answer.data(), 4);
    EXPECT_EQ(log, shortAnswer);

    // Nothing but zeros is no answer; the page stays.
    drive.answer = Page{};
    const Page before = Pattern(50);
    identify = before;
    EXPECT_FALSE(transport::DoIdentifyDeviceNVMeIntel(5, identify));
    EXPECT_FALSE(transport::GetSmartAttributeNVMeIntel(5, log = before));
    EXPECT_EQ(identify, before);
    EXPECT_EQ(log, before);

    // A drive that does not tell its port is not reached through some other port.
    drive = {.addressWorks = false};
    machine.requests.clear();
    EXPECT_FALSE(transport::DoIdentifyDeviceNVMeIntel(5, identify));
    ASSERT_EQ(machine.requests.size(), 1u);
    EXPECT_EQ(machine.requests[0].code, kScsiGetAddress);
    drive.addressWorks = true;
    machine.missing = {L"\\\\.\\SCSI2:"};
    EXPECT_FALSE(transport::GetSmartAttributeNVMeIntel(5, log));
    EXPECT_EQ(identify, before);
}

}  // namespace
