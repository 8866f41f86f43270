// The simulated bridge, miniport, Silicon Image and RAID drivers refuse malformed requests the
// way their drivers do, so a route that builds a wrong buffer fails.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/csmi.h"
#include "tests/platform/requests.h"
#include "tests/platform/sim_fixture.h"

namespace {

using namespace platform;

constexpr const char* kMachine = R"({"format": "tramsik-machine/1", "os": {"major": 10, "minor": 0},
  "drives": [
    {"physicalDrive": 0, "route": "sat", "usb": {"vid": 1, "pid": 2}, "size": 1048576,
     "identify": {"model": "Usb Disk"}, "smart": {"attributes": [{"id": 9, "raw": 5}]}},
    {"physicalDrive": null, "route": "scsi-miniport", "scsi": {"port": 1, "target": 0},
     "size": 1048576, "identify": {"model": "Port Disk"}},
    {"physicalDrive": null, "route": "csmi", "size": 1048576, "identify": {"model": "Raid Disk"},
     "csmi": {"port": 2, "phy": 1, "sasAddress": 4660, "raidMember": true}}]})";

// A SAT IDENTIFY in the pass-through request with its sense and data areas.
constexpr uint8_t kSatIdentify[12] = {0xA1, 0x08, 0x0E, 0, 1, 0, 0, 0, 0xA0, 0xEC};
constexpr DWORD kRequestSize = sizeof(SCSI_PASS_THROUGH_WITH_BUFFERS);
constexpr DWORD kHeaderSize = sizeof(SCSI_PASS_THROUGH);

HANDLE OpenPort(int port) {
    const std::wstring name = L"\\\\.\\Scsi" + std::to_wstring(port) + L":";
    return CreateFileW(name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, OPEN_EXISTING, 0);
}

using BridgeModels = SimTest;

