#include "cli/info_command.h"

#include <vector>

#include "app/pages/smart_rows.h"
#include "base/text_rows.h"
#include "cli/drive_text.h"
#include "cli/text_columns.h"

namespace cli {

using app::BuildDiskInfoPage;
using app::BuildSmartTable;
using app::DiskInfoPage;
using app::InfoLine;

using disk::AttributeNameTables;
using disk::DriveRecord;
using disk::VolumeSpace;

using namespace text_rows;

namespace {

constexpr size_t kUsageBarCells = 20;

// "[#####---------------]  25%": the page's usage bar.
std::wstring UsageBar(int32_t percent) {
    const size_t filled = static_cast<size_t>(percent) * kUsageBarCells / 100;
    return L"[" + std::wstring(filled, L'#') + std::wstring(kUsageBarCells - filled, L'-') +
           L"]  " + std::to_wstring(percent) + L"%";
}

std::wstring TrimRight(std::wstring text) {
    text.erase(text.find_last_not_of(L' ') + 1);
    return text;
}

}  // namespace

DiskInfoPage DiskInfoPageOf(const DriveRecord& drive, const AttributeNameTables& names,
                            bool ahciMode) {
    return BuildDiskInfoPage(drive, PowerOnTextsOf(drive, BuildSmartTable(drive, names)), ahciMode);
}

std::wstring VolumesText(const DriveRecord& drive, std::wstring_view indent) {
    std::vector<std::vector<std::wstring>> rows{
        {std::wstring(indent) + LabelText(kDriveLetterLabel), L"", LabelText(kCapacityLabel),
         LabelText(kUsedLabel), LabelText(kFreeLabel), L"%"}};
    for (const VolumeSpace& volume : drive.Volumes) {
        if (volume.Letter == 0) continue;
        rows.push_back({std::wstring(indent) + volume.Letter + L":", volume.FileSystem,
                        SizeText(volume.TotalSize), SizeText(volume.UsedSize),
                        SizeText(volume.FreeSize), std::to_wstring(volume.UsedPercent)});
    }
    if (rows.size() == 1) return {};
    constexpr Align kAligns[] = {Align::Left,  Align::Left,  Align::Right,
                                 Align::Right, Align::Right, Align::Right};
    return FormatColumns(rows, kAligns);
}

std::wstring InfoText(const DriveRecord& drive, const AttributeNameTables& names, bool ahciMode) {
    const DiskInfoPage page = DiskInfoPageOf(drive, names, ahciMode);
    std::wstring text = DriveTitle(drive);
    for (const InfoLine& line : page.lines) {
        text += TrimRight(line.text);
        if (line.tooltip) text += L"  (" + *line.tooltip + L")";
        text += L"\n";
    }
    text += UsageBar(page.usedPercent) + L"\n";
    const std::wstring volumes = VolumesText(drive, L"");
    if (!volumes.empty()) text += L"\n" + volumes;
    return TerminalSafe(text);
}

}  // namespace cli
