#include "app/main_frame/main_frame.h"

#include <array>
#include <cwctype>
#include <string_view>

#include "app/dialog/message_dialog.h"
#include "app/main_frame/control_bindings.h"
#include "app/main_frame/disk_info_view.h"
#include "app/main_frame/migration_view.h"
#include "app/main_frame/smart_list_view.h"
#include "app/pages/migration_page.h"
#include "base/log.h"
#include "base/text_rows.h"
#include "base/ui_text.h"
#include "disk/ata_smart.h"
#include "disk/controller_map.h"
#include "migration/volume_space.h"
#include "skin/skin_resources.h"
#include "ui/combo.h"
#include "ui/layouts.h"
#include "ui/list.h"

namespace app {

using disk::CAtaSmart;
using disk::DriveList;
using disk::DriveRecord;

using namespace SkinUI;

namespace {

constexpr wchar_t kDriveSelector[] = L"Drive_name";
constexpr wchar_t kTargetSelector[] = L"Mig_drive_name";
constexpr wchar_t kTabLayout[] = L"setting_Tab";

// Where each notification goes: the first row whose type and sender match. "setfocus"
// compares the sender's name without regard to case, the others exactly; an empty sender
// matches any control.
struct Route {
    std::wstring_view type;
    std::wstring_view sender;
    void (CMainFrame::*handle)(TNotifyUI&);
};

// The page tabs, in page order, and the tile of image 139 each shows on each page: on page N
// the set N, in which tab N is drawn active.
constexpr std::array<std::wstring_view, 3> kTabs = {L"Data_Mig", L"Disk_Info", L"SMART"};

struct PageLook {
    std::array<std::wstring_view, 3> slices;  // for the tabs of kTabs, in that order
    // The framework's HSL colouring on the three tabs.
    bool colourAdjust = false;
    // The S.M.A.R.T. rows are read first, so the page shows this drive's power-on texts.
    bool powerOnFromSmartList = false;
};

constexpr PageLook kPageLooks[] = {
    {{L"0,0,269,48", L"269,0,538,48", L"538,0,807,48"}, false, false},
    {{L"807,0,1076,48", L"1076,0,1345,48", L"1345,0,1614,48"}, true, true},
    {{L"1614,0,1883,48", L"1883,0,2152,48", L"2152,0,2421,48"}, false, false},
};

// The texts every page sets on the tab strip and the drive row.
struct FixedText {
    std::wstring_view control;
    int row;
};
constexpr FixedText kFixedTexts[] = {
    {L"Disk_Info", text_rows::kDiskInfoTab},
    {L"SMART", text_rows::kSmartTab},
    {L"Data_Mig", text_rows::kMigrationTab},
    {L"Drive_text", text_rows::kDriveLabel},
};

constexpr int kSelectorItemFont = 3;
constexpr int kSelectorItemHeight = 20;
constexpr uint32_t kTargetSelectedTextColour = 0x00FF0000;

// The message dialogs of the window.
constexpr int kControlsMissingTextX = 95;
constexpr int kAboutTextX = 60;
constexpr wchar_t kAboutItem[] = L"aboutDlg";

bool SameIgnoringCase(std::wstring_view a, std::wstring_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (std::towlower(a[i]) != std::towlower(b[i])) return false;
    return true;
}

bool SenderMatches(const TNotifyUI& msg, std::wstring_view name) {
    if (name.empty()) return true;
    const std::wstring& sender = msg.sender->GetName();
    return msg.type == notify::kSetFocus ? SameIgnoringCase(sender, name) : sender == name;
}

std::wstring TabTile(std::wstring_view source) {
    return L"res = '139' restype = 'png' source = '" + std::wstring(source) + L"'";
}

}  // namespace

Size MainFrameSizeFor(Size screen) {
    return {screen.cx * kMainFrameSize.cx / kDesignScreen.cx,
            screen.cy * kMainFrameSize.cy / kDesignScreen.cy};
}

CMainFrame::CMainFrame() : engine_(std::make_unique<CAtaSmart>()) {
    migration::AttachDiskSpace(*engine_);
    systemDisk_.letter = L'C';
}

CMainFrame::~CMainFrame() {
    // Dialogs shown after this window has gone have no parent.
    if (MainWindowHandle == this) MainWindowHandle = nullptr;
}

std::wstring CMainFrame::GetSkinFile() {
    return std::to_wstring(kMainWindowSkin);
}

void CMainFrame::InitWindow() {
    SetIcon(kWindowIcon);
    names_.BuildAttributeNameTables();
    StartLog();
    const std::vector<std::wstring> unbound =
        FindUnboundControls(paintManager_, MainFrameBindings());
    if (!unbound.empty()) {
        for (const std::wstring& name : unbound)
            WriteLog(L"CMainFrame::InitWindow - control %ls not found\n", name.c_str());
        CMessageDialog dialog;
        ShowMessage(dialog, GetUiText(text_rows::kControlsMissing), kControlsMissingTextX,
                    kMessageOk, kIconError);
        // The pages cannot work without their controls: the window closes, and the program
        // with it.
        Close(1);
        return;
    }
    CreateVolumeButtons(paintManager_, VolumeReference());
    migrationView_ = std::make_unique<MigrationPageView>(paintManager_);
    migrationView_->Refresh();
    if (const wchar_t letter = migration::SystemDriveLetter(); letter != 0)
        systemDisk_.letter = letter;
    currentPage_ = kPageMigration;
    paintManager_.FindControl(L"Button_Start")->SetEnabled(true);
    paintManager_.FindControl(L"Button_Cancel")->SetEnabled(false);
    MainWindowHandle = this;
    // The first inventory runs the same steps as every later one.
    Reinventory();
}

void CMainFrame::Notify(TNotifyUI& msg) {
    if (!IsBound() || msg.sender == nullptr) return;
    static constexpr Route kRoutes[] = {
        {notify::kTimer, L"", &CMainFrame::OnTimer},
        {notify::kClick, L"closebtn", &CMainFrame::OnSystemButton},
        {notify::kClick, L"minbtn", &CMainFrame::OnSystemButton},
        {notify::kClick, L"Refresh", &CMainFrame::OnRefresh},
        {notify::kClick, L"data_mig_refresh", &CMainFrame::OnRefresh},
        {notify::kClick, L"Button_Start", &CMainFrame::OnStart},
        {notify::kClick, L"Button_Cancel", &CMainFrame::OnCancel},
        {notify::kClick, L"menubtn", &CMainFrame::OnMenu},
        {notify::kClick, L"", &CMainFrame::OnVolumeClick},
        {notify::kItemSelect, kDriveSelector, &CMainFrame::OnDriveSelected},
        {notify::kItemSelect, kTargetSelector, &CMainFrame::OnTargetSelected},
        {notify::kSetFocus, L"Data_Mig", &CMainFrame::OnEnterPage},
        {notify::kSetFocus, L"Disk_Info", &CMainFrame::OnEnterPage},
        {notify::kSetFocus, L"SMART", &CMainFrame::OnEnterPage},
    };
    for (const Route& route : kRoutes) {
        if (msg.type != route.type || !SenderMatches(msg, route.sender)) continue;
        (this->*route.handle)(msg);
        return;
    }
}

void CMainFrame::OnSystemButton(TNotifyUI& msg) {
    // The window base closes with result 1 and minimises through the system command.
    XMLWnd::Notify(msg);
}

void CMainFrame::OnRefresh(TNotifyUI&) {
    Reinventory();
}

void CMainFrame::OnStart(TNotifyUI&) {
    // Start is disabled without a target; the view gets physical drive numbers only.
    if (const DriveRecord* target = Target())
        migrationView_->Start(systemDisk_.physicalDriveId, target->Address.physicalDriveId);
}

void CMainFrame::OnCancel(TNotifyUI&) {
    migrationView_->Cancel();
}

void CMainFrame::OnMenu(TNotifyUI& msg) {
    const Rect& button = msg.sender->GetPos();
    auto* menu = new CMenuWnd();  // deletes itself when it closes
    menu->Init(nullptr, std::to_wstring(kMenuSkin), ClientToScreen({button.left, button.bottom}),
               &paintManager_, &menuChecks_, menu_align::kLeft | menu_align::kTop);
}

void CMainFrame::OnVolumeClick(TNotifyUI& msg) {
    // Only a shown volume button chooses a volume: the sender must be "Disk <letter>" itself.
    const std::wstring& name = msg.sender->GetName();
    if (name.empty()) return;
    const wchar_t letter = name.back();
    if (name != VolumeButtonName(letter) || !msg.sender->IsVisible()) return;
    selectedVolume_ = letter;
    if (const DriveRecord* record = Drive(selectedDrive_))
        HighlightVolume(paintManager_, DiskInfoOf(*record).volumes);
}

void CMainFrame::OnTimer(TNotifyUI& msg) {
    if (msg.wParam == kMigrationTimerId) migrationView_->OnTimer();
}

void CMainFrame::OnDriveSelected(TNotifyUI& msg) {
    selectedDrive_ = static_cast<CComboUI*>(msg.sender)->GetCurSel();
    FillSmartList(selectedDrive_);
    RefreshPage(selectedDrive_);
    ShowVolumes(selectedDrive_);
}

void CMainFrame::OnTargetSelected(TNotifyUI& msg) {
    targetIndex_ = static_cast<CComboUI*>(msg.sender)->GetCurSel();
    migrationView_->RefreshTargetLines(Target());
}

void CMainFrame::OnEnterPage(TNotifyUI& msg) {
    for (size_t page = 0; page < kTabs.size(); ++page)
        if (SameIgnoringCase(msg.sender->GetName(), kTabs[page]))
            EnterPage(static_cast<int32_t>(page));
}

void CMainFrame::EnterPage(int32_t page) {
    auto* tabs = dynamic_cast<CTabLayoutUI*>(paintManager_.FindControl(kTabLayout));
    if (tabs == nullptr || tabs->GetCurSel() == page) return;
    tabs->SelectItem(page);
    if (page == kPageMigration)
        RestoreMigrationSelection();
    else
        static_cast<CComboUI*>(paintManager_.FindControl(kDriveSelector))
            ->SelectItem(selectedDrive_);
    currentPage_ = page;
    const PageLook& look = kPageLooks[page];
    for (size_t tab = 0; tab < kTabs.size(); ++tab) {
        CControlUI* option = paintManager_.FindControl(kTabs[tab]);
        option->SetBkImage(TabTile(look.slices[tab]));
        if (look.colourAdjust) option->SetColorHSL(true);
    }
    if (look.powerOnFromSmartList) FillSmartList(selectedDrive_);
    RefreshPage(page == kPageMigration ? SystemDiskIndex() : selectedDrive_);
}

void CMainFrame::RefreshPage(int32_t driveIndex) {
    for (const FixedText& text : kFixedTexts)
        paintManager_.FindControl(text.control)->SetText(GetUiText(text.row));
    auto* drives = static_cast<CComboUI*>(paintManager_.FindControl(kDriveSelector));
    drives->SelectItem(driveIndex);
    drives->SetEnabled(true);
    paintManager_.FindControl(L"Refresh")->SetVisible(true);
    switch (currentPage_) {
        case kPageMigration:
            migrationView_->Fill(Drives(), systemDisk_, engine_->GetOsName(), Target());
            break;
        case kPageDiskInfo:
            if (const DriveRecord* record = Drive(driveIndex))
                FillDiskInfoPage(paintManager_, DiskInfoOf(*record));
            ShowVolumes(driveIndex);
            break;
        case kPageSmart:
            SetDriveSelectorImages(paintManager_);
            SetSmartHeaderTexts(paintManager_);
            FillSmartList(driveIndex);
            break;
        default:
            break;
    }
}

void CMainFrame::FillDriveSelectors() {
    targets_.clear();
    auto* drives = static_cast<CComboUI*>(paintManager_.FindControl(kDriveSelector));
    auto* targets = static_cast<CComboUI*>(paintManager_.FindControl(kTargetSelector));
    drives->RemoveAll();
    targets->RemoveAll();
    drives->SetItemFont(kSelectorItemFont);
    targets->SetItemFont(kSelectorItemFont);
    targets->SetSelectedItemTextColor(kTargetSelectedTextColour);
    targets_ = MigrationTargets(Drives(), systemDisk_);
    const auto addItem = [](CComboUI& selector, const DriveRecord& record) {
        auto* item = new CListLabelElementUI();
        item->SetText(record.Model);
        item->SetFixedHeight(kSelectorItemHeight);
        item->SetFixedWidth(0);
        selector.Add(item);
    };
    for (int32_t index = 0; index < Drives().Count(); ++index)
        addItem(*drives, Drives()[index]);
    for (int32_t index : targets_)
        addItem(*targets, Drives()[index]);
    // Selected once both lists are complete: the selection runs the "Drive_name" handler,
    // which fills the current page.
    if (const int32_t system = SystemDiskIndex(); system >= 0) drives->SelectItem(system);
    targets->SetEnabled(!targets_.empty());
    targetIndex_ = 0;
    targets->SelectItem(0);
}

void CMainFrame::RestoreMigrationSelection() {
    if (const int32_t system = SystemDiskIndex(); system >= 0)
        static_cast<CComboUI*>(paintManager_.FindControl(kDriveSelector))->SelectItem(system);
    auto* targets = static_cast<CComboUI*>(paintManager_.FindControl(kTargetSelector));
    if (targetIndex_ + 1 > targets->GetCount()) targetIndex_ = 0;
    targets->SelectItem(targetIndex_);
}

void CMainFrame::Reinventory() {
    engine_->Init();
    migration::getSystemDisk(Drives(), systemDisk_);
    FillDriveSelectors();
    RefreshPage(selectedDrive_);
    ShowVolumes(selectedDrive_);
}

const DriveList& CMainFrame::Drives() const {
    return engine_->vars;
}

void CMainFrame::FillSmartList(int32_t driveIndex) {
    powerOn_ = app::FillSmartList(paintManager_, Drive(driveIndex), names_);
}

DiskInfoPage CMainFrame::DiskInfoOf(const DriveRecord& record) const {
    return BuildDiskInfoPage(record, powerOn_, engine_->Controllers.ahciMode, selectedVolume_);
}

void CMainFrame::ShowVolumes(int32_t driveIndex) {
    const DriveRecord* record = Drive(driveIndex);
    const std::vector<VolumeButton> volumes =
        record ? DiskInfoOf(*record).volumes : std::vector<VolumeButton>{};
    LayoutVolumeButtons(paintManager_, volumes, VolumeReference());
    HighlightVolume(paintManager_, volumes);
}

const DriveRecord* CMainFrame::Drive(int32_t index) const {
    return index >= 0 && index < Drives().Count() ? &Drives()[index] : nullptr;
}

int32_t CMainFrame::SystemDiskIndex() const {
    for (int32_t index = 0; index < Drives().Count(); ++index)
        if (Drives()[index].Address.physicalDriveId == systemDisk_.physicalDriveId) return index;
    return -1;
}

const DriveRecord* CMainFrame::Target() const {
    if (targetIndex_ < 0 || static_cast<size_t>(targetIndex_) >= targets_.size()) return nullptr;
    return &Drives()[targets_[static_cast<size_t>(targetIndex_)]];
}

Size CMainFrame::VolumeReference() const {
    const Rect client = GetClientRect();
    return {client.Width(), client.Height()};
}

LRESULT CMainFrame::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    // The base swallows the caption's double click (msg::kNcLButtonDblClk): the window is
    // never maximised or restored by it.
    if (message == msg::kDisplayChange) {
        OnDisplayChange(lParam);
        return 0;
    }
    return XMLWnd::HandleMessage(message, wParam, lParam);
}

