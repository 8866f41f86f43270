// The JSON report of `tramsik-cli report --json`: machine facts and every drive record with its
// S.M.A.R.T. attributes and page rows. Keys keep the record's names in lower camel case and
// appear in a fixed order, so two reports of one machine compare line by line.
#pragma once

#include <cstdint>
#include <nlohmann/json.hpp>

#include "cli/machine_facts.h"
#include "disk/attribute_names.h"
#include "disk/drive_record.h"

namespace cli {

inline constexpr const char* kReportFormat = "tramsik-report/1";

// One element of "drives": the record at position `index` of the list. `ahciMode` is the
// machine's, which the drive's Disk information page shows.
nlohmann::ordered_json DriveJson(const disk::DriveRecord& drive, int32_t index,
                                 const disk::AttributeNameTables& names, bool ahciMode = false);

// The whole report in the current interface language.
nlohmann::ordered_json ReportJson(const MachineFacts& facts, const disk::DriveList& drives,
                                  const disk::AttributeNameTables& names);

// The report as text: indented by two, with invalid text replaced rather than refused.
std::string ReportJsonText(const nlohmann::ordered_json& report);

}  // namespace cli
