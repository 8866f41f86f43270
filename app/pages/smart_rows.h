// The rows of the S.M.A.R.T. page as plain texts: id, name, current, worst, threshold, raw
// value and status of every attribute of a drive, and the power-on texts the disk
// information page takes from the same rows. The window and the command line both show
// these.
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <vector>

#include "disk/attribute_names.h"
#include "disk/drive_record.h"

namespace app {

inline constexpr size_t kSmartColumnCount = 7;
using SmartRowTexts = std::array<std::wstring, kSmartColumnCount>;

// Interface text rows of the status words.
inline constexpr int SMART_STATUS_OK = 62;
inline constexpr int SMART_STATUS_CAUTION = 63;
inline constexpr int SMART_STATUS_BAD = 64;
inline constexpr int SMART_STATUS_UNKNOWN = 65;

struct SmartTable {
    // One row per parsed attribute; a row of id 0 or 0xFF has all its texts empty.
    std::vector<SmartRowTexts> Rows;
    // The raw values of attributes 0x09 and 0x0C in decimal; empty without the attribute.
    std::wstring PowerOnTimeText;
    std::wstring PowerOnCountText;
};

// The table of a drive, with names in the current interface language.
SmartTable BuildSmartTable(const disk::DriveRecord& record, const disk::AttributeNameTables& names);

// The status of attribute row `row` (below record.AttributeCount) as one of the SMART_STATUS_
// text rows.
int SmartStatusOf(const disk::DriveRecord& record, size_t row);

}  // namespace app
