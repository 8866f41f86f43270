// The main window on simulated machines: the two drive selectors, page switching with the tab
// tiles, the Disk information and S.M.A.R.T. pages, the volume buttons, Refresh, the menu and
// its about box, the window messages, a skin without a required control, and the routing to the
// migration page.
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "app/main_frame/disk_info_view.h"
#include "app/startup/startup.h"
#include "base/utf8.h"
#include "migration/migration_state.h"
#include "skin/skin_resources.h"
#include "tests/app/main_frame_fixture.h"
#include "tests/support/language_scope.h"
#include "ui/label.h"
#include "ui/layouts.h"
#include "ui/list.h"
#include "ui/menu.h"

namespace app {

namespace {

using namespace SkinUI;

const std::wstring kDataModel = L"Orvel SSD Data 96MB";
const std::wstring kSystemModel = L"Orvel SSD System 64MB";
const std::wstring kBlankModel = L"Orvel SSD Blank 48MB";

constexpr const wchar_t* kTabNames[] = {L"Data_Mig", L"Disk_Info", L"SMART"};

constexpr wchar_t kPlainVolume[] = L"res = '173' restype = 'png'";
constexpr wchar_t kLitVolume[] = L"res = '169' restype = 'png'";

class MainFrameWindowTest : public MainFrameTest {
  protected:
    int ShownTab() { return dynamic_cast<CTabLayoutUI*>(Find(L"setting_Tab"))->GetCurSel(); }
    std::vector<std::wstring> TabTiles() {
        std::vector<std::wstring> tiles;
        for (const wchar_t* tab : kTabNames)
            tiles.push_back(Find(tab)->GetBkImage());
        return tiles;
    }
    // Image 139 is a strip of nine 269-pixel tiles: three for each page on show, one per tab.
    static std::vector<std::wstring> TileSet(int page) {
        std::vector<std::wstring> tiles;
        for (int tile = page * 3; tile < page * 3 + 3; ++tile)
            tiles.push_back(L"res = '139' restype = 'png' source = '" +
                            std::to_wstring(tile * 269) + L",0," +
                            std::to_wstring(tile * 269 + 269) + L",48'");
        return tiles;
    }
    // The letters of the volume buttons on show, and the lit one.
    std::wstring ShownVolumes() {
        std::wstring letters;
        for (wchar_t letter = L'C'; letter <= L'Z'; ++letter) {
            CControlUI* button = Manager().FindControl(VolumeButtonName(letter));
            if (button && button->IsOwnVisible()) letters += letter;
        }
        return letters;
    }
    wchar_t LitVolume() {
        for (wchar_t letter : ShownVolumes())
            if (Find(VolumeButtonName(letter))->GetBkImage() == kLitVolume) return letter;
        return 0;
    }
    std::vector<std::wstring> SmartRow(int index) {
        auto* list = dynamic_cast<CListUI*>(Find(L"listview"));
        auto* row = dynamic_cast<CListTextElementUI*>(list->GetRowAt(index));
        std::vector<std::wstring> texts;
        for (int column = 0; row && column < 7; ++column)
            texts.push_back(row->GetText(column));
        return texts;
    }
    int SmartRowCount() { return dynamic_cast<CListUI*>(Find(L"listview"))->GetRowCount(); }
    // A click on a page tab, as the user gives it: the press moves the focus onto the tab.
    void ClickTab(const wchar_t* tab) { ASSERT_TRUE(Click(tab)); }
    // The focus away from the tabs, onto the drive row, without choosing anything.
    void FocusElsewhere() {
        Manager().SetFocus(Find(L"Refresh"));
        backend_->Advance(0);
    }
};

TEST_F(MainFrameWindowTest, SelectorsOfferEveryDriveButTheSystemDiskAsTarget) {
    LoadFile("app/machines/frame_three.json");
    CMainFrame& frame = OpenFrame();
    ASSERT_TRUE(frame.IsBound());
    EXPECT_EQ(MainWindowHandle, &frame);
    EXPECT_EQ(frame.SystemDisk().physicalDriveId, 1);
    EXPECT_EQ(Items(L"Drive_name"),
              (std::vector<std::wstring>{kDataModel, kSystemModel, kBlankModel}));
    EXPECT_EQ(Combo(L"Drive_name")->GetCurSel(), 1);
    EXPECT_EQ(frame.SelectedDrive(), 1);
    EXPECT_EQ(Items(L"Mig_drive_name"), (std::vector<std::wstring>{kDataModel, kBlankModel}));
    EXPECT_EQ(Combo(L"Mig_drive_name")->GetCurSel(), 0);
    EXPECT_TRUE(Find(L"Mig_drive_name")->IsEnabled());
    EXPECT_EQ(frame.Targets(), (std::vector<int32_t>{0, 2}));
    // Page 0 at start, its selector locked on the system disk, Start ready and Cancel not.
    EXPECT_EQ(frame.CurrentPage(), kPageMigration);
    EXPECT_EQ(ShownTab(), 0);
    EXPECT_FALSE(Find(L"Drive_name")->IsEnabled());
    EXPECT_FALSE(Find(L"Refresh")->IsOwnVisible());
    EXPECT_TRUE(Find(L"Button_Start")->IsEnabled());
    EXPECT_FALSE(Find(L"Button_Cancel")->IsEnabled());
    EXPECT_EQ(TextOf(L"Drive_text"), L"Driver");
    EXPECT_EQ(TextOf(L"Data_Mig"), L"Data Migration");
    EXPECT_EQ(TextOf(L"Disk_Info"), L"Disk Infomation ");
    EXPECT_EQ(TextOf(L"SMART"), L"S.M.A.R.T");
    EXPECT_EQ(Find(L"os_drive")->GetToolTip(), kSystemModel);
    EXPECT_EQ(backend_->WindowOf(frame)->IconSize(), (Size{64, 64}));

    // Another target: the selection is remembered for the migration page.
    Choose(L"Mig_drive_name", 1);
    EXPECT_EQ(Combo(L"Mig_drive_name")->GetCurSel(), 1);
    EXPECT_EQ(TextOf(L"capacityData2").find(GetUiText(90)), 0u);
}

TEST_F(MainFrameWindowTest, WithoutAnotherDriveThereIsNoTarget) {
    LoadFile("app/machines/frame_system_only.json");
    {
        CMainFrame& frame = OpenFrame();
        EXPECT_EQ(Items(L"Drive_name"), std::vector<std::wstring>{L"Orvel SSD Solo 64MB"});
        EXPECT_EQ(Combo(L"Drive_name")->GetCurSel(), 0);
        EXPECT_TRUE(Items(L"Mig_drive_name").empty());
        EXPECT_FALSE(Find(L"Mig_drive_name")->IsEnabled());
        EXPECT_TRUE(frame.Targets().empty());
        EXPECT_FALSE(Find(L"Button_Start")->IsEnabled());
    }
    frame_.reset();
    EXPECT_EQ(MainWindowHandle, nullptr) << "a closed main window is no dialog's parent";

    // A machine without drives: both selectors empty, every page shows no drive.
    Load(R"({"format": "tramsik-machine/1", "os": {"major": 10, "minor": 0}, "drives": []})");
    CMainFrame& empty = OpenFrame();
    ASSERT_TRUE(empty.IsBound());
    EXPECT_TRUE(Items(L"Drive_name").empty());
    EXPECT_TRUE(Items(L"Mig_drive_name").empty());
    EXPECT_FALSE(Find(L"Mig_drive_name")->IsEnabled());
    ClickTab(L"Disk_Info");
    EXPECT_EQ(empty.CurrentPage(), kPageDiskInfo);
    EXPECT_EQ(ShownVolumes(), L"");
    ClickTab(L"SMART");
    EXPECT_EQ(SmartRowCount(), 0);
}

// The system disk is known by its physical drive number, not by its place in the list, and a
// migration goes from that number to the target's.
TEST_F(MainFrameWindowTest, SystemDiskIsKnownAndMigratedByItsDriveNumber) {
    Load(R"({"format": "tramsik-machine/1", "os": {"major": 10, "minor": 0}, "drives": [
        {"physicalDrive": 4, "route": "ata", "size": "32MiB",
         "identify": {"model": "Fourth", "serial": "S4", "firmware": "1"}},
        {"physicalDrive": 9, "route": "ata", "size": "16MiB",
         "identify": {"model": "Ninth", "serial": "S9", "firmware": "1"},
         "layout": {"style": "mbr", "partitions": [{"type": "ntfs", "size": "rest"}]}}],
      "volumes": [{"letter": "C", "fileSystem": "NTFS", "freeBytes": "4MiB",
                   "extents": [{"drive": 9, "partition": 0}]}]})");
    CMainFrame& frame = OpenFrame();
    EXPECT_EQ(frame.SystemDisk().physicalDriveId, 9);
    EXPECT_EQ(Combo(L"Drive_name")->GetCurSel(), 1);
    EXPECT_EQ(Items(L"Mig_drive_name"), std::vector<std::wstring>{L"Fourth"});
    ClickTab(L"Disk_Info");
    Choose(L"Drive_name", 0);
    EXPECT_EQ(TextOf(L"serial_no"), L"Serial No. : S4");
    ClickTab(L"Data_Mig");
    EXPECT_EQ(Combo(L"Drive_name")->GetCurSel(), 1) << "the migration page shows the system disk";
    EXPECT_EQ(frame.SelectedDrive(), 1);

