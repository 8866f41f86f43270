#include "cli/capture_command.h"

#include "base/utf8.h"
#include "capture/anonymize.h"
#include "capture/capture.h"
#include "cli/cli_text.h"
#include "cli/options.h"
#include "cli/replace_file.h"
#include "platform/platform.h"
#include "platform/sim/machine_writer.h"

namespace cli {

namespace {

// A quick capture stays silent; a slow one says what it is doing.
constexpr platform::DWORD kQuietMs = 1000;

}  // namespace

int RunCapture(const CaptureRequest& request, const disk::CAtaSmart& engine, std::FILE* out,
               std::FILE* err) {
    const platform::DWORD start = platform::GetTickCount();
    auto machine = capture::CaptureMachine(engine, [&](const std::wstring& step) {
        if (platform::GetTickCount() - start > kQuietMs) Print(err, L"capture: " + step + L"\n");
    });
    if (request.anonymize) capture::Anonymize(machine);
    const std::string text = platform::sim::WriteMachine(machine);
    if (request.out.empty()) {
        Print(out, text);
        return kExitSuccess;
    }
    std::wstring problem;
    if (!ReplaceFile(request.out, text, &problem)) {
        Print(err, L"tramsik-cli: " + problem + L"\n");
        return kExitNotWritten;
    }
    return kExitSuccess;
}

}  // namespace cli
