// The human-readable output of the command line: the drive list, a drive's S.M.A.R.T. table and
// the whole report, as text for a terminal in the current interface language. Control
// characters in the drives' texts come out as U+FFFD.
#pragma once

#include <cstdint>
#include <string>

#include "cli/machine_facts.h"
#include "disk/attribute_names.h"
#include "disk/drive_record.h"

namespace cli {

// A size held in MiB as the pages show it: "%.1f GB" of the size / 1024.
std::wstring SizeText(double sizeMb);

// An interface text used as a label: the window's trailing " :" or ": " removed, since the
// command line lines labels up and adds its own colon.
std::wstring LabelText(int row);

// "Drive N  <model>" and a line feed; N is "-" for a drive without a physical drive number.
std::wstring DriveTitle(const disk::DriveRecord& drive);

// The record with this physical drive number, or nullptr.
const disk::DriveRecord* FindDrive(const disk::DriveList& drives, int32_t physicalDrive);

// A header line and one line per drive: physical drive, model, size, interface, route tag.
std::wstring ListText(const disk::DriveList& drives);

// A title line naming the drive, then its S.M.A.R.T. rows under the page's column headers.
std::wstring SmartText(const disk::DriveRecord& drive, const disk::AttributeNameTables& names);

// The machine facts, the drive list, and for every drive its identity and S.M.A.R.T. table.
std::wstring ReportText(const MachineFacts& facts, const disk::DriveList& drives,
                        const disk::AttributeNameTables& names);

}  // namespace cli