    // A whole migration from drive 9 onto drive 4: the pre-check passes, the confirmation is
    // accepted, and the timer's ticks reach the page until it reports success.
    migration::MigrationState = 0;
    std::vector<std::wstring> messages;
    auto closeWithOk = [&](CMessageDialog& dialog) {
        messages.push_back(Control(dialog, L"msgbox")->GetText());
    };
    WhileShown(closeWithOk, L"okBtn");
    ASSERT_TRUE(Click(L"Button_Start"));
    ASSERT_EQ(messages, std::vector<std::wstring>{GetUiText(81)});
    EXPECT_FALSE(Find(L"Button_Start")->IsEnabled());
    EXPECT_FALSE(Find(L"SMART")->IsEnabled()) << "the pages stay locked while it runs";
    WhileShown(closeWithOk, L"okBtn");
    for (int tick = 0; tick < 3000 && backend_->PendingSteps() > 0; ++tick) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        backend_->Advance(1000);
    }
    ASSERT_EQ(messages.size(), 2u) << "the outcome was reported";
    EXPECT_EQ(messages[1], GetUiText(80));
    EXPECT_EQ(migration::MigrationState.load(), migration::kStateSucceeded);
    EXPECT_TRUE(Find(L"SMART")->IsEnabled());
    migration::MigrationState = 0;
}

