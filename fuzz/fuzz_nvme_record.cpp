// Feeds arbitrary bytes through the NVMe record: the first 512 bytes are the Identify
// Controller data, the next 512 the health log (each zero-padded when shorter).
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "disk/add_disk_nvme.h"

using disk::AtaPage;
using disk::DriveRecord;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    AtaPage identify{};
    std::memcpy(identify.data(), data, std::min(size, identify.size()));
    DriveRecord record;
    StartNvmeRecord(identify, record);
    if (size > identify.size()) {
        const size_t logSize = std::min(size - identify.size(), record.SmartReadData.size());
        std::memcpy(record.SmartReadData.data(), data + identify.size(), logSize);
    }
    ApplyNvmeHealthLog(record);
    // Counters saturate instead of wrapping into the "unknown" range.
    if (record.AttributeCount != 15 || record.HostReads < 0 || record.HostWrites < 0 ||
        record.PowerOnHours < 0 || record.PowerOnCount < 0 || record.MajorVersion.empty())
        __builtin_trap();
    return 0;
}
