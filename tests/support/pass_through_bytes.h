// The pass-through requests the routes send, as the bytes that travel. Their buffer offset is
// as wide as a pointer, so where a field lies depends on the build's target: the requests are
// laid out through the structures of platform/ioctl.h, which pin both layouts against the
// Windows headers, while every value in them is written out here.
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>
#include <vector>

#include "platform/ioctl.h"

// The first `size` bytes of a buffer that starts with `value`; zero after it.
template <typename T>
std::vector<uint8_t> BytesOf(const T& value, size_t size = sizeof(T)) {
    std::vector<uint8_t> bytes(size, 0);
    std::memcpy(bytes.data(), &value, std::min(size, sizeof(T)));
    return bytes;
}

// Where an ATA pass-through request holds its registers, and its length with one sector.
inline constexpr size_t kAptRegisters = offsetof(platform::ATA_PASS_THROUGH_EX, CurrentTaskFile);
inline constexpr platform::DWORD kAptSize = platform::kAtaPassThroughDataOffset + 512;

// An ATA command reading `dataSize` bytes, in a request with room for one sector, as the
// physical-drive route sends it; SMART commands carry 1/1/0x4F/0xC2 unless `smartRegisters`
// is false.
inline std::vector<uint8_t> AtaPassThrough(uint8_t command, uint8_t feature, uint8_t target,
                                           uint32_t dataSize, bool smartRegisters = true) {
    platform::ATA_PASS_THROUGH_EX_WITH_BUFFERS request{};
    request.apt.Length = sizeof request.apt;
    request.apt.AtaFlags = dataSize ? 2 : 0;
    request.apt.DataTransferLength = dataSize;
    request.apt.TimeOutValue = 2;
    request.apt.DataBufferOffset = platform::kAtaPassThroughDataOffset;
    const std::array<uint8_t, 7> registers =
        command == 0xB0 && smartRegisters
            ? std::array<uint8_t, 7>{feature, 1, 1, 0x4F, 0xC2, target, command}
            : std::array<uint8_t, 7>{feature, 0, 0, 0, 0, target, command};
    std::ranges::copy(registers, request.apt.CurrentTaskFile);
    if (dataSize) request.ucDataBuf[0] = 0xCF;
    return BytesOf(request, kAptSize);
}

// The length of a USB bridge's reply with data: up to the end of the data area.
inline constexpr platform::DWORD kBridgeReplySize = platform::kScsiPassThroughDataOffset + 512;

// A bridge command reading one sector or none, as the USB bridge routes send it.
inline platform::SCSI_PASS_THROUGH_WITH_BUFFERS BridgePassThrough(std::span<const uint8_t> cdb,
                                                                  bool withData) {
    platform::SCSI_PASS_THROUGH_WITH_BUFFERS request{};
    request.spt.Length = sizeof request.spt;
    request.spt.CdbLength = static_cast<uint8_t>(cdb.size());
    request.spt.SenseInfoLength = 24;
    request.spt.DataIn = 1;
    request.spt.DataTransferLength = withData ? 512 : 0;
    request.spt.TimeOutValue = 2;
    request.spt.DataBufferOffset = platform::kScsiPassThroughDataOffset;
    request.spt.SenseInfoOffset = platform::kScsiPassThroughSenseOffset;
    std::ranges::copy(cdb, request.spt.Cdb);
    return request;
}

// One call of the Samsung NVMe route: a 16-byte CDB and one 512-byte block going out
// (`dataIn` 0) or coming in (1).
inline std::vector<uint8_t> SamsungPassThrough(uint8_t dataIn, std::span<const uint8_t, 16> cdb,
                                               std::span<const uint8_t> data) {
    platform::SCSI_PASS_THROUGH_NVME_BUFFERS request{};
    request.spt.Length = sizeof request.spt;
    request.spt.CdbLength = 16;
    request.spt.SenseInfoLength = 24;
    request.spt.DataIn = dataIn;
    request.spt.DataTransferLength = 512;
    request.spt.TimeOutValue = 2;
    request.spt.DataBufferOffset = platform::kNvmePassThroughDataOffset;
    request.spt.SenseInfoOffset = platform::kNvmePassThroughSenseOffset;
    std::ranges::copy(cdb, request.spt.Cdb);
    std::ranges::copy(data, request.DataBuf);
    return BytesOf(request);
}
