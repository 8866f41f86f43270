#include "app/pages/disk_info_page.h"

#include <algorithm>
#include <cwchar>
#include <iterator>

#include "base/text_rows.h"
#include "base/ui_text.h"
#include "base/wide_chars.h"
#include "disk/drive_codes.h"

namespace app {

using disk::DriveRecord;
using disk::InterfaceType;
using disk::VolumeSpace;

using namespace text_rows;

namespace {

// How many characters of a cut serial number each language keeps.
constexpr size_t kSerialCutEnglish = 12;
constexpr size_t kSerialCutChinese = 19;

struct ModeName {
    const wchar_t* speed;
    const wchar_t* name;
};
// Tested in this order; the first speed a mode names decides.
constexpr ModeName kModeNames[] = {{L"150", L"SATA1"}, {L"300", L"SATA2"}, {L"600", L"SATA3"}};

// NVMe health-log rows that hold the power-on facts.
constexpr wchar_t kNvmePowerCyclesRow[] = L"0B";
constexpr wchar_t kNvmePowerOnHoursRow[] = L"0C";

std::wstring Labelled(int labelRow, const std::wstring& value) {
    return GetUiText(labelRow) + L" " + value;
}

// The decimal value of the raw column of row `id`; empty when the table has no such row.
std::wstring RawDecimalOf(const SmartTable& table, const wchar_t* id) {
    for (const SmartRowTexts& row : table.Rows)
        if (row[0] == id) return std::to_wstring(std::wcstoull(row[5].c_str(), nullptr, 16));
    return {};
}

InfoLine SerialLine(const std::wstring& serial) {
    InfoLine line{L"serial_no", Labelled(kSerialLabel, serial), std::nullopt, std::nullopt};
    if (base::CharacterCount(line.text) > kSerialLineLimit) {
        const size_t cut = LanguageFlag == 1 ? kSerialCutChinese : kSerialCutEnglish;
        line.text =
            Labelled(kSerialLabel, std::wstring(base::FirstCharacters(serial, cut)) + L"..");
        line.tooltip = serial;
    }
    return line;
}

std::vector<VolumeButton> VolumeButtons(const DriveRecord& record, wchar_t selected) {
    std::vector<VolumeButton> buttons;
    for (const VolumeSpace& volume : record.Volumes)
        if (volume.Letter != 0) buttons.push_back({volume.Letter, volume.Letter == selected});
    // Without the chosen letter on this drive (or none chosen yet), its first volume is lit.
    if (!buttons.empty() && std::ranges::none_of(buttons, &VolumeButton::highlighted))
        buttons.front().highlighted = true;
    return buttons;
}

}  // namespace

const InfoLine* DiskInfoPage::Line(const std::wstring& control) const {
    for (const InfoLine& line : lines)
        if (line.control == control) return &line;
    return nullptr;
}

ButtonPlace VolumeButtonPlace(int32_t position, int32_t width, int32_t height) {
    return {.x = width * 787 / 1024 - 50 * position,
            .y = height * 125 / 728,
            .width = width * 40 / 1024,
            .height = height * 25 / 728};
}

std::wstring GigabyteText(double mebibytes) {
    wchar_t text[64];
    std::swprintf(text, std::size(text), L"%.1f GB", mebibytes * 0.0009765625);
    return text;
}

std::wstring TransferModeName(const std::wstring& mode) {
    for (const ModeName& known : kModeNames)
        if (mode.find(known.speed) != std::wstring::npos) return known.name;
    return mode;
}

std::wstring DriveMapText(const std::wstring& driveLetters) {
    // The record may hold its letters bare ("CD") or as roots ("C: D:"); the letters count.
    std::wstring letters;
    for (wchar_t c : driveLetters)
        if (c >= L'A' && c <= L'Z') letters += c;
    std::wstring text;
    for (size_t i = 0; i < letters.size(); ++i) {
        text += letters[i];
        if (i + 1 < letters.size()) text += L'\x3001';
        text += L' ';
    }
    return text;
}

PowerOnTexts PowerOnTextsOf(const DriveRecord& record, const SmartTable& table) {
    if (record.InterfaceType == InterfaceType::INTERFACE_TYPE_NVME)
        return {RawDecimalOf(table, kNvmePowerCyclesRow),
                RawDecimalOf(table, kNvmePowerOnHoursRow)};
    return {table.PowerOnCountText, table.PowerOnTimeText};
}

DiskInfoPage BuildDiskInfoPage(const DriveRecord& record, const PowerOnTexts& powerOn,
                               bool ahciMode, wchar_t selectedVolume) {
    DiskInfoPage page;
    const std::wstring letters = DriveMapText(record.DriveLetters);
    page.lines.push_back(
        {L"drive_map",
         Labelled(kDriveLetterLabel, letters.empty() ? GetUiText(kNoVolumes) : letters),
         std::nullopt, std::nullopt});
    page.lines.push_back(
        {L"set_mode",
         Labelled(kTransferModeLabel, TransferModeName(record.CurrentTransferMode) + L"|" +
                                          TransferModeName(record.MaxTransferMode)),
         GetUiText(kTransferModeTooltip), std::nullopt});
    page.lines.push_back({L"power_up_count",
                          Labelled(kPowerOnCountLabel, powerOn.count) + GetUiText(kTimesUnit),
                          std::nullopt, std::nullopt});
    page.lines.push_back({L"power_up_time",
                          Labelled(kPowerOnTimeLabel, powerOn.hours) + GetUiText(kHoursUnit),
                          std::nullopt, std::nullopt});
    // The control of this name shows the interface.
    page.lines.push_back(
        {L"4K_align", Labelled(kInterfaceLabel, record.Interface), std::nullopt, std::nullopt});
    page.lines.push_back({L"AHCI", Labelled(kAhciLabel, GetUiText(ahciMode ? kAhciOn : kAhciOff)),
                          std::nullopt, ahciMode ? kAhciOnColour : kAhciOffColour});
    page.lines.push_back(SerialLine(record.SerialNumber));
    page.lines.push_back({L"capacityInfo",
                          Labelled(kCapacityLabel, GigabyteText(record.TotalDiskSize)),
                          std::nullopt, std::nullopt});
    page.lines.push_back(
        {L"fireware", Labelled(kFirmwareLabel, record.FirmwareRev), std::nullopt, std::nullopt});
    page.lines.push_back({L"free_spacebase", Labelled(kFreeLabel, GigabyteText(record.FreeSize)),
                          std::nullopt, std::nullopt});
    page.lines.push_back({L"used_spacebase", Labelled(kUsedLabel, GigabyteText(record.UsedSize)),
                          std::nullopt, std::nullopt});
    page.lines.push_back({L"unallocated",
                          Labelled(kUnallocatedLabel, GigabyteText(record.UnallocatedSize)),
                          std::nullopt, std::nullopt});
    page.usedPercent = std::clamp(record.UsedPercent, 0, 100);
    page.volumes = VolumeButtons(record, selectedVolume);
    return page;
}

}  // namespace app
