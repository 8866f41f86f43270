#include "disk/drive_order.h"

#include <algorithm>
#include <utility>

void SortDriveList(DriveList& drives) {
    const auto key = [](const DriveRecord& record) {
        const int port = record.PhysicalDriveId == -1 ? record.CsmiPortData[kCsmiSortByte] : 0;
        return std::pair(record.PhysicalDriveId, port);
    };
    std::ranges::stable_sort(drives.Records(), {}, key);
}
