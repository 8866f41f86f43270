// The S.M.A.R.T. page in the main window: the rows of "listview" and its header texts.
#pragma once

#include "app/pages/disk_info_page.h"
#include "disk/attribute_names.h"
#include "disk/drive_record.h"

namespace SkinUI {
class CPaintManagerUI;
}  // namespace SkinUI

namespace app {

// Rebuilds "listview" with one row of seven texts per attribute of `record` (no rows for null)
// and returns the power-on texts the Disk information page shows for the same drive (empty for
// null).
PowerOnTexts FillSmartList(SkinUI::CPaintManagerUI& manager, const disk::DriveRecord* record,
                           const disk::AttributeNameTables& names);

// The six named header items ("Description" to "Status") in the current language.
void SetSmartHeaderTexts(SkinUI::CPaintManagerUI& manager);

}  // namespace app