TEST_F(BridgeModels, EachAnswersItsDialectAndRefusesBrokenRequests) {
    Load(kMachine);
    auto request = BytesOf(BridgePassThrough(kSatIdentify, true));
    auto answer =
        ControlOnDrive(0, IOCTL_SCSI_PASS_THROUGH, request, kHeaderSize, request, kRequestSize);
    ASSERT_TRUE(answer.ok);
    EXPECT_EQ(answer.returned, kBridgeReplySize);
    EXPECT_EQ(AtaText(&request[kScsiPassThroughDataOffset], 27, 20), "Usb Disk");

    // A data-in protocol without data is not the chip's command: CHECK CONDITION, no data.
    request = BytesOf(BridgePassThrough(kSatIdentify, false));
    answer =
        ControlOnDrive(0, IOCTL_SCSI_PASS_THROUGH, request, kHeaderSize, request, kRequestSize);
    ASSERT_TRUE(answer.ok);
    EXPECT_EQ(answer.returned, kScsiPassThroughDataOffset);
    EXPECT_EQ(request[2], SCSISTAT_CHECK_CONDITION);
    // Fixed sense: ILLEGAL REQUEST, invalid command operation code.
    const uint8_t* sense = &request[kScsiPassThroughSenseOffset];
    EXPECT_EQ(std::tuple(sense[0], sense[2], sense[12]), std::tuple(0x70, 0x05, 0x20));

    // Malformed requests are refused outright: a wrong length field, a data area that does not
    // fit the output, an input shorter than the header.
    for (const auto& [length, inSize, outSize] : {std::tuple{4, kHeaderSize, kRequestSize},
                                                  std::tuple{0, kHeaderSize, kBridgeReplySize - 1},
                                                  std::tuple{0, kHeaderSize - 4, kRequestSize}}) {
        request = BytesOf(BridgePassThrough(kSatIdentify, true));
        request[0] += length;
        EXPECT_EQ(
            ControlOnDrive(0, IOCTL_SCSI_PASS_THROUGH, request, inSize, request, outSize).error,
            ERROR_INVALID_PARAMETER)
            << length << " " << inSize << " " << outSize;
    }

    // The miniport and CSMI drivers refuse requests that do not fit.
    SRB_IO_SMART_REQUEST smart{};
    smart.header.HeaderLength = 28;
    std::memcpy(smart.header.Signature, "SCSIDISK", 8);
    smart.header.ControlCode = IOCTL_SCSI_MINIPORT_IDENTIFY;
    smart.header.Length = 529;
    smart.in.irDriveRegs.bCommandReg = ATA_IDENTIFY_DEVICE;
    HANDLE port = OpenPort(1);
    // The IDENTIFY request with byte `at` set to `value`, its reply in `outSize` bytes.
    const auto identify = [&](size_t at, uint8_t value, DWORD outSize) {
        request.assign(557, 0);
        std::memcpy(request.data(), &smart, sizeof smart);
        request[at] = value;
        return Control(port, IOCTL_SCSI_MINIPORT, request, 60, request, outSize).error;
    };
    ASSERT_EQ(identify(38, ATA_IDENTIFY_DEVICE, 557), 0u);
    EXPECT_EQ(AtaText(&request[44], 27, 20), "Port Disk");
    EXPECT_EQ(identify(38, ATA_SMART, 557), ERROR_INVALID_PARAMETER) << "with the SMART command";
    EXPECT_EQ(identify(38, ATA_IDENTIFY_DEVICE, 556), ERROR_INVALID_PARAMETER) << "a short reply";
    EXPECT_EQ(identify(16, 0x09, 557), ERROR_INVALID_FUNCTION) << "a code it does not know";
    CloseHandle(port);

    // The CSMI driver checks signatures and sizes.
    port = OpenPort(2);
    using Bytes = std::vector<std::pair<size_t, uint8_t>>;
    const auto ask = [&](DWORD code, const char* signature, DWORD size, DWORD length,
                         std::vector<uint8_t>* reply = nullptr, const Bytes& bytes = {}) {
        std::vector<uint8_t> buffer(size, 0);
        SRB_IO_CONTROL header{28, {}, 60, code, 0, length};
        std::memcpy(header.Signature, signature, 8);
        std::memcpy(buffer.data(), &header, sizeof header);
        for (const auto& [at, value] : bytes)
            buffer[at] = value;
        const Answer answer = Control(port, IOCTL_SCSI_MINIPORT, buffer, size, buffer, size);
        if (reply != nullptr) *reply = buffer;
        return answer.ok ? 0u : answer.error;
    };
    std::vector<uint8_t> reply;
    EXPECT_EQ(ask(CC_CSMI_SAS_GET_PHY_INFO, "CSMISAS", 2080, 2052, &reply), 0u);
    // PHYs 0 and 1; PHY 1's attached address ends 12 34.
    EXPECT_EQ(std::tuple(reply[28], reply[32 + 64 + 36 + 12 + 6], reply[32 + 64 + 36 + 12 + 7]),
              std::tuple(2, 0x12, 0x34));
    EXPECT_EQ(ask(CC_CSMI_SAS_GET_RAID_INFO, "CSMIARY", 128, 100, &reply), 0u);
    EXPECT_EQ(std::tuple(reply[28], reply[32]), std::tuple(1, 1)) << "one RAID set of one drive";
    EXPECT_EQ(ask(CC_CSMI_SAS_GET_RAID_CONFIG, "CSMIARY", 200, 172, &reply), 0u);
    EXPECT_EQ(std::string(reply.begin() + 64, reply.begin() + 73), "Raid Disk");
    // The wrong signature for the code, a short buffer, an unknown code.
    EXPECT_EQ(ask(CC_CSMI_SAS_GET_PHY_INFO, "CSMIALL", 2080, 2052), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(ask(CC_CSMI_SAS_GET_PHY_INFO, "CSMISAS", 2000, 1972), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(ask(CC_CSMI_SAS_GET_RAID_CONFIG, "CSMIARY", 199, 171), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(ask(2, "CSMIALL", 202, 174), ERROR_NOT_SUPPORTED);
    // An STP pass-through to a PHY without a drive.
    EXPECT_EQ(ask(CC_CSMI_SAS_STP_PASSTHRU, "CSMISAS", 168, 140), ERROR_INVALID_PARAMETER);
    // An STP IDENTIFY of 512 bytes to PHY 0, where nothing is attached, then to PHY 1's drive.
    Bytes stp = {{44, 0x27}, {45, 0x80}, {46, 0xEC}, {51, 0xA0}, {64, 0x11}, {69, 2}};
    EXPECT_EQ(ask(CC_CSMI_SAS_STP_PASSTHRU, "CSMISAS", 680, 652, &reply, stp), ERROR_DEV_NOT_EXIST);
    stp.insert(stp.end(), {{28, 1}, {38, 0x12}, {39, 0x34}});
    ASSERT_EQ(ask(CC_CSMI_SAS_STP_PASSTHRU, "CSMISAS", 680, 652, &reply, stp), 0u);
    EXPECT_EQ(AtaText(&reply[164], 27, 20), "Raid Disk");
    CloseHandle(port);
}

}  // namespace
