#include "disk/drive_order.h"

#include <algorithm>
#include <utility>

namespace disk {

void SortDriveList(DriveList& drives) {
    const auto key = [](const DriveRecord& record) {
        const DriveAddress& address = record.Address;
        const int port = address.physicalDriveId == -1 ? address.csmiPortData[kCsmiSortByte] : 0;
        return std::pair(address.physicalDriveId, port);
    };
    std::ranges::stable_sort(drives.Records(), {}, key);
}

}  // namespace disk
