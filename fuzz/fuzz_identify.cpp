// Feeds arbitrary bytes through the whole identification stage. The first 512 bytes are the
// IDENTIFY answer (zero-padded when shorter); two more, when present, choose the route and
// the target byte, so route values outside the known ones are tried too.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "disk/identify.h"

using disk::AtaPage;
using disk::DriveRecord;

namespace {

// The stage promises these of every record it calls usable; a breach is a crash to report.
void CheckUsable(const DriveRecord& record) {
    const bool geometryInRange = record.Cylinder >= 1 && record.Cylinder <= 16383 &&
                                 record.Head >= 1 && record.Head <= 16 && record.Sector >= 1 &&
                                 record.Sector <= 63;
    if (!geometryInRange || record.Model.empty() || record.FirmwareRev.empty() ||
        record.CommandTypeTag.empty() || record.Sector28 > 0x0FFFFFFF ||
        record.Sector48 > 0xFFFFFFFFFFFFull)
        __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    AtaPage page{};
    std::memcpy(page.data(), data, std::min(size, page.size()));
    const auto commandType = static_cast<disk::CommandType>(
        size > page.size() ? static_cast<int8_t>(data[page.size()]) : 1);
    const uint8_t target = size > page.size() + 1 ? data[page.size() + 1] : 0xA0;

    DriveRecord record;
    if (disk::IdentifyDrive(page, commandType, target, record) == disk::IdentifyOutcome::Usable)
        CheckUsable(record);
    return 0;
}