TEST_F(MainFrameWindowTest, TabsShowTheirPagesWithTheirTiles) {
    LoadFile("app/machines/frame_three.json");
    CMainFrame& frame = OpenFrame();

    ClickTab(L"Disk_Info");
    EXPECT_EQ(frame.CurrentPage(), kPageDiskInfo);
    EXPECT_EQ(ShownTab(), 1);
    EXPECT_EQ(TabTiles(), TileSet(1));
    for (const wchar_t* tab : kTabNames)
        EXPECT_TRUE(Find(tab)->IsColorHSL());
    EXPECT_TRUE(Find(L"Drive_name")->IsEnabled());
    EXPECT_TRUE(Find(L"Refresh")->IsOwnVisible());
    // The page's texts are the page builder's; here: the system disk's, in their controls.
    EXPECT_EQ(TextOf(L"serial_no"), L"Serial No. : ORV26SYST01");
    EXPECT_EQ(TextOf(L"power_up_time"), L"Power-on Time:  1532hour");
    EXPECT_EQ(dynamic_cast<CLabelUI*>(Find(L"AHCI"))->GetTextColor(), 0x00515151u);
    EXPECT_EQ(Find(L"set_mode")->GetToolTip(), L"Current Mode | Support Mode");
    EXPECT_EQ(Find(L"progress1")->GetToolTip(), L"--------------");
    EXPECT_FALSE(Find(L"used_color")->IsEnabled());
    EXPECT_FALSE(Find(L"free_color")->IsEnabled());
    EXPECT_EQ(dynamic_cast<CComboUI*>(Find(L"Drive_name"))->GetText(), kSystemModel);

    // The tab already shown: nothing is filled again.
    Find(L"serial_no")->SetText(L"marker");
    FocusElsewhere();
    ClickTab(L"Disk_Info");
    EXPECT_EQ(TextOf(L"serial_no"), L"marker");
    EXPECT_EQ(TabTiles(), TileSet(1));

    ClickTab(L"SMART");
    EXPECT_EQ(frame.CurrentPage(), kPageSmart);
    EXPECT_EQ(ShownTab(), 2);
    EXPECT_EQ(TabTiles(), TileSet(2));
    EXPECT_EQ(TextOf(L"Description"), L"Description");
    EXPECT_EQ(TextOf(L"Status"), L"Status");
    ASSERT_EQ(SmartRowCount(), 4);
    EXPECT_EQ(SmartRow(1), (std::vector<std::wstring>{L"09", L"Power-On Hours", L"100", L"100",
                                                      L"0", L"0000000005FC", L"OK"}));
    EXPECT_EQ(SmartRow(3)[5], L"003100150021");
    auto* firstRow = dynamic_cast<CListUI*>(Find(L"listview"))->GetRowAt(0);
    EXPECT_EQ(firstRow->GetFixedHeight(), 40);

    ClickTab(L"Data_Mig");
    EXPECT_EQ(frame.CurrentPage(), kPageMigration);
    EXPECT_EQ(ShownTab(), 0);
    EXPECT_EQ(TabTiles(), TileSet(0));
    EXPECT_FALSE(Find(L"Drive_name")->IsEnabled());
    EXPECT_FALSE(Find(L"Refresh")->IsOwnVisible());
}

