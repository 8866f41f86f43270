#include "app/pages/migration_page.h"

#include <cwchar>
#include <iterator>

#include "app/pages/disk_info_page.h"
#include "base/text_rows.h"
#include "base/ui_text.h"
#include "base/wide_chars.h"
#include "migration/migration_state.h"

namespace app {

using disk::DriveList;
using disk::DriveRecord;
using disk::VolumeSpace;

using namespace text_rows;

namespace {

// Lines longer than this show a cut model with the whole one as tooltip.
constexpr size_t kOsDriveLineLimit = 27;
constexpr size_t kOsDriveModelCut = 14;

// Between a time or target label and its value the page puts five blanks.
constexpr wchar_t kWideGap[] = L"     ";

// The outcome bit of a final state word: the word without its "ended" bit.
constexpr uint32_t OutcomeBit(uint32_t word) {
    return word & ~migration::kStateEndedBit;
}

}  // namespace

const std::array<MigrationOutcomeRow, 6> kMigrationOutcomes = {{
    {OutcomeBit(migration::kStateCancelled),
     true,
     {TEXT_MIGRATION_CANCELLED, 70, kMessageOk, kIconError}},
    {OutcomeBit(migration::kStateSucceeded),
     true,
     {TEXT_MIGRATION_DONE, 80, kMessageOk, kIconSuccess}},
    {OutcomeBit(migration::kStateFailed),
     true,
     {TEXT_MIGRATION_FAILED, 80, kMessageOk, kIconError},
     true},
    {OutcomeBit(migration::kStateLockFailed),
     true,
     {TEXT_MIGRATION_LOCK_FAILED, 80, kMessageOk, kIconError}},
    {OutcomeBit(migration::kStateTooSmall), false, {}},
    {OutcomeBit(migration::kStateNotWritable),
     true,
     {TEXT_TARGET_OFFLINE, 80, kMessageOk, kIconError}},
}};

std::wstring MessageText(const MessageLayout& layout) {
    return GetUiText(layout.textId);
}

std::optional<MigrationMessage> MigrationOutcomeMessage(uint32_t state, int32_t result) {
    if (!(state & migration::kStateEndedBit)) return std::nullopt;
    for (const MigrationOutcomeRow& row : kMigrationOutcomes) {
        if (!(state & row.stateBit)) continue;
        if (!row.showsDialog) return std::nullopt;
        std::wstring text = MessageText(row.message);
        // A failure carries its result code, so the user can quote it.
        if (row.showsResult) text += L" [" + std::to_wstring(result) + L"]";
        return MigrationMessage{row.message, std::move(text)};
    }
    return std::nullopt;
}

std::wstring formatDuration(uint64_t seconds) {
    const uint64_t hours = seconds / 3600;
    const uint64_t rest = seconds % 3600;
    wchar_t text[48];
    std::swprintf(
        text, std::size(text), L"%02llu: %02llu: %02llu", static_cast<unsigned long long>(hours),
        static_cast<unsigned long long>(rest / 60), static_cast<unsigned long long>(rest % 60));
    return text;
}

std::vector<int32_t> MigrationTargets(const DriveList& drives,
                                      const migration::SystemDisk& systemDisk) {
    std::vector<int32_t> targets;
    for (int32_t index = 0; index < drives.Count(); ++index)
        if (drives[index].Address.physicalDriveId != systemDisk.physicalDriveId)
            targets.push_back(index);
    return targets;
}

std::wstring TargetCapacityText(double totalDiskSize) {
    const std::wstring label = GetUiText(kCapacityLabel) + kWideGap;
    return totalDiskSize == 0 ? label : label + GigabyteText(totalDiskSize);
}

namespace {

// The system volume's size: the volume of the system letter on the system disk.
std::optional<std::wstring> SystemVolumeCapacity(const DriveList& drives,
                                                 const migration::SystemDisk& systemDisk) {
    for (const DriveRecord& record : drives.Records()) {
        if (record.Address.physicalDriveId != systemDisk.physicalDriveId) continue;
        for (const VolumeSpace& volume : record.Volumes)
            if (volume.Letter != 0 && volume.Letter == systemDisk.letter)
                return GetUiText(kCapacityLabel) + L" " + GigabyteText(volume.TotalSize);
    }
    return std::nullopt;
}

PageLine OsDriveLine(const std::wstring& model) {
    const std::wstring label = GetUiText(kOsDriveLabel) + L" ";
    PageLine line{label + model, std::nullopt};
    if (base::CharacterCount(line.text) > kOsDriveLineLimit) {
        line.text = label + std::wstring(base::FirstCharacters(model, kOsDriveModelCut)) + L"..";
        line.tooltip = model;
    }
    return line;
}

}  // namespace

MigrationTargetTexts BuildMigrationTargetLines(const DriveRecord* target) {
    return {GetUiText(kTargetDiskLabel), TargetCapacityText(target ? target->TotalDiskSize : 0.0),
            GetUiText(kStartButton), GetUiText(kCancelButton)};
}

MigrationPageTexts BuildMigrationPage(const DriveList& drives,
                                      const migration::SystemDisk& systemDisk,
                                      const std::wstring& osName, const DriveRecord* target) {
    MigrationPageTexts page;
    static_cast<MigrationTargetTexts&>(page) = BuildMigrationTargetLines(target);
    page.sourceDisk = GetUiText(kSourceDiskLabel) + L" ";
    if (systemDisk.letter != 0) page.sourceDisk += systemDisk.letter;
    if (systemDisk.Found()) page.capacity = SystemVolumeCapacity(drives, systemDisk);
    page.osVersion = GetUiText(kOsVersionLabel) + L" " + osName + GetUiText(kBitsSuffix);
    page.osDrive = OsDriveLine(systemDisk.model);
    page.tip = L" ";
    page.startEnabled = !MigrationTargets(drives, systemDisk).empty();
    return page;
}

MigrationRunTexts MigrationRunLines(bool running, uint64_t elapsedSeconds,
                                    int64_t remainingSeconds) {
    if (!running) return {L" ", L" ", GetUiText(kIdleStatus)};
    MigrationRunTexts texts;
    texts.usedTime = GetUiText(kUsedTimeLabel) + kWideGap + formatDuration(elapsedSeconds);
    texts.remainTime = GetUiText(kRemainTimeLabel);
    if (remainingSeconds > 0)
        texts.remainTime += kWideGap + formatDuration(static_cast<uint64_t>(remainingSeconds));
    texts.status = GetUiText(TEXT_MIGRATING);
    return texts;
}

}  // namespace app
