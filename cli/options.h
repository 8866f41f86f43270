// The command line of tramsik-cli: global options, then one command with its own options.
#pragma once

#include <cstdint>
#include <optional>
#include <ostream>
#include <string>

namespace cli {

// Exit statuses.
inline constexpr int kExitSuccess = 0;
inline constexpr int kExitUsage = 2;  // also an invalid machine file
inline constexpr int kExitNoDrive = 3;
inline constexpr int kExitNotWritten = 4;  // metrics or capture --out FILE

enum class CliCommand { List, Smart, Report, Info, Migrate, Metrics, Capture };

struct CliOptions {
    std::wstring Machine;             // a machine file or "demo"; empty for the real machine
    std::optional<int> LanguageFlag;  // from --lang; otherwise the platform's code page decides
    std::wstring LogPath;             // empty: the log goes beside the executable
    bool Trace = false;               // --trace: device requests dumped to the log
    CliCommand Command = CliCommand::List;
    std::optional<int32_t> Drive;  // smart / info --drive, a physical drive number
    bool Json = false;             // report --json
    int32_t Target = 0;            // migrate --target, a physical drive number
    bool Yes = false;              // migrate --yes: no confirmation
    bool Verify = false;           // migrate --verify: read the copy back and compare
    std::wstring OutPath;          // metrics and capture --out; empty: standard output
    bool Anonymize = false;        // capture --anonymize
};

struct ParseOutcome {
    bool Run;      // false: stop with ExitCode (help was shown, or the line is wrong)
    int ExitCode;  // kExitSuccess or kExitUsage when Run is false
};

// Reads argv (UTF-8). Help goes to `out`, usage errors to `err`.
ParseOutcome ParseCommandLine(int argc, const char* const* argv, CliOptions* options,
                              std::ostream& out, std::ostream& err);

}  // namespace cli
