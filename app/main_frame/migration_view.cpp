#include "app/main_frame/migration_view.h"

#include <array>
#include <string_view>

#include "app/dialog/message_dialog.h"
#include "app/pages/migration_page.h"
#include "ui/combo.h"
#include "ui/control.h"
#include "ui/paint_manager.h"
#include "ui/progress.h"

namespace app {

using disk::DriveList;
using disk::DriveRecord;

using namespace migration;

namespace {

constexpr SkinUI::UINT kMigrationTimerPeriodMs = 1000;

// The drive selector's look while this page shows it greyed out.
constexpr wchar_t kLockedDriveSelectorImage[] = L"res = '213' restype='png'";

// What would let the user leave the page or change the target while a worker runs.
constexpr std::array<std::wstring_view, 4> kLockedWhileRunning = {
    L"data_mig_refresh", L"Mig_drive_name", L"Disk_Info", L"SMART"};

// One message dialog, run modally; the button that closed it.
int Ask(const MessageLayout& layout, const std::wstring& text) {
    CMessageDialog dialog;
    ShowMessage(dialog, text, layout.inset, layout.buttonMode, layout.iconKind);
    return dialog.Result();
}

}  // namespace

// Controls are looked up when used, so the view may be made before the skin is built, and an
// optional control the skin leaves out ("data_mig_refresh", "data_mig_tip") is skipped.
MigrationPageView::MigrationPageView(SkinUI::CPaintManagerUI& manager) : manager_(manager) {}

// Closing the window mid-migration is a Cancel: the worker stops at its next chunk and deletes
// the target's half-written table, and the member's destructor waits for it to return. The
// controls are not touched here; the window may already have torn them down.
MigrationPageView::~MigrationPageView() {
    if (worker_.Running()) RequestMigrationCancel();
}

SkinUI::CControlUI* MigrationPageView::Control(std::wstring_view name) const {
    return manager_.FindControl(name);
}

void MigrationPageView::SetText(std::wstring_view name, const std::wstring& text) const {
    if (SkinUI::CControlUI* control = Control(name)) control->SetText(text);
}

void MigrationPageView::SetEnabled(std::wstring_view name, bool enabled) const {
    if (SkinUI::CControlUI* control = Control(name)) control->SetEnabled(enabled);
}

void MigrationPageView::Fill(const DriveList& drives, const SystemDisk& systemDisk,
                             const std::wstring& osName, const DriveRecord* target) {
    const MigrationPageTexts page = BuildMigrationPage(drives, systemDisk, osName, target);
    if (SkinUI::CControlUI* refresh = Control(L"Refresh")) refresh->SetVisible(false);
    if (auto* selector = dynamic_cast<SkinUI::CComboUI*>(Control(L"Drive_name"))) {
        selector->SetEnabled(false);
        selector->SetDisabledImage(kLockedDriveSelectorImage);
    }
    SetText(L"source_disk", page.sourceDisk);
    if (page.capacity) SetText(L"capacityData", *page.capacity);
    SetText(L"os_version", page.osVersion);
    SetText(L"os_drive", page.osDrive.text);
    // A shorter model after a re-read must not keep the last one's tooltip.
    if (SkinUI::CControlUI* osDrive = Control(L"os_drive"))
        osDrive->SetToolTip(page.osDrive.tooltip.value_or(L""));
    SetText(L"data_mig_tip", page.tip);
    // A refill while a worker still runs never offers a second migration.
    SetEnabled(L"Button_Start", page.startEnabled && !Busy());
    ShowTargetLines(page);
}

void MigrationPageView::RefreshTargetLines(const DriveRecord* target) {
    ShowTargetLines(BuildMigrationTargetLines(target));
}

void MigrationPageView::ShowTargetLines(const MigrationTargetTexts& lines) {
    SetText(L"data_drive", lines.targetDisk);
    SetText(L"Button_Start", lines.startButton);
    SetText(L"Button_Cancel", lines.cancelButton);
    SetText(L"capacityData2", lines.targetCapacity);
}

void MigrationPageView::Start(int32_t source, int32_t target) {
    if (Busy()) return;
    const MigrationThreadArgs args{static_cast<uint32_t>(source), static_cast<uint32_t>(target)};
    if (!checkMigrationTarget(args.sourceNumber, args.targetNumber)) {
        Ask(kTargetTooSmallMessage, MessageText(kTargetTooSmallMessage));
        return;
    }
    if (Ask(kConfirmMigrationMessage, MessageText(kConfirmMigrationMessage)) != kResultOk) return;

    SetEnabled(L"Button_Start", false);
    SetEnabled(L"Button_Cancel", true);
    Refresh();
    manager_.SetTimer(Control(L"progress3"), kMigrationTimerId, kMigrationTimerPeriodMs);
    reportedState_ = 0;
    cancelRequested_ = false;
    // A thread that cannot be made leaves the failed word, which the next tick reports.
    worker_.Start(args);
    LockPage();
}

void MigrationPageView::Cancel() {
    cancelRequested_ = true;
    RequestMigrationCancel();
    Refresh();
}

void MigrationPageView::OnTimer() {
    // Whether the thread is alive is read before the word: once it has returned, the word read
    // after it is the thread's final one, never the Cancel's stand-in.
    const bool busy = Busy();
    // The worker sets its running word as it begins, over a Cancel given before that.
    if (cancelRequested_ && (MigrationState.load() & kStateRunningBit)) RequestMigrationCancel();
    const uint32_t state = MigrationState.load(std::memory_order_acquire);
    if (state & kStateEndedBit) {
        manager_.KillTimer(Control(L"progress3"), kMigrationTimerId);
        // Each final word is told once. After a Cancel the thread may still end otherwise (the
        // copy had finished): that outcome is told as well when it comes.
        if (state != reportedState_) {
            reportedState_ = state;
            if (const auto message = MigrationOutcomeMessage(state, MigrationResult.load()))
                Ask(message->layout, message->text);
        }
        SetEnabled(L"Button_Start", !busy);
        SetEnabled(L"Button_Cancel", false);
        ClearMigrationProgress();
        // Start stays off until the thread has really returned; the timer watches for that.
        if (busy)
            manager_.SetTimer(Control(L"progress3"), kMigrationTimerId, kMigrationTimerPeriodMs);
    }
    if (auto* bar = dynamic_cast<SkinUI::CProgressUI*>(Control(L"progress3")))
        bar->SetValue(static_cast<int>(MigrationProgress.percentDone.load()));
    Refresh();
}

void MigrationPageView::Refresh() {
    const bool running = MigrationState.load() & kStateRunningBit;
    LockPage();
    const MigrationRunTexts texts =
        MigrationRunLines(running, MigrationProgress.elapsedSeconds.load(),
                          MigrationProgress.remainingSeconds.load());
    SetText(L"used_time", texts.usedTime);
    SetText(L"remain_time", texts.remainTime);
    SetText(L"progress", texts.status);
    if (running) ++MigrationProgress.elapsedSeconds;
}

void MigrationPageView::LockPage() {
    const bool locked = (MigrationState.load() & kStateRunningBit) || Busy();
    for (const std::wstring_view name : kLockedWhileRunning)
        SetEnabled(name, !locked);
    // A selector without targets stays off, as the selectors' fill left it.
    if (auto* targets = dynamic_cast<SkinUI::CComboUI*>(Control(L"Mig_drive_name"));
        targets && targets->GetCount() == 0)
        targets->SetEnabled(false);
}

bool MigrationPageView::Busy() const {
    return worker_.Running();
}

}  // namespace app
