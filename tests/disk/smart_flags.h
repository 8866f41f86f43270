// A record's three SMART flags at once, to compare with std::tuple(supported, data, thresholds).
#pragma once

#include <tuple>

#include "disk/drive_record.h"

inline std::tuple<bool, bool, bool> SmartFlags(const disk::DriveRecord& record) {
    return {record.SmartSupported, record.SmartDataValid, record.SmartThresholdValid};
}
