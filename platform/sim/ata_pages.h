// The 512-byte pages an ATA drive answers with, built from the few facts a machine file
// gives: IDENTIFY DEVICE data and the SMART data and threshold pages.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "platform/sim/machine.h"

namespace platform::sim {

struct IdentifyFields {
    std::string model, serial, firmware;
    uint64_t sectors = 0;
    bool smart = true;
    bool lba48 = true;
    bool trim = true;
    bool ncq = true;
    // Highest ATA standard supported (word 80), SATA generation (words 76/77), UDMA mode.
    unsigned ataMajor = 8, sataGeneration = 3, udmaMode = 6;
    // 1 for a drive without rotating media; 0 when not reported.
    uint16_t rotationRate = 1;
    // Word 168: 3 for 2.5", 2 for 3.5", 0 when not reported.
    uint16_t formFactor = 3;
    // Single words set last, by word number.
    std::vector<std::pair<unsigned, uint16_t>> words;
};

// Strings in ATA order (two characters per word, the first in the high byte), blank-padded;
// the checksum byte is made valid unless word 255 is set explicitly.
Page BuildIdentify(const IdentifyFields& fields);

// Byte 510 = 0xA5 and byte 511 such that all 512 bytes sum to 0 modulo 256.
void SealIdentify(Page& page);

struct SmartAttributeSpec {
    uint8_t id = 0;
    uint16_t flags = 0;
    uint8_t current = 100, worst = 100;
    uint64_t raw = 0;
    uint8_t reserved = 0;
};

struct SmartThresholdSpec {
    uint8_t id = 0;
    uint8_t threshold = 0;
};

inline constexpr size_t kSmartSlots = 30;

// Revision 0x0010, up to 30 twelve-byte entries from offset 2, the usual capability bytes and a
// valid checksum in byte 511.
Page BuildSmartData(std::span<const SmartAttributeSpec> attributes);
Page BuildSmartThresholds(std::span<const SmartThresholdSpec> thresholds);

// Byte 511 such that the page sums to 0 modulo 256.
void SealSmartPage(Page& page);

}  // namespace platform::sim
