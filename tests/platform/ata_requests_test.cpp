#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "requests.h"
#include "sim_fixture.h"

namespace {

using namespace platform;

constexpr size_t kAptData = kAtaPassThroughDataOffset;

using AtaRequests = SimTest;

// An ATA pass-through request (as AtaPassThrough) sent to `drive`, with the answer in it.
std::vector<uint8_t> Ata(int drive, uint8_t command, uint8_t feature, uint8_t target, uint32_t size,
                         bool smartRegisters = true) {
    auto apt = AtaPassThrough(command, feature, target, size, smartRegisters);
    EXPECT_TRUE(ControlOnDrive(drive, IOCTL_ATA_PASS_THROUGH, apt, kAptSize, apt, kAptSize).ok);
    return apt;
}

TEST_F(AtaRequests, PagesMalformedRequestsDeviceSelectAndCapabilities) {
    sim::SimPlatform& sim = LoadDemo();
    const sim::DriveSpec& drive = sim.machine().drives[0];
    for (const auto& [command, feature, page] :
         {std::tuple{uint8_t{0xEC}, uint8_t{0}, *drive.identify},
          std::tuple{uint8_t{0xB0}, uint8_t{0xD0}, drive.smart->data},
          std::tuple{uint8_t{0xB0}, uint8_t{0xD1}, drive.smart->thresholds}}) {
        auto apt = AtaPassThrough(command, feature, 0xA0, 512);
        const Answer answer =
            ControlOnDrive(0, IOCTL_ATA_PASS_THROUGH, apt, kAptSize, apt, kAptSize);
        ASSERT_TRUE(answer.ok) << answer.error;
        EXPECT_EQ(answer.returned, kAptSize);
        EXPECT_TRUE(std::equal(page.begin(), page.end(), apt.begin() + kAptData));
        // Status ready without error, and the page checksum in byte 511.
        EXPECT_EQ(std::tuple(apt[kAptRegisters + kAtaStatus], apt[kAptRegisters + kAtaError],
                             ByteSum(&apt[kAptData], 512)),
                  std::tuple(0x50, 0, 0));

        const bool smart = command == 0xB0;
        auto in = SmartRequest(command, feature, 0xA0, 512, smart ? 0x4F : 0, smart ? 0xC2 : 0);
        std::vector<uint8_t> out(528, 0xEE);
        const Answer read = ControlOnDrive(0, SMART_RCV_DRIVE_DATA, in, 33, out, 528);
        ASSERT_TRUE(read.ok) << read.error;
        // The size, the buffer size and the driver's error.
        EXPECT_EQ(std::tuple(read.returned, Read<uint32_t>(out.data()), out[4]),
                  std::tuple(528u, 512u, 0));
        EXPECT_TRUE(std::equal(page.begin(), page.end(), out.begin() + 16));
    }

    const auto refused = [](std::vector<uint8_t> in, DWORD inSize, DWORD outSize, DWORD code) {
        std::vector<uint8_t> out(std::max<DWORD>(outSize, 1), 0xEE);
        const Answer answer = ControlOnDrive(0, code, in, inSize, out, outSize);
        EXPECT_FALSE(answer.ok);
        // A refused request leaves the caller's buffer alone.
        EXPECT_TRUE(std::all_of(out.begin(), out.end(), [](uint8_t b) { return b == 0xEE; }));
        return answer.error;
    };

    // An ATA request with one byte changed.
    const auto ata = [](size_t at, uint8_t value) {
        auto request = AtaPassThrough(0xEC, 0, 0xA0, 512);
        request[at] = value;
        return request;
    };
    const auto smart = SmartRequest;
    const DWORD kAptHeader = sizeof(ATA_PASS_THROUGH_EX), kApt = IOCTL_ATA_PASS_THROUGH;
    const DWORD kRead = SMART_RCV_DRIVE_DATA, kSend = SMART_SEND_DRIVE_COMMAND;
    const struct {
        const char* why;
        std::vector<uint8_t> in;
        DWORD inSize, outSize, code, error;
    } rows[] = {
        {"wrong length", ata(0, kAptHeader + 8), kAptSize, kAptSize, kApt, ERROR_INVALID_PARAMETER},
        {"data overlaps the header", ata(offsetof(ATA_PASS_THROUGH_EX, DataBufferOffset), 20),
         kAptSize, kAptSize, kApt, ERROR_INVALID_PARAMETER},
        {"data does not fit the output", ata(2, 2), kAptSize, kAptSize - 1, kApt,
         ERROR_INVALID_PARAMETER},
        {"no direction", ata(2, 0), kAptSize, kAptSize, kApt, ERROR_INVALID_PARAMETER},
        {"short header", ata(2, 2), kAptHeader - 1, kAptSize, kApt, ERROR_INVALID_PARAMETER},
        {"SMART without the 0x4F/0xC2 signature", smart(0xB0, 0xD0, 0xA0, 512, 0x00, 0xC2), 33, 528,
         kRead, ERROR_INVALID_PARAMETER},
        {"short output", smart(0xB0, 0xD0, 0xA0, 512, 0x4F, 0xC2), 33, 527, kRead,
         ERROR_INSUFFICIENT_BUFFER},
        {"short input", smart(0xEC, 0, 0xA0, 512, 0, 0), 31, 528, kRead, ERROR_INVALID_PARAMETER},
        {"the driver passes only IDENTIFY and the SMART reads", smart(0x25, 0, 0xA0, 512, 0, 0), 33,
         528, kRead, ERROR_INVALID_PARAMETER},
        {"READ DATA is not a send command", smart(0xB0, 0xD0, 0xA0, 512, 0x4F, 0xC2), 33, 528,
         kSend, ERROR_INVALID_PARAMETER},
        {"short send output", smart(0xB0, 0xD8, 0xA0, 0, 0x4F, 0xC2), 32, 15, kSend,
         ERROR_INSUFFICIENT_BUFFER},
    };
    for (const auto& row : rows)
        EXPECT_EQ(refused(row.in, row.inSize, row.outSize, row.code), row.error) << row.why;

    // The device itself aborts a pass-through SMART command without the signature: the call
    // goes through, the registers say error/abort and no data arrives.
    auto unsigned_ = Ata(0, 0xB0, 0xD0, 0xA0, 512, false);
    EXPECT_EQ(unsigned_[kAptRegisters + kAtaStatus] & ATA_STATUS_ERR, ATA_STATUS_ERR);
    EXPECT_EQ(unsigned_[kAptRegisters + kAtaError], ATA_ERROR_ABRT);
    EXPECT_TRUE(std::all_of(unsigned_.begin() + kAptData, unsigned_.end(),
                            [](uint8_t b) { return b == 0; }));

    // Who answers depends on the device select, the drive's capabilities and SMART enabling.
    LoadFile("platform/machines/ata_variants.json");
    // Drive 0 answers at 0xB0 and starts with SMART disabled.
    auto read = Ata(0, 0xB0, 0xD0, 0xB0, 512);
    EXPECT_EQ(read[kAptRegisters + kAtaStatus] & ATA_STATUS_ERR, ATA_STATUS_ERR);
    auto in = SmartRequest(0xB0, 0xD0, 0xB0, 512, 0x4F, 0xC2);
    std::vector<uint8_t> out(528);
    EXPECT_EQ(ControlOnDrive(0, SMART_RCV_DRIVE_DATA, in, 33, out, 528).error, ERROR_IO_DEVICE);

    auto enable = SmartRequest(0xB0, 0xD8, 0xB0, 0, 0x4F, 0xC2);
    std::vector<uint8_t> reply(16, 0xEE);
    const Answer enabled = ControlOnDrive(0, SMART_SEND_DRIVE_COMMAND, enable, 32, reply, 16);
    ASSERT_TRUE(enabled.ok) << enabled.error;
    EXPECT_EQ(enabled.returned, 16u);
    EXPECT_EQ(reply[4], 0);

    read = Ata(0, 0xB0, 0xD0, 0xB0, 512);
    EXPECT_EQ(read[kAptRegisters + kAtaStatus], 0x50);
    EXPECT_EQ(read[kAptData + 2], 5) << "first attribute id";
    EXPECT_TRUE(ControlOnDrive(0, SMART_RCV_DRIVE_DATA, in, 33, out, 528).ok);

    // Disabling through pass-through moves no data: flags 0, length 0.
    auto disable = AtaPassThrough(0xB0, 0xD9, 0xB0, 0);
    const Answer disabled =
        ControlOnDrive(0, IOCTL_ATA_PASS_THROUGH, disable, kAptData, disable, kAptData);
    ASSERT_TRUE(disabled.ok);
    EXPECT_EQ(disabled.returned, sizeof(ATA_PASS_THROUGH_EX));
    EXPECT_EQ(disable[kAptRegisters + kAtaStatus], 0x50);
    EXPECT_EQ(ControlOnDrive(0, SMART_RCV_DRIVE_DATA, in, 33, out, 528).error, ERROR_IO_DEVICE);

    // Drive 0 is the second device: at 0xA0 nobody answers.
    auto apt = Ata(0, 0xEC, 0, 0xA0, 512);
    EXPECT_EQ(apt[kAptRegisters + kAtaStatus], 0);
    EXPECT_EQ(apt[kAptData + 54], 0) << "no model: the transport falls back";
    in = SmartRequest(0xEC, 0, 0xA0, 512, 0, 0);
    EXPECT_EQ(ControlOnDrive(0, SMART_RCV_DRIVE_DATA, in, 33, out, 528).error, ERROR_IO_DEVICE);
    apt = Ata(0, 0xEC, 0, 0xB0, 512);
    EXPECT_EQ(AtaText(&apt[kAptData], 27, 20), "Second Device SSD");

    // Drive 1 has no pass-through, drive 2 no SMART control codes.
    apt = AtaPassThrough(0xEC, 0, 0xA0, 512);
    EXPECT_EQ(ControlOnDrive(1, IOCTL_ATA_PASS_THROUGH, apt, kAptSize, apt, kAptSize).error,
              ERROR_INVALID_FUNCTION);
    EXPECT_TRUE(ControlOnDrive(1, SMART_RCV_DRIVE_DATA, in, 33, out, 528).ok);
    EXPECT_EQ(AtaText(&out[16], 27, 20), "Smart Ioctl Only");
    // Drive 1's attribute 5 stands at 5 with threshold 10: RETURN STATUS says so.
    auto status = SmartRequest(0xB0, 0xDA, 0xA0, 0, 0x4F, 0xC2);
    ASSERT_TRUE(ControlOnDrive(1, SMART_SEND_DRIVE_COMMAND, status, 32, out, 24).ok);
    EXPECT_EQ(std::tuple(out[16 + 3], out[16 + 4]), std::tuple(0xF4, 0x2C));
    EXPECT_EQ(ControlOnDrive(1, SMART_SEND_DRIVE_COMMAND, status, 32, out, 16).error,
              ERROR_INSUFFICIENT_BUFFER);
    EXPECT_EQ(ControlOnDrive(2, SMART_RCV_DRIVE_DATA, in, 33, out, 528).error,
              ERROR_INVALID_FUNCTION);
    apt = Ata(2, 0xEC, 0, 0xA0, 512);
    EXPECT_EQ(apt[kAptData + 2 * 217] | apt[kAptData + 2 * 217 + 1] << 8, 7200) << "word override";
    EXPECT_EQ(ByteSum(&apt[kAptData], 512), 0) << "checksum made valid after the override";
    // Drive 2 has no SMART at all: the device aborts SMART commands.
    apt = Ata(2, 0xB0, 0xD0, 0xA0, 512);
    EXPECT_EQ(apt[kAptRegisters + kAtaError], ATA_ERROR_ABRT);

    const HANDLE readOnly = OpenDrive(2, GENERIC_READ);
    apt = AtaPassThrough(0xEC, 0, 0xA0, 512);
    EXPECT_EQ(Control(readOnly, IOCTL_ATA_PASS_THROUGH, apt, kAptSize, apt, kAptSize).error,
              ERROR_ACCESS_DENIED);
    CloseHandle(readOnly);
}

TEST_F(AtaRequests, RawHexPagesAreAnsweredAsGiven) {
    std::string identify(1024, '0'), data(1024, '0');
    identify.replace(54 * 2, 4, "5A41");  // "AZ" in ATA order at the model
    identify.replace(1020, 4, "BEEF");    // a checksum that does not add up stays as given
    data.replace(4, 2, "C2");
    Load(R"({"format": "tramsik-machine/1", "os": {"major": 10, "minor": 0},
             "drives": [{"physicalDrive": 0, "route": "ata", "size": 1048576,
                         "identify": {"hex": ")" +
         identify + R"("},
                         "smart": {"dataHex": ")" +
         data + R"(", "thresholdHex": ")" + std::string(1024, '1') + R"("}}]})");
    auto apt = Ata(0, 0xEC, 0, 0xA0, 512);
    EXPECT_EQ(AtaText(&apt[kAptData], 27, 1), "AZ");
    EXPECT_EQ(std::tuple(apt[kAptData + 510], apt[kAptData + 511]), std::tuple(0xBE, 0xEF));
    auto in = SmartRequest(0xB0, 0xD1, 0xA0, 512, 0x4F, 0xC2);
    std::vector<uint8_t> out(528);
    ASSERT_TRUE(ControlOnDrive(0, SMART_RCV_DRIVE_DATA, in, 33, out, 528).ok);
    EXPECT_EQ(out[16], 0x11);
    in = SmartRequest(0xB0, 0xD0, 0xA0, 512, 0x4F, 0xC2);
    ASSERT_TRUE(ControlOnDrive(0, SMART_RCV_DRIVE_DATA, in, 33, out, 528).ok);
    EXPECT_EQ(out[16 + 2], 0xC2);
}

}  // namespace
