#include "cli/options.h"

#include <CLI/CLI.hpp>
#include <string>
#include <vector>

#include "base/utf8.h"

namespace cli {

ParseOutcome ParseCommandLine(int argc, const char* const* argv, CliOptions* options,
                              std::ostream& out, std::ostream& err) {
    CLI::App app{"Lists drives, their identity and S.M.A.R.T. health.", "tramsik-cli"};
    app.set_version_flag("--version", "tramsik-cli 1.3");
    app.require_subcommand(1);
    // Global options may also follow the command.
    app.fallthrough();

    std::string machine, log, language;
    app.add_option("--machine", machine,
                   "Machine description file, or \"demo\" for the built-in machine "
                   "(default: the real drives of this computer)")
        ->type_name("FILE|demo");
    app.add_option("--lang", language, "Language of the output (default: the system's)")
        ->check(CLI::IsMember(std::vector<std::string>{"en", "zh"}).description(""))
        ->type_name("en|zh");
    app.add_option("--log", log, "Write the diagnostic log to FILE instead of beside the program")
        ->type_name("FILE");
    app.add_flag("--trace", options->Trace,
                 "Also log a hex dump of every request sent to a drive and of its answer");

    CLI::App* list = app.add_subcommand("list", "One line per drive");
    CLI::App* smart = app.add_subcommand("smart", "The S.M.A.R.T. table of a drive");
    int32_t drive = 0;
    CLI::App* info = app.add_subcommand("info", "The Disk information page of a drive");
    // Both commands show one drive, chosen the same way.
    std::vector<CLI::Option*> driveOptions;
    for (CLI::App* command : {smart, info})
        driveOptions.push_back(
            command
                ->add_option("--drive", drive,
                             "Physical drive number (default: the disk holding the system)")
                ->check(CLI::NonNegativeNumber)
                ->type_name("N"));
    CLI::App* report = app.add_subcommand("report", "Everything about every drive");
    report->add_flag("--json", options->Json, "As one JSON object");
    CLI::App* migrate = app.add_subcommand("migrate", "Migrate the system disk onto drive N");
    migrate
        ->add_option("--target", options->Target,
                     "Physical drive number of the target; everything on it is overwritten")
        ->required()
        ->check(CLI::NonNegativeNumber)
        ->type_name("N");
    migrate->add_flag("--yes", options->Yes, "Do not ask for confirmation");
    migrate->add_flag("--verify", options->Verify,
                      "Read the copy back from the target and compare it with the source");
    // Both commands write a file, named the same way.
    std::string outPath;
    CLI::App* metrics =
        app.add_subcommand("metrics", "Drive health in the Prometheus text exposition format");
    metrics
        ->add_option("--out", outPath,
                     "Replace FILE with the metrics in one step (default: standard output)")
        ->type_name("FILE");
    CLI::App* capture =
        app.add_subcommand("capture", "Write the machine as seen, as a machine description");
    capture->add_option("--out", outPath, "Write to FILE instead of standard output")
        ->type_name("FILE");
    capture->add_flag("--anonymize", options->Anonymize,
                      "Replace serial numbers and WWNs, consistently within the file");

    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        const int code = app.exit(e, out, err);
        return {false, code == 0 ? kExitSuccess : kExitUsage};
    }

    options->Machine = FromUtf8(machine);
    options->LogPath = FromUtf8(log);
    options->OutPath = FromUtf8(outPath);
    if (!language.empty()) options->LanguageFlag = language == "zh" ? 1 : 0;
    for (const CLI::Option* driveOption : driveOptions)
        if (*driveOption) options->Drive = drive;
    options->Command = list->parsed()      ? CliCommand::List
                       : smart->parsed()   ? CliCommand::Smart
                       : info->parsed()    ? CliCommand::Info
                       : migrate->parsed() ? CliCommand::Migrate
                       : metrics->parsed() ? CliCommand::Metrics
                       : capture->parsed() ? CliCommand::Capture
                                           : CliCommand::Report;
    return {true, kExitSuccess};
}

}  // namespace cli