void CMainFrame::OnDisplayChange(LPARAM lParam) {
    // The message carries the new screen size, width in the low word and height in the next.
    Size screen{static_cast<int>(lParam & 0xFFFF), static_cast<int>((lParam >> 16) & 0xFFFF)};
    if (screen.cx == 0 || screen.cy == 0) {
        const Rect work = GetBackend().WorkArea();
        screen = {work.Width(), work.Height()};
    }
    const Size size = MainFrameSizeFor(screen);
    const Rect window = GetWindowRect();
    MoveWindow({window.left, window.top, window.left + size.cx, window.top + size.cy});
    CenterWindow();
    if (!IsBound()) return;
    CreateVolumeButtons(paintManager_, VolumeReference());
    ShowVolumes(selectedDrive_);
}

LRESULT CMainFrame::HandleCustomMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) {
    (void)lParam;
    handled = false;
    if (message != msg::kMenuClick) return 0;
    // The menu hands over a string of its own; it is freed here whatever it names.
    std::unique_ptr<std::wstring> item(reinterpret_cast<std::wstring*>(wParam));
    if (item && *item == kAboutItem) {
        CMessageDialog about;
        ShowMessage(about, GetUiText(text_rows::kAboutText), kAboutTextX, kMessageCloseButton,
                    kIconNone);
    }
    return 0;
}

LRESULT CMainFrame::OnNcHitTest(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) {
    (void)message;
    (void)wParam;
    handled = true;
    return CaptionHitTest(PointFromParam(lParam), {L"ButtonUI", L"OptionUI"});
}

}  // namespace app