TEST_F(MainFrameWindowTest, ChoosingADriveShowsItAndItsVolumes) {
    LoadFile("app/machines/frame_three.json");
    CMainFrame& frame = OpenFrame();
    ClickTab(L"Disk_Info");
    EXPECT_EQ(ShownVolumes(), L"C");
    EXPECT_EQ(LitVolume(), L'C');

    Choose(L"Drive_name", 0);
    EXPECT_EQ(frame.SelectedDrive(), 0);
    EXPECT_EQ(TextOf(L"serial_no"), L"Serial No. : ORV26DATA02");
    EXPECT_EQ(TextOf(L"drive_map"), L"Drive letter:  D\x3001 E ");
    EXPECT_EQ(TextOf(L"power_up_time"), L"Power-on Time:  2048hour");
    EXPECT_EQ(ShownVolumes(), L"DE");
    EXPECT_EQ(LitVolume(), L'D') << "nothing chosen yet: the first volume";
    // Laid out for the 1024 x 728 client: 40 x 25, the first at 787,125 and the next 50 to
    // its left, inside the volume box.
    const Rect box = Find(L"continervolume")->GetPos();
    for (auto [letter, x] : {std::pair{L'D', 787}, std::pair{L'E', 737}}) {
        CControlUI* button = Find(VolumeButtonName(letter));
        EXPECT_EQ(button->GetFixedXY(), (Point{x, 125}));
        EXPECT_EQ(button->GetPos(),
                  (Rect{box.left + x, box.top + 125, box.left + x + 40, box.top + 150}));
        EXPECT_EQ(button->GetText(), std::wstring(1, letter));
    }

    // A clicked volume stays chosen across drives.
    ASSERT_TRUE(Click(VolumeButtonName(L'E')));
    EXPECT_EQ(frame.SelectedVolume(), L'E');
    EXPECT_EQ(LitVolume(), L'E');
    EXPECT_EQ(Find(VolumeButtonName(L'D'))->GetBkImage(), kPlainVolume);
    Choose(L"Drive_name", 1);
    EXPECT_EQ(ShownVolumes(), L"C");
    EXPECT_EQ(LitVolume(), L'C') << "no E here: the first volume";
    EXPECT_EQ(frame.SelectedVolume(), L'E');

    // A drive without volumes (and without attribute 9) shows no button and no hours.
    Choose(L"Drive_name", 2);
    EXPECT_EQ(ShownVolumes(), L"");
    EXPECT_EQ(TextOf(L"drive_map"), L"Drive letter:  ");
    EXPECT_EQ(TextOf(L"power_up_time"), L"Power-on Time:  hour");
    EXPECT_EQ(TextOf(L"power_up_count"), L"Power-on Count:  9Times");

    Choose(L"Drive_name", 0);
    EXPECT_EQ(LitVolume(), L'E');
}

