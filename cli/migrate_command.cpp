#include "cli/migrate_command.h"

#include <atomic>
#include <cctype>
#include <chrono>
#include <csignal>
#include <cwchar>
#include <string>

#include "app/pages/migration_page.h"
#include "base/text_rows.h"
#include "base/ui_text.h"
#include "cli/cli_text.h"
#include "cli/drive_text.h"
#include "cli/options.h"
#include "migration/migration_driver.h"
#include "migration/migration_worker.h"

namespace cli {

using app::kConfirmMigrationMessage;
using app::kTargetTooSmallMessage;
using app::MessageText;
using app::MigrationOutcomeMessage;
using app::MigrationRunLines;
using app::MigrationRunTexts;

using disk::DriveList;
using disk::DriveRecord;

using namespace text_rows;

namespace {

using namespace migration;

constexpr int kBarCells = 30;

// Ctrl-C is the page's Cancel: it only sets the state word, and the worker stops at its next
// chunk and deletes the target's table. A second Ctrl-C is one more Cancel, never a kill in
// the middle of a write. The handler is set again for systems that reset it on delivery.
extern "C" void CancelOnInterrupt(int) {
    RequestMigrationCancel();
    std::signal(SIGINT, CancelOnInterrupt);
}

// Only an explicit yes (or OK, the page's button) goes on; an empty line or no input stops.
bool Confirmed(std::FILE* in) {
    char line[64] = {};
    if (!std::fgets(line, sizeof line, in)) return false;
    std::string answer;
    for (const char* c = line; *c; ++c)
        if (!std::isspace(static_cast<unsigned char>(*c)))
            answer += static_cast<char>(std::tolower(static_cast<unsigned char>(*c)));
    return answer == "y" || answer == "yes" || answer == "ok";
}

// "[#########---------------------]  30%  Used Time :     00: 00: 12  Remain Time :     ...",
// behind "Verifying" while the copy is read back.
std::wstring ProgressLine(bool verifying, int percent, uint64_t elapsedSeconds,
                          int64_t remainingSeconds) {
    const int filled = percent * kBarCells / 100;
    const MigrationRunTexts texts = MigrationRunLines(true, elapsedSeconds, remainingSeconds);
    wchar_t number[8];
    std::swprintf(number, 8, L"%3d%%", percent);
    return L"\r" + (verifying ? CliText(CliWord::Verifying) + L" " : L"") + L"[" +
           std::wstring(filled, L'#') + std::wstring(kBarCells - filled, L'-') + L"] " + number +
           L"  " + texts.usedTime + L"  " + texts.remainTime;
}

// Runs the worker on its own thread and shows its progress once a second until it has ended
// (after a Cancel it still deletes the target's table, so the wait is for the thread itself).
// When a verified run starts reading back, the copy's line is finished at 100% and the
// verification gets a line of its own. The Ctrl-C handler stays until the program ends: a
// second Ctrl-C that comes after the worker has ended must not kill the program before it
// reports, and a Cancel with no migration running changes nothing.
void RunWorker(const MigrationThreadArgs& args, std::FILE* err) {
    std::signal(SIGINT, CancelOnInterrupt);
    MigrationWorker worker;
    // A thread that could not be made leaves the failed word, reported like any failure.
    worker.Start(args);
    uint64_t elapsed = 0;
    size_t shown = 0;
    bool verifying = false;
    // Each line overwrites the one before; blanks cover what a shorter one would leave.
    const auto show = [&](std::wstring line) {
        const size_t length = line.size();
        line.append(shown > length ? shown - length : 0, L' ');
        shown = length;
        Print(err, line);
    };
    const auto showProgress = [&] {
        if (!verifying && MigrationProgress.verifying.load()) {
            show(ProgressLine(false, 100, elapsed, 0));
            Print(err, L"\n");
            shown = 0;
            verifying = true;
        }
        show(ProgressLine(verifying, static_cast<int>(MigrationProgress.percentDone.load()),
                          elapsed, MigrationProgress.remainingSeconds.load()));
    };
    do {
        showProgress();
        ++elapsed;
    } while (!worker.WaitFor(std::chrono::seconds(1)));
    showProgress();
    Print(err, L"\n");
}

// The outcome as the page reports it; a target found too small during the run has no dialog
// there, so the pre-check's text says it here.
std::wstring OutcomeText(uint32_t state, int32_t result) {
    const auto message = MigrationOutcomeMessage(state, result);
    std::wstring text = message ? message->text : MessageText(kTargetTooSmallMessage);
    while (!text.empty() && text.back() == L'\n')
        text.pop_back();
    return text + L"\n";
}

}  // namespace

int RunMigrate(const MigrateRequest& request, const DriveList& drives,
               const migration::SystemDisk& systemDisk, std::FILE* in, std::FILE* out,
               std::FILE* err) {
    if (!systemDisk.Found()) {
        Print(err, L"tramsik-cli: the disk that holds the system was not found\n");
        return kExitNoDrive;
    }
    const DriveRecord* target = FindDrive(drives, request.target);
    if (!target) {
        Print(err, L"tramsik-cli: no drive with physical drive number " +
                       std::to_wstring(request.target) + L"\n");
        return kExitNoDrive;
    }
    const MigrationThreadArgs args{static_cast<uint32_t>(systemDisk.physicalDriveId),
                                   static_cast<uint32_t>(request.target), request.verify};
    Print(err, GetUiText(kOsDriveLabel) + L" " + systemDisk.model + L"\n" +
                   GetUiText(kTargetDiskLabel) + L" " + target->Model + L"\n");

    if (!checkMigrationTarget(args.sourceNumber, args.targetNumber)) {
        Print(err, MessageText(kTargetTooSmallMessage) + L"\n");
        return kExitPrecheckRefused;
    }
    if (!request.yes) {
        Print(err, MessageText(kConfirmMigrationMessage) + L" [y/N] ");
        if (!Confirmed(in)) return kExitNotConfirmed;
    }

    RunWorker(args, err);
    const uint32_t state = MigrationState.load(std::memory_order_acquire);
    const int32_t result = MigrationResult.load(std::memory_order_relaxed);
    Print(result == kMigrationSucceeded ? out : err, OutcomeText(state, result));
    return result == kMigrationSucceeded ? kExitSuccess : -result;
}

}  // namespace cli
