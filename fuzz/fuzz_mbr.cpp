// Arbitrary bytes as sector 0 of a disk, read as an MBR and, when that succeeds, written
// trimmed onto a blank target. A written MBR keeps its signature and drops no kept entry.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "fuzz_sim_drive.h"
#include "migration/mbr.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzDrives& drives = FuzzDrives::Instance();
    drives.Load(data, size);
    migration::MbrDiskContext source;
    if (migration::readMbr(source, drives.Source()) != migration::TableResult::kOk) return 0;
    if (source.systemEntryIndex > 3 || source.partitionCount > 4) __builtin_trap();
    if (migration::modifyMbr(source, drives.Target()) == migration::TableResult::kOk) {
        migration::MbrDiskContext written;
        if (migration::readMbr(written, drives.Target()) != migration::TableResult::kOk)
            __builtin_trap();
        const size_t kept = 446 + 16 * (source.systemEntryIndex + 1);
        if (std::memcmp(&written.mbr, &source.mbr, kept) != 0) __builtin_trap();
    }
    return 0;
}