TEST_F(MainFrameWindowTest, LongSerialIsCutAndItsTooltipGoesWithTheDrive) {
    Load(R"({"format": "tramsik-machine/1", "os": {"major": 10, "minor": 0}, "drives": [
        {"physicalDrive": 0, "route": "ata", "size": "16MiB",
         "identify": {"model": "Long Serial", "serial": "ABCDEFGHIJKLMNOPQRST", "firmware": "1"}},
        {"physicalDrive": 1, "route": "ata", "size": "16MiB",
         "identify": {"model": "Short Serial", "serial": "XY12", "firmware": "2"}}]})");
    OpenFrame();
    ClickTab(L"Disk_Info");
    Choose(L"Drive_name", 0);
    EXPECT_EQ(TextOf(L"serial_no"), L"Serial No. : ABCDEFGHIJKL..");
    EXPECT_EQ(Find(L"serial_no")->GetToolTip(), L"ABCDEFGHIJKLMNOPQRST");
    Choose(L"Drive_name", 1);
    EXPECT_EQ(TextOf(L"serial_no"), L"Serial No. : XY12");
    EXPECT_EQ(Find(L"serial_no")->GetToolTip(), L"") << "no serial of an earlier drive";
}

TEST_F(MainFrameWindowTest, RefreshFindsAPluggedDriveAndReturnsToTheSystemDisk) {
    LoadFile("app/machines/frame_three.json");
    CMainFrame& frame = OpenFrame();
    ClickTab(L"Disk_Info");
    Choose(L"Drive_name", 2);
    ASSERT_EQ(frame.SelectedDrive(), 2);

    LoadFile("app/machines/frame_four.json");
    ASSERT_TRUE(Click(L"Refresh"));
    const std::wstring plugged = L"Orvel SSD Plugged 32MB";
    EXPECT_EQ(Items(L"Drive_name"),
              (std::vector<std::wstring>{kDataModel, kSystemModel, kBlankModel, plugged}));
    EXPECT_EQ(Items(L"Mig_drive_name"),
              (std::vector<std::wstring>{kDataModel, kBlankModel, plugged}));
    EXPECT_EQ(frame.SelectedDrive(), 1);
    EXPECT_EQ(Combo(L"Drive_name")->GetCurSel(), 1);
    EXPECT_EQ(TextOf(L"serial_no"), L"Serial No. : ORV26SYST01");
    EXPECT_EQ(ShownVolumes(), L"C");

    // The migration page's own refresh button does the same.
    ClickTab(L"Data_Mig");
    LoadFile("app/machines/frame_three.json");
    ASSERT_TRUE(Click(L"data_mig_refresh"));
    EXPECT_EQ(Items(L"Mig_drive_name"), (std::vector<std::wstring>{kDataModel, kBlankModel}));
    EXPECT_EQ(frame.SelectedDrive(), 1);
}

