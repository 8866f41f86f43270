// The program's main window: binds the skin's controls, takes the drive inventory, fills the
// two drive selectors, switches between the Data migration, Disk information and S.M.A.R.T.
// pages and routes every notification to the page it concerns.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "app/main_frame/xml_wnd.h"
#include "app/pages/disk_info_page.h"
#include "disk/attribute_names.h"
#include "migration/system_disk.h"
#include "ui/menu.h"

namespace disk {
class CAtaSmart;
}  // namespace disk

namespace app {

class MigrationPageView;

// The pages, as the tab layout "setting_Tab" holds them.
enum MainFramePage : int32_t {
    kPageMigration = 0,
    kPageDiskInfo = 1,
    kPageSmart = 2,
};

// The main window's size the skin is drawn for; a display change scales it from a screen of
// kDesignScreen.
inline constexpr SkinUI::Size kMainFrameSize{1024, 728};
inline constexpr SkinUI::Size kDesignScreen{1366, 768};

// The main window's styles: popup, visible, clipping siblings and children, caption and system
// menu; and a window edge.
inline constexpr SkinUI::UINT kMainFrameStyle = 0x96C80000;
inline constexpr SkinUI::UINT kMainFrameExStyle = 0x00000100;

// The window size for a screen of `screen`: scaled by 1024/1366 and 728/768, truncated.
SkinUI::Size MainFrameSizeFor(SkinUI::Size screen);

class CMainFrame : public XMLWnd {
  public:
    CMainFrame();
    ~CMainFrame() override;

    std::wstring GetSkinFile() override;
    SkinUI::UILIB_RESOURCETYPE GetResourceType() const override { return SkinUI::UILIB_RESOURCE; }
    void InitWindow() override;
    void Notify(SkinUI::TNotifyUI& msg) override;

    // Shows the current page for record `driveIndex` of the drive list.
    void RefreshPage(int32_t driveIndex);
    // Rebuilds the items of "Drive_name" (every drive, the system disk selected) and
    // "Mig_drive_name" (every other drive, the first selected; disabled when there is none).
    void FillDriveSelectors();
    // Entering the migration page: the system disk in "Drive_name" and a valid target.
    void RestoreMigrationSelection();
    // Takes the inventory again and shows it.
    void Reinventory();

    // What the window shows, for the pages and for checks.
    const disk::DriveList& Drives() const;
    const migration::SystemDisk& SystemDisk() const { return systemDisk_; }
    int32_t CurrentPage() const { return currentPage_; }
    int32_t SelectedDrive() const { return selectedDrive_; }
    wchar_t SelectedVolume() const { return selectedVolume_; }
    // The drive list indexes offered as migration targets, in "Mig_drive_name" order.
    const std::vector<int32_t>& Targets() const { return targets_; }
    // False when the skin lacked a required control: the window then closes and does nothing.
    bool IsBound() const { return migrationView_ != nullptr; }

  protected:
    SkinUI::LRESULT HandleMessage(SkinUI::UINT message, SkinUI::WPARAM wParam,
                                  SkinUI::LPARAM lParam) override;
    SkinUI::LRESULT HandleCustomMessage(SkinUI::UINT message, SkinUI::WPARAM wParam,
                                        SkinUI::LPARAM lParam, bool& handled) override;
    SkinUI::LRESULT OnNcHitTest(SkinUI::UINT message, SkinUI::WPARAM wParam, SkinUI::LPARAM lParam,
                                bool& handled) override;

  private:
    // Notification handlers, chosen by the routing table.
    void OnSystemButton(SkinUI::TNotifyUI& msg);
    void OnRefresh(SkinUI::TNotifyUI& msg);
    void OnStart(SkinUI::TNotifyUI& msg);
    void OnCancel(SkinUI::TNotifyUI& msg);
    void OnMenu(SkinUI::TNotifyUI& msg);
    void OnVolumeClick(SkinUI::TNotifyUI& msg);
    void OnTimer(SkinUI::TNotifyUI& msg);
    void OnDriveSelected(SkinUI::TNotifyUI& msg);
    void OnTargetSelected(SkinUI::TNotifyUI& msg);
    void OnEnterPage(SkinUI::TNotifyUI& msg);

    void EnterPage(int32_t page);
    void FillSmartList(int32_t driveIndex);
    // The page model of the Disk information page for a record, with the current power-on
    // texts and volume choice.
    DiskInfoPage DiskInfoOf(const disk::DriveRecord& record) const;
    // Lays out the volume buttons of record `driveIndex` and highlights the chosen volume; none
    // for an index outside the list.
    void ShowVolumes(int32_t driveIndex);
    void OnDisplayChange(SkinUI::LPARAM lParam);

    // Record `index` of the list, or null outside it.
    const disk::DriveRecord* Drive(int32_t index) const;
    // The list index of the system disk, -1 when the list does not hold it.
    int32_t SystemDiskIndex() const;
    // The record chosen in "Mig_drive_name", or null.
    const disk::DriveRecord* Target() const;
    SkinUI::Size VolumeReference() const;

    std::unique_ptr<disk::CAtaSmart> engine_;
    disk::AttributeNameTables names_;
    // Destroyed before the window base's paint manager: it waits for a running worker while
    // the controls it touches still exist.
    std::unique_ptr<MigrationPageView> migrationView_;
    migration::SystemDisk systemDisk_;
    int32_t currentPage_ = kPageMigration;
    int32_t selectedDrive_ = 0;
    int32_t targetIndex_ = 0;
    std::vector<int32_t> targets_;
    wchar_t selectedVolume_ = L'A';  // 'A': none chosen yet
    PowerOnTexts powerOn_;
    SkinUI::MenuCheckMap menuChecks_;
};

}  // namespace app
