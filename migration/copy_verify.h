// The proof of a migration's copy: the target read back after its table was rewritten and
// compared with the source, chunk by chunk, where the table the migration wrote stands in for
// the source's own table sectors.
#pragma once

#include <cstdint>

#include "migration/written_sectors.h"
#include "platform/win_types.h"

namespace migration {

// verifyCopy results.
inline constexpr int kVerifyDone = 0;
inline constexpr int kVerifySourceReadFailed = -1;
inline constexpr int kVerifyTargetReadFailed = -2;
inline constexpr int kVerifyDiffers = -3;
inline constexpr int kVerifyCancelled = -4;

// Compares sectors 0 to sectorCount − 1 of the target with the source's, except that sectors
// in `table` are compared with those bytes instead; then `table`'s sectors beyond the range
// (a GPT's backup at the target's end). Marks MigrationProgress as verifying and publishes its
// percent and remaining time; polls the cancel bit before each chunk. Logs the first sector
// that differs.
int verifyCopy(platform::HANDLE sourceHandle, platform::HANDLE targetHandle, uint64_t sectorCount,
               const WrittenSectors& table);

}  // namespace migration
