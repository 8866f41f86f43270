// Where a drive is, as discovery knows it: what any route needs to address it. A drive's record
// keeps the address it was found at for every later command.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

namespace disk {

// A RAID drive's port description as its driver gives it; it addresses every command.
inline constexpr size_t kCsmiPortDataSize = 64;
using CsmiPortData = std::array<uint8_t, kCsmiPortDataSize>;

// Every field has a default, so that an address names only what discovery knows about a drive.
struct DriveAddress {
    int32_t physicalDriveId = -1;  // -1: found without a physical drive number
    int32_t scsiPort = -1;
    int32_t scsiTargetId = -1;
    int32_t scsiBus = -1;
    int32_t siliconImageType = 0;  // the chip number of a Silicon Image controller
    // The ATA device select value the route answered to (TARGET_FIRST_DEVICE or
    // TARGET_SECOND_DEVICE); 0 before one answered, and on the NVMe routes, which select none.
    uint8_t target = 0;
    CsmiPortData csmiPortData{};
    std::wstring pnpDeviceId{};  // upper-cased; empty outside the management pass
};

}  // namespace disk
