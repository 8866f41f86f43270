#include "disk/drive_record.h"

#include <algorithm>

namespace disk {

void DriveList::Clear() {
    // Every slot goes back to a fresh record, so nothing of an earlier inventory can leak into
    // a later one through a slot that is reused.
    records_.fill(DriveRecord{});
    spare_.fill(DriveRecord{});
    count_ = 0;
}

bool DriveList::Append(const DriveRecord& record) {
    if (IsFull()) return false;
    records_[static_cast<size_t>(count_++)] = record;
    return true;
}

bool DriveList::RemoveAt(int32_t index) {
    if (index < 0 || index >= count_) return false;
    const auto first = records_.begin() + index;
    std::move(first + 1, records_.begin() + count_, first);
    records_[static_cast<size_t>(--count_)] = DriveRecord{};
    return true;
}

}  // namespace disk