TEST_F(MainFrameWindowTest, SmartPageInBothLanguagesAndNvmePowerOnTexts) {
    LoadDemo();
    CMainFrame& frame = OpenFrame();
    ClickTab(L"SMART");
    ASSERT_EQ(frame.SelectedDrive(), 0);
    ASSERT_EQ(SmartRowCount(), 14);
    EXPECT_EQ(SmartRow(0), (std::vector<std::wstring>{L"01", L"Raw Read Error Rate", L"100", L"100",
                                                      L"50", L"00000000000000", L"OK"}));
    const std::vector<std::wstring> english = {L"Description", L"Current", L"Worst",
                                               L"Threshold",   L"Raw",     L"Status"};
    const std::vector<std::wstring> chinese = {L"属性名称", L"当前值", L"最差值",
                                               L"临界值",   L"原始值", L"状态"};
    auto headers = [&] {
        std::vector<std::wstring> texts;
        for (const std::wstring& name : english)
            texts.push_back(TextOf(name));
        return texts;
    };
    EXPECT_EQ(headers(), english);
    EXPECT_EQ(TextOf(L"header_ID"), L"ID");
    {
        LanguageScope chineseTexts(1);
        Choose(L"Drive_name", 1);
        EXPECT_EQ(headers(), chinese);
        EXPECT_EQ(SmartRow(0)[6], L"良好");
    }

    // The NVMe drive's power-on facts come from its health log's cycles and hours.
    ClickTab(L"Disk_Info");
    Choose(L"Drive_name", 2);
    EXPECT_EQ(TextOf(L"power_up_count"), L"Power-on Count:  321Times");
    EXPECT_EQ(TextOf(L"power_up_time"), L"Power-on Time:  842hour");
}

TEST_F(MainFrameWindowTest, ChineseCodePageGivesChineseTexts) {
    LoadFile("app/machines/frame_chinese.json");
    SetLanguageFromCodePage();
    ASSERT_EQ(LanguageFlag, 1);
    CMainFrame& frame = OpenFrame();
    EXPECT_EQ(TextOf(L"Data_Mig"), L"数据迁移");
    EXPECT_EQ(TextOf(L"Disk_Info"), L"磁盘信息");
    EXPECT_EQ(TextOf(L"SMART"), L"S.M.A.R.T");
    EXPECT_EQ(TextOf(L"Drive_text"), L"驱动器");
    ClickTab(L"Disk_Info");
    EXPECT_EQ(TextOf(L"serial_no"), L"序列号 : ORV2026SOLO0001");
    EXPECT_EQ(dynamic_cast<CLabelUI*>(Find(L"AHCI"))->GetTextColor(), 0x00DC143Cu);
    (void)frame;
}

// The menu of the title row, in both languages, and what its item does.
TEST_F(MainFrameWindowTest, MenuOpensBelowItsButtonAndItsItemShowsTheAbout) {
    LoadFile("app/machines/frame_system_only.json");
    CMainFrame& frame = OpenFrame();
    for (int language : {0, 1}) {
        LanguageScope scope(language);
        ASSERT_TRUE(Click(L"menubtn"));
        CMenuWnd* menu = nullptr;
        for (headless::HeadlessWindow* window : backend_->Windows())
            if (auto* found = dynamic_cast<CMenuWnd*>(&window->Host())) menu = found;
        ASSERT_NE(menu, nullptr);
        const Rect button = Find(L"menubtn")->GetPos();
        const Rect placed = menu->GetWindowRect();
        EXPECT_EQ((Point{placed.left, placed.top}),
                  frame.ClientToScreen({button.left, button.bottom}));
        CControlUI* item = menu->GetManager().FindControl(L"aboutDlg");
        ASSERT_NE(item, nullptr);
        EXPECT_EQ(item->GetText(), L"关于");

        WhileShown(
            [&](CMessageDialog& about) {
                EXPECT_EQ(Control(about, L"msgbox")->GetText(), GetUiText(85));
                EXPECT_TRUE(Control(about, L"closeBtn")->IsVisible());
                EXPECT_FALSE(Control(about, L"okBtn")->IsVisible());
                EXPECT_EQ(Control(about, L"msgbox")->GetPos().left, 60);
            },
            L"closeBtn");
        ASSERT_TRUE(backend_->ClickControl(item));
        EXPECT_EQ(backend_->PendingSteps(), 0u) << "the about box was shown";
        EXPECT_EQ(OpenDialog(), nullptr);
    }

    // Another name: the string is freed and nothing is shown.
    const size_t windows = backend_->Windows().size();
    EXPECT_EQ(frame.SendMessageW(msg::kMenuClick,
                                 reinterpret_cast<WPARAM>(new std::wstring(L"other")), 0),
              0);
    EXPECT_EQ(backend_->Windows().size(), windows);
    EXPECT_FALSE(CMessageLoop::IsQuitPending()) << "no dialog ran";
}

