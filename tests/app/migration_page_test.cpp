// The migration page's texts: source and target lines, the OS drive cut, durations, the
// running lines and the outcome dialog of every final state word.
#include "app/pages/migration_page.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <tuple>

#include "base/ui_text.h"
#include "migration/migration_state.h"
#include "tests/support/language_scope.h"

namespace app {

using disk::DriveList;
using disk::DriveRecord;

namespace {

DriveRecord Disk(int32_t physicalDrive, const std::wstring& model, double size) {
    DriveRecord record;
    record.Address.physicalDriveId = physicalDrive;
    record.Model = model;
    record.TotalDiskSize = size;
    return record;
}

// System disk (physical drive 3, C: of 100 GiB), then disks A (drive 1) and B (drive 5).
struct ThreeDisks {
    ThreeDisks() {
        DriveRecord system = Disk(3, L"Orvel SSD S3", 244198.0);
        system.Volumes[0] = {.Letter = L'C', .TotalSize = 102400.0, .FileSystem = L"NTFS"};
        system.Volumes[1] = {.Letter = L'D', .TotalSize = 40000.0, .FileSystem = L"NTFS"};
        drives.Append(Disk(1, L"Disk A", 476940.0));
        drives.Append(system);
        drives.Append(Disk(5, L"Disk B", 953869.0));
        systemDisk = {.index = 1, .physicalDriveId = 3, .model = L"Orvel SSD S3", .letter = L'C'};
    }
    DriveList drives;
    migration::SystemDisk systemDisk;
};

TEST(MigrationPage, SourceAndTargetLines) {
    LanguageScope english(0);
    ThreeDisks machine;
    const std::vector<int32_t> targets = MigrationTargets(machine.drives, machine.systemDisk);
    EXPECT_EQ(targets, (std::vector<int32_t>{0, 2})) << "every disk but the system disk";

    const MigrationPageTexts page = BuildMigrationPage(machine.drives, machine.systemDisk,
                                                       L"Windows 10 64", &machine.drives[2]);
    EXPECT_EQ(page.capacity, L"Disk capacity : 100.0 GB") << "the system volume's size";
    EXPECT_EQ(page.osDrive.text, L"OS Drive : Orvel SSD S3");
    EXPECT_FALSE(page.osDrive.tooltip);
    EXPECT_EQ(page.targetCapacity, L"Disk capacity :     931.5 GB") << "disk B chosen";
    EXPECT_TRUE(page.startEnabled);

    EXPECT_EQ(TargetCapacityText(0.0), L"Disk capacity :     ") << "no size, no value";
    EXPECT_EQ(BuildMigrationPage(machine.drives, machine.systemDisk, L"", nullptr).targetCapacity,
              L"Disk capacity :     ");

    LanguageScope chinese(1);
    const MigrationPageTexts zh =
        BuildMigrationPage(machine.drives, machine.systemDisk, L"Windows 7 32", &machine.drives[0]);
    EXPECT_EQ(zh.osVersion, L"系统版本 : Windows 7 32位");
    EXPECT_EQ(zh.targetCapacity, L"磁盘容量 :     465.8 GB");
}

TEST(MigrationPage, WithoutSystemVolumeOrTargets) {
    LanguageScope english(0);
    ThreeDisks machine;
    // The system letter is not a volume of the system disk: the capacity line stays as it was.
    machine.systemDisk.letter = L'E';
    EXPECT_FALSE(BuildMigrationPage(machine.drives, machine.systemDisk, L"", nullptr).capacity);

    // The system disk alone: nothing to migrate to.
    DriveList alone;
    alone.Append(machine.drives[1]);
    machine.systemDisk.letter = L'C';
    const MigrationPageTexts page = BuildMigrationPage(alone, machine.systemDisk, L"", nullptr);
    EXPECT_TRUE(MigrationTargets(alone, machine.systemDisk).empty());
    EXPECT_FALSE(page.startEnabled);
    EXPECT_EQ(page.capacity, L"Disk capacity : 100.0 GB");

    // An undetermined system disk offers every disk and names no source letter or volume.
    const migration::SystemDisk unknown;
    EXPECT_EQ(MigrationTargets(machine.drives, unknown).size(), 3u);
    const MigrationPageTexts blind = BuildMigrationPage(machine.drives, unknown, L"", nullptr);
    EXPECT_EQ(blind.sourceDisk, L"Source Disk : ");
    EXPECT_FALSE(blind.capacity);
    EXPECT_EQ(blind.osDrive.text, L"OS Drive : ");
}

// "OS Drive : " takes 11 of the line's 27 characters: a model of 16 fills it, a longer one is cut
// after 14 with the whole model as tooltip. Characters outside the BMP count once, also where
// each takes two units.
TEST(MigrationPage, LongSystemModelsAreCut) {
    LanguageScope english(0);
    ThreeDisks machine;
    const std::wstring d = L"\U0001D7CE";
    std::wstring sixteen;
    for (int i = 0; i < 16; ++i)
        sixteen += d;
    const struct {
        std::wstring model, shown;
        bool cut;
    } cases[] = {
        {L"ABCDEFGHIJKLMNOP", L"ABCDEFGHIJKLMNOP", false},
        {L"ABCDEFGHIJKLMNOPQ", L"ABCDEFGHIJKLMN..", true},
        {sixteen, sixteen, false},
        {sixteen + d, sixteen.substr(0, 14 * d.size()) + L"..", true},
    };
    for (const auto& c : cases) {
        machine.systemDisk.model = c.model;
        const PageLine line =
            BuildMigrationPage(machine.drives, machine.systemDisk, L"", nullptr).osDrive;
        EXPECT_EQ(line.text, L"OS Drive : " + c.shown);
        EXPECT_EQ(line.tooltip, c.cut ? std::optional(c.model) : std::nullopt) << c.shown.size();
    }
}

TEST(MigrationPage, DurationsAndRunningLines) {
    EXPECT_EQ(formatDuration(3725), L"01: 02: 05");
    EXPECT_EQ(formatDuration(360000), L"100: 00: 00") << "hours grow, they do not wrap";

    LanguageScope english(0);
    MigrationRunTexts running = MigrationRunLines(true, 3725, 0);
    EXPECT_EQ(running.usedTime, L"Used Time :     01: 02: 05");
    EXPECT_EQ(running.remainTime, L"Remain Time :") << "no estimate yet";
    EXPECT_EQ(running.status, L"Migrating");
    running = MigrationRunLines(true, 0, 61);
    EXPECT_EQ(running.usedTime, L"Used Time :     00: 00: 00");
    EXPECT_EQ(running.remainTime, L"Remain Time :     00: 01: 01");

    const MigrationRunTexts idle = MigrationRunLines(false, 50, 50);
    EXPECT_EQ(idle.usedTime, L" ");
    EXPECT_EQ(idle.remainTime, L" ");
    EXPECT_EQ(idle.status, L"Data migration");
}

TEST(MigrationPage, OutcomeOfTheFinalStateWords) {
    LanguageScope english(0);
    // state, text, inset and icon; the texts are the interface table's.
    const std::tuple<uint32_t, int, int, int> cases[] = {{migration::kStateCancelled, 77, 70, 16},
                                                         {migration::kStateSucceeded, 80, 80, 128},
                                                         {migration::kStateFailed, 86, 80, 16}};
    for (const auto& [state, textId, inset, icon] : cases) {
        const auto message = MigrationOutcomeMessage(state, -15);
        ASSERT_TRUE(message) << std::hex << state;
        const MessageLayout& layout = message->layout;
        EXPECT_EQ(std::tuple(layout.textId, layout.inset, layout.buttonMode, layout.iconKind),
                  std::tuple(textId, inset, kMessageOk, icon));
        if (state != migration::kStateFailed) {
            EXPECT_EQ(message->text, GetUiText(textId));
        }
    }
    EXPECT_FALSE(MigrationOutcomeMessage(migration::kStateTooSmall, -13)) << "ends silently";
    EXPECT_FALSE(MigrationOutcomeMessage(migration::kStateRunning, 0)) << "not ended";
    EXPECT_FALSE(MigrationOutcomeMessage(0, 0));
    EXPECT_FALSE(MigrationOutcomeMessage(migration::kStateEndedBit, 0)) << "no outcome bit";
    // Cancel pressed as the worker failed: the cancel bit is tested first.
    EXPECT_EQ(MigrationOutcomeMessage(migration::kStateCancelled | migration::kStateFailed, -11)
                  ->layout.textId,
              77);
    EXPECT_EQ(MigrationOutcomeMessage(migration::kStateFailed, -3)->text,
              L"System migration failed [-3]");
}

}  // namespace

}  // namespace app
