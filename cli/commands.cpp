#include "cli/commands.h"

#include <memory>
#include <string>

#include "app/log/log.h"
#include "app/text/ui_text.h"
#include "app/text/utf8.h"
#include "cli/drive_text.h"
#include "cli/report_json.h"
#include "disk/ata_smart.h"
#include "platform/platform.h"

namespace {

void Print(std::FILE* stream, const std::string& text) {
    std::fwrite(text.data(), 1, text.size(), stream);
}

MachineFacts FactsOf(const CAtaSmart& engine) {
    return {.OsName = engine.GetOsName(),
            .OsMajor = engine.OsVersion.dwMajorVersion,
            .OsMinor = engine.OsVersion.dwMinorVersion,
            .AhciMode = AhciMode != 0};
}

// The drive `smart` shows: the one asked for, or the first of the list until the system disk
// is known.
const DriveRecord* ChosenDrive(const DriveList& drives, const CliOptions& options) {
    if (options.Drive) return FindDrive(drives, *options.Drive);
    return drives.Count() > 0 ? &drives[0] : nullptr;
}

}  // namespace

int RunCommand(const CliOptions& options, std::FILE* out, std::FILE* err) {
    if (options.LogPath.empty())
        StartLog();
    else
        StartLogAt(options.LogPath);
    if (options.Trace) platform::SetDeviceIoTrace(true);

    std::wstring problem;
    if (!platform::SelectPlatform(options.Machine, &problem)) {
        Print(err, "tramsik-cli: " + ToUtf8(problem) + "\n");
        return kExitUsage;
    }
    LanguageFlag = options.LanguageFlag.value_or(LanguageForCodePage(platform::GetACP()));

    AttributeNameTables names;
    names.BuildAttributeNameTables();
    // The engine holds two lists of full records; too big for the stack.
    auto engine = std::make_unique<CAtaSmart>();
    engine->Init();
    const DriveList& drives = engine->vars;

    switch (options.Command) {
        case CliCommand::List:
            Print(out, ToUtf8(ListText(drives)));
            return kExitSuccess;
        case CliCommand::Smart: {
            const DriveRecord* drive = ChosenDrive(drives, options);
            if (!drive) {
                Print(err, options.Drive ? "tramsik-cli: no drive with physical drive number " +
                                               std::to_string(*options.Drive) + "\n"
                                         : std::string("tramsik-cli: no drive found\n"));
                return kExitNoDrive;
            }
            Print(out, ToUtf8(SmartText(*drive, names)));
            return kExitSuccess;
        }
        case CliCommand::Report:
            Print(out, options.Json ? ReportJsonText(ReportJson(FactsOf(*engine), drives, names))
                                    : ToUtf8(ReportText(FactsOf(*engine), drives, names)));
            return kExitSuccess;
    }
    return kExitUsage;
}
