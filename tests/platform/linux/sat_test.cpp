#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "platform/ioctl.h"
#include "platform/linux/sat.h"

using namespace platform;
using namespace platform::linux_backend;

namespace {

using Cdb = std::array<uint8_t, 16>;

constexpr BYTE kIdentify[8] = {0, 0, 0, 0, 0, 0xA0, ATA_IDENTIFY_DEVICE, 0};
constexpr BYTE kSmartRead[8] = {SMART_READ_DATA, 1,    1,         SMART_CYL_LOW,
                                SMART_CYL_HIGH,  0xA0, ATA_SMART, 0};
constexpr BYTE kSmartEnable[8] = {SMART_ENABLE_OPERATIONS, 1,    1,         SMART_CYL_LOW,
                                  SMART_CYL_HIGH,          0xB0, ATA_SMART, 0};
constexpr BYTE kReturnStatus[8] = {SMART_RETURN_STATUS, 0,    0,         SMART_CYL_LOW,
                                   SMART_CYL_HIGH,      0xA0, ATA_SMART, 0};

// Descriptor sense (72h) holding an ATA status return descriptor with these registers.
std::vector<uint8_t> DescriptorSense(uint8_t error, uint8_t count, uint8_t lbaLow, uint8_t lbaMid,
                                     uint8_t lbaHigh, uint8_t device, uint8_t status) {
    return {0x72, 0x01, 0x00, 0x1D, 0, 0, 0, 14,  // recovered error, ATA
                                                  // information available
            0x09, 0x0C, 0x00, error, 0x00, count, 0x00, lbaLow, 0x00, lbaMid, 0x00, lbaHigh, device,
            status};
}

}  // namespace

TEST(AtaPassThrough, CdbCarriesTheTaskFileAndTheReplyItsRegisters) {
    // PIO data-in of one block, length in the count field, no check condition.
    EXPECT_EQ(AtaPassThroughCdb(kSmartRead, AtaProtocol::PioDataIn, 1, false),
              (Cdb{0x85, 0x08, 0x0E, 0, 0xD0, 0, 1, 0, 1, 0, 0x4F, 0, 0xC2, 0xA0, 0xB0, 0}));
    // Non-data with CK_COND: the registers come back; the count register goes as it was set.
    EXPECT_EQ(AtaPassThroughCdb(kSmartEnable, AtaProtocol::NonData, 0, true),
              (Cdb{0x85, 0x06, 0x20, 0, 0xD8, 0, 1, 0, 1, 0, 0x4F, 0, 0xC2, 0xB0, 0xB0, 0}));
    // A data-in request whose count register is 0 still names the blocks that move.
    EXPECT_EQ(AtaPassThroughCdb(kIdentify, AtaProtocol::PioDataIn, 2, false)[6], 2);

    // Decoding: the ATA registers in either sense format are the device's answer.
    // The usual answer to a non-data command with CK_COND: success with the registers.
    const auto good = DescriptorSense(0x00, 0x01, 0x01, 0x4F, 0xC2, 0xA0, 0x50);
    AtaReply reply = DecodeAtaReply(kReturnStatus, {0x02, 0, 0x08, good});
    EXPECT_EQ(reply.verdict, AtaVerdict::Completed);
    EXPECT_EQ(std::vector<BYTE>(reply.registers, reply.registers + 8),
              (std::vector<BYTE>{0x00, 0x01, 0x01, 0x4F, 0xC2, 0xA0, 0x50, 0x00}));

    // The error bit makes it the device's refusal (aborted command).
    const auto aborted = DescriptorSense(ATA_ERROR_ABRT, 0, 0, 0x4F, 0xC2, 0xA0, 0x51);
    reply = DecodeAtaReply(kReturnStatus, {0x02, 0, 0x08, aborted});
    EXPECT_EQ(reply.verdict, AtaVerdict::DeviceError);
    EXPECT_EQ(reply.registers[kAtaError], ATA_ERROR_ABRT);

    // Other descriptors before the ATA one are stepped over.
    std::vector<uint8_t> mixed = {0x72, 0x01, 0x00, 0x1D, 0, 0, 0, 26, 0x00, 0x0A,
                                  0x80, 0,    0,    0,    0, 0, 0, 0,  0,    0};
    const auto ata = DescriptorSense(0, 0, 0, 0x4F, 0xC2, 0xA0, 0x50);
    mixed.insert(mixed.end(), ata.begin() + 8, ata.end());
    reply = DecodeAtaReply(kReturnStatus, {0x02, 0, 0x08, mixed});
    EXPECT_EQ(reply.verdict, AtaVerdict::Completed);
    EXPECT_EQ(reply.registers[kAtaStatus], 0x50);

    // Fixed sense with "ATA pass-through information available": error, status, device and
    // count in the information field, the LBA bytes in the command-specific field.
    const std::vector<uint8_t> fixed = {0x70, 0,    0x01, 0x00, 0x50, 0xA0, 0x01,
                                        10,   0x00, 0x01, 0x4F, 0xC2, 0x00, 0x1D};
    reply = DecodeAtaReply(kReturnStatus, {0x02, 0, 0x08, fixed});
    EXPECT_EQ(reply.verdict, AtaVerdict::Completed);
    EXPECT_EQ(std::vector<BYTE>(reply.registers, reply.registers + 7),
              (std::vector<BYTE>{0x00, 0x01, 0x01, 0x4F, 0xC2, 0xA0, 0x50}));

    // GOOD without sense: ready, no error, the other registers as sent.
    reply = DecodeAtaReply(kIdentify, {0x00, 0, 0, {}});
    EXPECT_EQ(reply.verdict, AtaVerdict::Completed);
    EXPECT_EQ(reply.registers[kAtaStatus], ATA_STATUS_DRDY | ATA_STATUS_DSC);
    EXPECT_EQ(reply.registers[kAtaDeviceHead], 0xA0);

    // A bridge that does not know the command: ILLEGAL REQUEST without ATA registers.
    const std::vector<uint8_t> illegal = {0x70, 0, 0x05, 0, 0, 0, 0, 10, 0, 0, 0, 0, 0x20, 0x00};
    EXPECT_EQ(DecodeAtaReply(kIdentify, {0x02, 0, 0x08, illegal}).verdict,
              AtaVerdict::NotDelivered);
    // A descriptor list that claims more than it holds is not read past its end.
    auto truncated = DescriptorSense(0, 0, 0, 0x4F, 0xC2, 0xA0, 0x50);
    truncated.resize(16);
    EXPECT_EQ(DecodeAtaReply(kReturnStatus, {0x02, 0, 0x08, truncated}).verdict,
              AtaVerdict::NotDelivered);
    // Timeouts and lost devices never count as an answer, whatever the sense says.
    EXPECT_EQ(DecodeAtaReply(kReturnStatus, {0x02, 0x03, 0x08, ata}).verdict,
              AtaVerdict::NotDelivered);
    EXPECT_EQ(DecodeAtaReply(kReturnStatus, {0x00, 0, 0x06, {}}).verdict, AtaVerdict::NotDelivered);
}
