// `tramsik-cli info`: the Disk information page of one drive as text, and the page itself for
// the JSON report.
#pragma once

#include <string>
#include <string_view>

#include "app/pages/disk_info_page.h"
#include "disk/attribute_names.h"
#include "disk/drive_record.h"

namespace cli {

// The page of `drive`, its power-on texts taken from its S.M.A.R.T. rows as the window does.
app::DiskInfoPage DiskInfoPageOf(const disk::DriveRecord& drive,
                                 const disk::AttributeNameTables& names, bool ahciMode);

// The title line, every line of the page as the window shows it (a tooltip follows in
// parentheses), the usage bar and one line per volume.
std::wstring InfoText(const disk::DriveRecord& drive, const disk::AttributeNameTables& names,
                      bool ahciMode);

// One line per volume of `drive` under a header: letter, file system, capacity, used, free and
// used share; empty when the drive has no volume.
std::wstring VolumesText(const disk::DriveRecord& drive, std::wstring_view indent);

}  // namespace cli
