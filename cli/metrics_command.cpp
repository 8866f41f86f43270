#include "cli/metrics_command.h"

#include "cli/cli_text.h"
#include "cli/options.h"
#include "cli/replace_file.h"

namespace cli {

int RunMetrics(const std::wstring& outPath, const MetricsInventory& inventory, std::FILE* out,
               std::FILE* err) {
    const std::string text = ExpositionText(DriveMetricFamilies(inventory));
    if (outPath.empty()) {
        Print(out, text);
        return kExitSuccess;
    }
    std::wstring problem;
    if (ReplaceFile(outPath, text, &problem)) return kExitSuccess;
    Print(err, L"tramsik-cli: " + problem + L"\n");
    return kExitNotWritten;
}

}  // namespace cli
