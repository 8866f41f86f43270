// The migration page's behaviour in the main window: it copies the page model's texts into the
// page's controls, runs the pre-check and the confirmation, starts the worker thread and turns
// the shared migration values into progress, times and the outcome dialog once a second.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "disk/drive_record.h"
#include "migration/migration_worker.h"
#include "migration/system_disk.h"

namespace SkinUI {
class CControlUI;
class CPaintManagerUI;
}  // namespace SkinUI

namespace app {

struct MigrationTargetTexts;

// The one-second timer the page runs on "progress3" while a migration is under way; the
// window hands its ticks to OnTimer.
inline constexpr unsigned kMigrationTimerId = 2016;

class MigrationPageView {
  public:
    // Looks up its controls by name in `manager` (the frame has already checked they exist).
    explicit MigrationPageView(SkinUI::CPaintManagerUI& manager);
    // A window that closes mid-migration cancels it and waits for the worker, which stops at
    // its next chunk and deletes the target's half-written table; no thread outlives the page.
    ~MigrationPageView();
    MigrationPageView(const MigrationPageView&) = delete;
    MigrationPageView& operator=(const MigrationPageView&) = delete;

    // The migration branch of RefreshPage: source section, "Refresh" hidden, "Drive_name"
    // disabled with image "res = '213' restype='png'", then the target lines. `target` is the
    // chosen target's record or null.
    void Fill(const disk::DriveList& drives, const migration::SystemDisk& systemDisk,
              const std::wstring& osName, const disk::DriveRecord* target);
    // "itemselect" on "Mig_drive_name".
    void RefreshTargetLines(const disk::DriveRecord* target);
    // "click" on "Button_Start": pre-check (text 87), confirmation (text 81), worker thread and
    // timer 2016 on "progress3", period 1000 ms. `source`/`target` are physical drive numbers.
    void Start(int32_t source, int32_t target);
    // "click" on "Button_Cancel".
    void Cancel();
    // "timer" with id 2016: onMigrationTimer.
    void OnTimer();
    // refreshMigrationPage.
    void Refresh();
    // True while a worker thread exists that has not ended.
    bool Busy() const;

  private:
    SkinUI::CControlUI* Control(std::wstring_view name) const;
    void SetText(std::wstring_view name, const std::wstring& text) const;
    void SetEnabled(std::wstring_view name, bool enabled) const;
    void ShowTargetLines(const MigrationTargetTexts& lines);
    // Disables what would leave the page or change the target while a worker lives, and
    // enables it again after.
    void LockPage();

    SkinUI::CPaintManagerUI& manager_;
    // The final word last shown in a dialog during this run; 0 before the first.
    uint32_t reportedState_ = 0;
    bool cancelRequested_ = false;
    // Last member: destroyed first, so the worker has returned before the rest goes.
    migration::MigrationWorker worker_;
};

}  // namespace app
