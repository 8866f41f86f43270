// The on-disk partition tables (MBR and GPT) as they lie in a disk's first and last sectors,
// with the CRC-32 and the partition type identifiers they use. Shared by whoever reads or
// writes a table: the simulator that lays out new disk images and the migration code.
#pragma once

#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace platform {

// The tables are little-endian on disk; every build we make is little-endian too, so the
// fields below are read and written in place.
static_assert(std::endian::native == std::endian::little);

inline constexpr uint16_t kMbrBootSignature = 0xAA55;
inline constexpr uint8_t kMbrTypeProtectiveGpt = 0xEE;

#pragma pack(push, 1)
struct MbrPartitionEntry {
    uint8_t status;
    uint8_t firstChs[3];
    uint8_t type;
    uint8_t lastChs[3];
    uint32_t startingLba;
    uint32_t sectorCount;
};
static_assert(sizeof(MbrPartitionEntry) == 16);
static_assert(offsetof(MbrPartitionEntry, startingLba) == 8);

struct MasterBootRecord {
    uint8_t bootCode[440];
    uint32_t diskSignature;
    uint16_t reserved;
    MbrPartitionEntry partitions[4];
    uint16_t bootSignature;
};
static_assert(sizeof(MasterBootRecord) == 512);
static_assert(offsetof(MasterBootRecord, partitions) == 446);
static_assert(offsetof(MasterBootRecord, bootSignature) == 510);

using GuidBytes = std::array<uint8_t, 16>;

struct GptHeader {
    char signature[8];
    uint32_t revision;
    uint32_t headerSize;
    uint32_t headerCrc32;
    uint32_t reserved;
    uint64_t myLba;
    uint64_t alternateLba;
    uint64_t firstUsableLba;
    uint64_t lastUsableLba;
    GuidBytes diskGuid;
    uint64_t partitionEntryLba;
    uint32_t numberOfPartitionEntries;
    uint32_t sizeOfPartitionEntry;
    uint32_t partitionEntryArrayCrc32;
    uint8_t padding[420];
};
static_assert(sizeof(GptHeader) == 512);
static_assert(offsetof(GptHeader, myLba) == 24);
static_assert(offsetof(GptHeader, diskGuid) == 56);
static_assert(offsetof(GptHeader, partitionEntryLba) == 72);
static_assert(offsetof(GptHeader, partitionEntryArrayCrc32) == 88);

struct GptEntry {
    GuidBytes typeGuid;
    GuidBytes uniqueGuid;
    uint64_t startingLba;
    uint64_t endingLba;
    uint64_t attributes;
    char16_t name[36];
};
static_assert(sizeof(GptEntry) == 128);
static_assert(offsetof(GptEntry, startingLba) == 32);
static_assert(offsetof(GptEntry, name) == 56);
#pragma pack(pop)

inline constexpr char kGptSignature[8] = {'E', 'F', 'I', ' ', 'P', 'A', 'R', 'T'};
inline constexpr uint32_t kGptRevision = 0x00010000;
inline constexpr uint32_t kGptHeaderSize = 92;
inline constexpr uint32_t kGptEntryCount = 128;
// Header sector plus the 32 sectors of a 128-entry array.
inline constexpr uint64_t kGptReservedSectors = 33;

// The CRC-32 of the GPT standard (reflected 0xEDB88320, preset and final inversion). Chains:
// Crc32(Crc32(0, a), b) is the CRC of a followed by b.
uint32_t Crc32(uint32_t previous, std::span<const uint8_t> bytes);

// "C12A7328-F81F-11D2-BA4B-00A0C93EC93B" <-> the mixed-endian bytes stored on disk.
std::optional<GuidBytes> ParseGuid(std::string_view text);
std::string FormatGuid(const GuidBytes& guid);

// Partition types by the names machine files and tests use ("efi", "msr", "basic",
// "recovery", "linux").
struct GptTypeName {
    std::string_view name;
    std::string_view guid;
};
inline constexpr GptTypeName kGptTypes[] = {
    {"efi", "C12A7328-F81F-11D2-BA4B-00A0C93EC93B"},
    {"msr", "E3C9E316-0B5C-4DB8-817D-F92DF00215AE"},
    {"basic", "EBD0A0A2-B9E5-4433-87C0-68B6B72699C7"},
    {"recovery", "DE94BBA4-06D1-4D40-A16A-BFD50179D6AC"},
    {"linux", "0FC63DAF-8483-4772-8E79-3D69D8477DE4"},
};

}  // namespace platform