TEST_F(MainFrameWindowTest, WindowMessagesDragResizeAndDoubleClick) {
    LoadFile("app/machines/frame_three.json");
    CMainFrame& frame = OpenFrame();
    ClickTab(L"Disk_Info");
    Choose(L"Drive_name", 0);
    const Rect before = frame.GetWindowRect();
    ASSERT_EQ(before.Width(), 1024);
    ASSERT_EQ(before.Height(), 728);

    // Dragging: the top 34 pixels except the title row's buttons.
    auto hit = [&](Point client) {
        return frame.SendMessageW(msg::kNcHitTest, 0, MakePointParam(frame.ClientToScreen(client)));
    };
    EXPECT_EQ(hit({400, 10}), hit::kCaption);
    EXPECT_EQ(hit({0, 0}), hit::kCaption);
    EXPECT_EQ(hit({400, 33}), hit::kCaption);
    EXPECT_EQ(hit({400, 34}), hit::kClient);
    EXPECT_EQ(hit({939, 17}), hit::kClient) << "the menu button";
    EXPECT_EQ(hit({1007, 17}), hit::kClient) << "the close button";
    EXPECT_EQ(hit({200, 60}), hit::kClient) << "a page tab";

    // The caption's double click neither maximises nor restores.
    EXPECT_EQ(frame.SendMessageW(msg::kNcLButtonDblClk, hit::kCaption, 0), 0);
    EXPECT_EQ(frame.GetWindowRect(), before);
    EXPECT_FALSE(backend_->WindowOf(frame)->IsMinimized());

    // A display change: the window scaled from 1366 x 768 and centred; the volume buttons made
    // again for the new size.
    EXPECT_EQ(MainFrameSizeFor({1366, 768}), (Size{1024, 728}));
    EXPECT_EQ(MainFrameSizeFor({1920, 1080}), (Size{1439, 1023}));
    EXPECT_EQ(MainFrameSizeFor({1280, 720}), (Size{959, 682}));
    frame.SendMessageW(msg::kDisplayChange, 32, MakePointParam({1920, 1080}));
    backend_->Advance(0);
    const Rect work = backend_->WorkArea();
    EXPECT_EQ(frame.GetWindowRect(),
              (Rect{(work.Width() - 1439) / 2, (work.Height() - 1023) / 2,
                    (work.Width() - 1439) / 2 + 1439, (work.Height() - 1023) / 2 + 1023}));
    EXPECT_EQ(ShownVolumes(), L"DE");
    CControlUI* first = Find(VolumeButtonName(L'D'));
    EXPECT_EQ(first->GetFixedWidth(), 1439 * 40 / 1024);
    EXPECT_EQ(first->GetFixedHeight(), 1023 * 25 / 728);
    EXPECT_EQ(first->GetFixedXY(), (Point{1439 * 787 / 1024, 1023 * 125 / 728}));
    EXPECT_EQ(Find(VolumeButtonName(L'E'))->GetFixedXY(),
              (Point{1439 * 787 / 1024 - 50, 1023 * 125 / 728}));
    EXPECT_EQ(LitVolume(), L'D');
    int buttons = 0;
    auto* box = dynamic_cast<CContainerUI*>(Find(L"continervolume"));
    for (int i = 0; i < box->GetCount(); ++i)
        if (box->GetItemAt(i)->GetName().starts_with(L"Disk ")) ++buttons;
    EXPECT_EQ(buttons, 24) << "the old buttons are gone";

    // The minimise button minimises; the close button closes with result 1.
    ASSERT_TRUE(Click(L"minbtn"));
    EXPECT_TRUE(backend_->WindowOf(frame)->IsMinimized());
    ASSERT_TRUE(Click(L"closebtn"));
    EXPECT_FALSE(frame.IsWindow());
}

