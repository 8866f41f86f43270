// What the migration page shows, as plain texts: the source and target lines, the running
// times and status word, and the outcome message the timer shows when a migration ends. The
// window copies them into its controls; the command line prints them.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "app/dialog/message_kinds.h"
#include "disk/drive_record.h"
#include "migration/system_disk.h"

namespace app {

// Interface text rows the page uses.
inline constexpr int TEXT_MIGRATION_LOCK_FAILED = 76;
inline constexpr int TEXT_MIGRATION_CANCELLED = 77;
inline constexpr int TEXT_MIGRATING = 78;
inline constexpr int TEXT_MIGRATION_DONE = 80;
inline constexpr int TEXT_MIGRATION_CONFIRM = 81;
inline constexpr int TEXT_MIGRATION_FAILED = 86;
inline constexpr int TEXT_TARGET_TOO_SMALL = 87;
inline constexpr int TEXT_TARGET_OFFLINE = 89;

// One message dialog: its text row, the text's inset, the buttons and the icon.
struct MessageLayout {
    int textId = 0;
    int inset = 0;
    int buttonMode = kMessageOk;
    int iconKind = 0;
};

// Shown when the pre-check refuses the target, whatever part of it failed.
inline constexpr MessageLayout kTargetTooSmallMessage{TEXT_TARGET_TOO_SMALL, 80, kMessageOk,
                                                      kIconWarning};
// The confirmation before anything is written; only OK goes on.
inline constexpr MessageLayout kConfirmMigrationMessage{TEXT_MIGRATION_CONFIRM, 99,
                                                        kMessageOkCancel, kIconWarning};

// How an ended migration is reported: the first row whose bit is set in the state word wins.
// A row without a dialog ends the run silently.
struct MigrationOutcomeRow {
    uint32_t stateBit = 0;
    bool showsDialog = false;
    MessageLayout message;
    bool showsResult = false;  // the text reads "<text> [<MigrationResult>]"
};
extern const std::array<MigrationOutcomeRow, 6> kMigrationOutcomes;

// The dialog for a finished state word: its layout and its text (the failure row reads
// "<text 86> [<result>]"). Nothing when the word has not ended, when the outcome shows no
// dialog, or when no outcome bit is set.
struct MigrationMessage {
    MessageLayout layout;
    std::wstring text;
};
std::optional<MigrationMessage> MigrationOutcomeMessage(uint32_t state, int32_t result);

// The text of a message layout in the current language.
std::wstring MessageText(const MessageLayout& layout);

// "hh: mm: ss", a blank after each colon; hours grow past 99 rather than wrap.
std::wstring formatDuration(uint64_t seconds);

// The records a migration may target: every record but the system disk (compared by physical
// drive number), in list order. Indexes into the list.
std::vector<int32_t> MigrationTargets(const disk::DriveList& drives,
                                      const migration::SystemDisk& systemDisk);

// A page line with its tooltip; `tooltip` is set only when the line is cut.
struct PageLine {
    std::wstring text;
    std::optional<std::wstring> tooltip;
};

// The lines that follow the chosen target, refreshed on their own when another is chosen.
struct MigrationTargetTexts {
    std::wstring targetDisk;      // "data_drive"
    std::wstring targetCapacity;  // "capacityData2"
    std::wstring startButton;     // "Button_Start"
    std::wstring cancelButton;    // "Button_Cancel"
};
MigrationTargetTexts BuildMigrationTargetLines(const disk::DriveRecord* target);

// The page's lines for the system disk and the chosen target.
struct MigrationPageTexts : MigrationTargetTexts {
    std::wstring sourceDisk;               // "source_disk"
    std::optional<std::wstring> capacity;  // "capacityData"; unset without a system volume
    std::wstring osVersion;                // "os_version"
    PageLine osDrive;                      // "os_drive"
    std::wstring tip;                      // "data_mig_tip"
    bool startEnabled = false;             // a target exists
};

// `osName` is the engine's OS name ("Windows 10 64"); `target` is the chosen target's record,
// or null when there is none.
MigrationPageTexts BuildMigrationPage(const disk::DriveList& drives,
                                      const migration::SystemDisk& systemDisk,
                                      const std::wstring& osName, const disk::DriveRecord* target);

// "capacityData2" for a target of `totalDiskSize` MiB ("Disk capacity :" alone for 0).
std::wstring TargetCapacityText(double totalDiskSize);

// The running lines: "used_time" and "remain_time" while running (the remaining time only when
// an estimate exists) and " " when idle; "progress" is the status word.
struct MigrationRunTexts {
    std::wstring usedTime;
    std::wstring remainTime;
    std::wstring status;
};
MigrationRunTexts MigrationRunLines(bool running, uint64_t elapsedSeconds,
                                    int64_t remainingSeconds);

}  // namespace app
