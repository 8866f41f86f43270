#include "cli/commands.h"

#include <chrono>
#include <memory>
#include <string>

#include "base/log.h"
#include "base/ui_text.h"
#include "cli/capture_command.h"
#include "cli/cli_text.h"
#include "cli/drive_text.h"
#include "cli/info_command.h"
#include "cli/metrics_command.h"
#include "cli/migrate_command.h"
#include "cli/report_json.h"
#include "disk/ata_smart.h"
#include "migration/system_disk.h"
#include "migration/volume_space.h"
#include "platform/platform.h"

namespace cli {

using disk::AttributeNameTables;
using disk::CAtaSmart;
using disk::DriveList;
using disk::DriveRecord;

namespace {

MachineFacts FactsOf(const CAtaSmart& engine, const migration::SystemDisk& systemDisk) {
    return {.OsName = engine.GetOsName(),
            .OsMajor = engine.OsVersion.dwMajorVersion,
            .OsMinor = engine.OsVersion.dwMinorVersion,
            .AhciMode = engine.Controllers.ahciMode,
            .SystemDisk = systemDisk};
}

// The drive `smart` and `info` show: the one asked for, else the system disk, else (when no
// drive carries the system's letter) the first of the list.
const DriveRecord* ChosenDrive(const DriveList& drives, const CliOptions& options,
                               const migration::SystemDisk& systemDisk) {
    if (options.Drive) return FindDrive(drives, *options.Drive);
    if (systemDisk.Found()) return FindDrive(drives, systemDisk.physicalDriveId);
    return drives.Count() > 0 ? &drives[0] : nullptr;
}

double SecondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace

int RunCommand(const CliOptions& options, std::FILE* out, std::FILE* err) {
    const auto started = std::chrono::steady_clock::now();
    if (options.LogPath.empty())
        StartLog();
    else
        StartLogAt(options.LogPath);
    if (options.Trace) platform::SetDeviceIoTrace(true);

    std::wstring problem;
    if (!platform::SelectPlatform(options.Machine, &problem)) {
        Print(err, L"tramsik-cli: " + problem + L"\n");
        // A collector shows the failed run rather than the last good one.
        if (options.Command == CliCommand::Metrics)
            RunMetrics(options.OutPath, {.seconds = SecondsSince(started)}, out, err);
        // A machine file can be wrong; the real machine can only keep its drives from us (no
        // rights, or no drive at all), which must not read as an empty list.
        return options.Machine.empty() ? kExitNoDrive : kExitUsage;
    }
    SetLanguageFlag(platform::GetACP(), options.LanguageFlag);

    AttributeNameTables names;
    names.BuildAttributeNameTables();
    // The engine holds two lists of full records; too big for the stack.
    auto engine = std::make_unique<CAtaSmart>();
    migration::AttachDiskSpace(*engine);
    engine->Init();
    const DriveList& drives = engine->vars;
    migration::SystemDisk systemDisk;
    migration::getSystemDisk(drives, systemDisk);

    switch (options.Command) {
        case CliCommand::List:
            Print(out, ListText(drives));
            return kExitSuccess;
        case CliCommand::Smart:
        case CliCommand::Info: {
            const DriveRecord* drive = ChosenDrive(drives, options, systemDisk);
            if (!drive) {
                Print(err, options.Drive ? L"tramsik-cli: no drive with physical drive number " +
                                               std::to_wstring(*options.Drive) + L"\n"
                                         : std::wstring(L"tramsik-cli: no drive found\n"));
                return kExitNoDrive;
            }
            Print(out, options.Command == CliCommand::Info
                           ? InfoText(*drive, names, engine->Controllers.ahciMode)
                           : SmartText(*drive, names));
            return kExitSuccess;
        }
        case CliCommand::Report:
            if (options.Json)
                Print(out, ReportJsonText(ReportJson(FactsOf(*engine, systemDisk), drives, names)));
            else
                Print(out, ReportText(FactsOf(*engine, systemDisk), drives, names));
            return kExitSuccess;
        case CliCommand::Migrate:
            return RunMigrate({options.Target, options.Yes, options.Verify}, drives, systemDisk,
                              stdin, out, err);
        case CliCommand::Metrics:
            return RunMetrics(options.OutPath,
                              {.drives = &drives,
                               .names = &names,
                               .unansweredDrives = engine->UnansweredDrives,
                               .seconds = SecondsSince(started)},
                              out, err);
        case CliCommand::Capture:
            return RunCapture({options.OutPath, options.Anonymize}, *engine, out, err);
    }
    return kExitUsage;
}

}  // namespace cli