// The main skin with one required control renamed.
class BrokenSkinFrame : public CMainFrame {
  public:
    std::wstring GetSkinFile() override {
        const auto bytes = TramsikSkinResources().Find(std::to_wstring(kMainWindowSkin), L"xml");
        std::wstring skin = FromUtf8(bytes.value_or(""));
        const std::wstring name = L"name=\"Refresh\"";
        const size_t at = skin.find(name);
        if (at != std::wstring::npos) skin.replace(at, name.size(), L"name=\"Refreshed\"");
        return skin;
    }
};

TEST_F(MainFrameWindowTest, MissingControlIsReportedAndTheWindowCloses) {
    LoadFile("app/machines/frame_three.json");
    bool shown = false;
    WhileShown(
        [&](CMessageDialog& dialog) {
            shown = true;
            EXPECT_EQ(Control(dialog, L"msgbox")->GetText(), L"Control initialization failed");
            EXPECT_EQ(Control(dialog, L"msgbox")->GetPos().left, 95);
            EXPECT_TRUE(Control(dialog, L"okBtn")->IsVisible());
            EXPECT_FALSE(Control(dialog, L"cancelBtn")->IsVisible());
            EXPECT_EQ(Control(dialog, L"warning")->GetBkImage(),
                      L"res='206' restype='png' source='50,0,100,45'");
        },
        L"okBtn");
    CMainFrame& frame = OpenFrame(std::make_unique<BrokenSkinFrame>());
    EXPECT_TRUE(shown);
    EXPECT_FALSE(frame.IsBound());
    EXPECT_FALSE(frame.IsWindow()) << "closed after the dialog";
    EXPECT_EQ(frame.Drives().Count(), 0) << "no inventory without the controls";
    EXPECT_EQ(MainWindowHandle, nullptr);
}

// What the window hands to the migration page: Start, Cancel and the timer.
TEST_F(MainFrameWindowTest, StartCancelAndTheTimerReachTheMigrationPage) {
    LoadFile("app/machines/frame_three.json");
    CMainFrame& frame = OpenFrame();
    migration::MigrationState = 0;

    // Start with a target asks first; declining starts nothing.
    bool asked = false;
    WhileShown(
        [&](CMessageDialog& dialog) {
            asked = true;
            EXPECT_EQ(Control(dialog, L"msgbox")->GetText(), GetUiText(81));
            EXPECT_TRUE(Control(dialog, L"cancelBtn")->IsVisible());
        },
        L"cancelBtn");
    ASSERT_TRUE(Click(L"Button_Start"));
    EXPECT_TRUE(asked);
    EXPECT_EQ(migration::MigrationState.load(), 0u);
    EXPECT_TRUE(Find(L"Button_Start")->IsEnabled());
    EXPECT_FALSE(Find(L"Button_Cancel")->IsEnabled());
    EXPECT_TRUE(Find(L"Disk_Info")->IsEnabled());

    // Cancel turns a running word into the cancelled one.
    migration::MigrationState = migration::kStateRunning;
    Manager().SendNotify(Find(L"Button_Cancel"), notify::kClick);
    EXPECT_EQ(migration::MigrationState.load(), migration::kStateCancelled);

    // Only the migration timer's tick (2016) reports the outcome.
    Manager().SendNotify(Find(L"progress3"), notify::kTimer, 7);
    EXPECT_FALSE(CMessageLoop::IsQuitPending()) << "no dialog for another timer";
    bool reported = false;
    WhileShown(
        [&](CMessageDialog& dialog) {
            reported = true;
            EXPECT_EQ(Control(dialog, L"msgbox")->GetText(), GetUiText(77));
        },
        L"okBtn");
    Manager().SendNotify(Find(L"progress3"), notify::kTimer, 2016);
    EXPECT_TRUE(reported);
    migration::MigrationState = 0;
    (void)frame;
}

}  // namespace

}  // namespace app
