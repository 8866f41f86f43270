#include "cli/drive_text.h"

#include <cwchar>
#include <iterator>
#include <string_view>
#include <utility>
#include <vector>

#include "app/pages/disk_info_page.h"
#include "app/pages/smart_rows.h"
#include "base/text_rows.h"
#include "base/ui_text.h"
#include "cli/cli_text.h"
#include "cli/info_command.h"
#include "cli/text_columns.h"

namespace cli {

using app::BuildSmartTable;
using app::GigabyteText;
using app::SmartRowTexts;
using app::SmartTable;

using disk::AttributeNameTables;
using disk::DriveList;
using disk::DriveRecord;

using namespace text_rows;

namespace {

constexpr Align kSmartAligns[] = {Align::Left,  Align::Left,  Align::Right, Align::Right,
                                  Align::Right, Align::Right, Align::Left};

std::wstring DriveNumber(const DriveRecord& drive) {
    return drive.Address.physicalDriveId >= 0 ? std::to_wstring(drive.Address.physicalDriveId)
                                              : L"-";
}

// "label : value" lines with the colons in one column.
std::wstring LabelledLines(const std::vector<std::pair<std::wstring, std::wstring>>& lines,
                           std::wstring_view indent) {
    std::vector<std::vector<std::wstring>> rows;
    for (const auto& [label, value] : lines)
        rows.push_back({std::wstring(indent) + label, L": " + value});
    return FormatColumns(rows);
}

std::wstring SmartRowsText(const DriveRecord& drive, const AttributeNameTables& names) {
    const SmartTable table = BuildSmartTable(drive, names);
    std::vector<std::vector<std::wstring>> rows;
    std::vector<std::wstring> header{L"ID"};
    for (int row = kSmartHeaderFirst; row < kSmartHeaderFirst + 6; ++row)
        header.push_back(GetUiText(row));
    rows.push_back(std::move(header));
    for (const SmartRowTexts& texts : table.Rows) {
        if (texts[0].empty()) continue;  // an empty slot of the page shows nothing
        rows.emplace_back(texts.begin(), texts.end());
    }
    if (rows.size() == 1) return CliText(CliWord::NoAttributes) + L"\n";
    return FormatColumns(rows, kSmartAligns);
}

// A USB enclosure's ids as "152D:0578", as device managers print them.
std::wstring UsbIdsText(const DriveRecord& drive) {
    wchar_t text[16];
    std::swprintf(text, std::size(text), L"%04X:%04X", drive.UsbVendorId & 0xFFFF,
                  drive.UsbProductId & 0xFFFF);
    return text;
}

// The system disk as "N  <model>", or "not determined".
std::wstring SystemDiskText(const migration::SystemDisk& systemDisk) {
    if (!systemDisk.Found()) return CliText(CliWord::NotDetermined);
    return std::to_wstring(systemDisk.physicalDriveId) + L"  " + systemDisk.model;
}

}  // namespace

std::wstring LabelText(int row) {
    std::wstring label = GetUiText(row);
    label.erase(label.find_last_not_of(L" :") + 1);
    return label;
}

std::wstring DriveTitle(const DriveRecord& drive) {
    return CliText(CliWord::Drive) + L" " + DriveNumber(drive) + L"  " + drive.Model + L"\n";
}

std::wstring SizeText(double sizeMb) {
    return GigabyteText(sizeMb);
}

const DriveRecord* FindDrive(const DriveList& drives, int32_t physicalDrive) {
    for (const DriveRecord& drive : drives.Records())
        if (drive.Address.physicalDriveId == physicalDrive) return &drive;
    return nullptr;
}

std::wstring ListText(const DriveList& drives) {
    std::vector<std::vector<std::wstring>> rows{
        {CliText(CliWord::Drive), CliText(CliWord::Model), CliText(CliWord::Size),
         CliText(CliWord::Interface), CliText(CliWord::Route)}};
    for (const DriveRecord& drive : drives.Records())
        rows.push_back({DriveNumber(drive), drive.Model, SizeText(drive.TotalDiskSize),
                        drive.Interface, drive.CommandTypeTag});
    constexpr Align kAligns[] = {Align::Right, Align::Left, Align::Right};
    return TerminalSafe(FormatColumns(rows, kAligns));
}

std::wstring SmartText(const DriveRecord& drive, const AttributeNameTables& names) {
    return TerminalSafe(DriveTitle(drive) + SmartRowsText(drive, names));
}

std::wstring ReportText(const MachineFacts& facts, const DriveList& drives,
                        const AttributeNameTables& names) {
    std::wstring text =
        LabelledLines({{LabelText(kOsVersionLabel), facts.OsName},
                       {LabelText(kAhciLabel), GetUiText(facts.AhciMode ? kAhciOn : kAhciOff)},
                       {CliText(CliWord::SystemDisk), SystemDiskText(facts.SystemDisk)}},
                      L"");
    text += L"\n" + ListText(drives);
    for (const DriveRecord& drive : drives.Records()) {
        text += L"\n" + DriveTitle(drive);
        std::vector<std::pair<std::wstring, std::wstring>> lines = {
            {LabelText(kSerialLabel), drive.SerialNumber},
            {LabelText(kFirmwareLabel), drive.FirmwareRev},
            {LabelText(kCapacityLabel), SizeText(drive.TotalDiskSize)},
            {LabelText(kInterfaceLabel), drive.Interface}};
        if (drive.UsbVendorId != 0 || drive.UsbProductId != 0)
            lines.push_back({CliText(CliWord::UsbIds), UsbIdsText(drive)});
        lines.insert(lines.end(),
                     {{LabelText(kTransferModeLabel),
                       drive.CurrentTransferMode + L" | " + drive.MaxTransferMode},
                      {LabelText(kDriveLetterLabel), drive.DriveLetters},
                      {LabelText(kFreeLabel), SizeText(drive.FreeSize)},
                      {LabelText(kUsedLabel), SizeText(drive.UsedSize)},
                      {LabelText(kUnallocatedLabel), SizeText(drive.UnallocatedSize)}});
        text += LabelledLines(lines, L"  ");
        text += VolumesText(drive, L"  ");
        text += SmartRowsText(drive, names);
    }
    return TerminalSafe(text);
}

}  // namespace cli
