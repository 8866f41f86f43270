// An NVMe drive's record: its identity from the Identify Controller data, and from its
// SMART / Health Information log the values ATA drives get from their attributes, plus fifteen
// rows in the shape of SMART attributes so that the S.M.A.R.T. page can list them.
#pragma once

#include <string>

#include "disk/drive_record.h"

namespace disk {

// The fresh record's NVMe values: SMART taken as supported and confirmed (the log has no
// thresholds to disagree with), an SSD, the identity strings, the interface and its version.
// `identify` is kept as the record's IdentifyDevice.
void StartNvmeRecord(const AtaPage& identify, DriveRecord& record);

// What record.SmartReadData, the health log, gives: temperature, spare, host reads and writes,
// power cycles and hours, the fifteen rows, and the NVMe key, vendor and code.
void ApplyNvmeHealthLog(DriveRecord& record);

// "NVM Express <major>.<minor>" from the version field, "NVM Express 1.0/1.1" for controllers
// from before the field was defined (major 0).
std::wstring NvmeVersionText(const AtaPage& identify);

}  // namespace disk
