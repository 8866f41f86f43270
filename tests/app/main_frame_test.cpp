// The main window on simulated machines: its selectors, tabs, pages, volume buttons, menu and
// window messages, a skin without a required control, and the routing to the migration page.
#include <gtest/gtest.h>

#include <cwctype>
#include <string>
#include <vector>

#include "app/main_frame/disk_info_view.h"
#include "base/utf8.h"
#include "migration/migration_state.h"
#include "skin/skin_resources.h"
#include "tests/app/app_fixture.h"
#include "tests/support/language_scope.h"
#include "ui/label.h"
#include "ui/layouts.h"
#include "ui/list.h"
#include "ui/menu.h"

namespace app {

namespace {

using namespace SkinUI;
using Texts = std::vector<std::wstring>;

const std::wstring kDataModel = L"Orvel SSD Data 96MB";
const std::wstring kSystemModel = L"Orvel SSD System 64MB";
const std::wstring kBlankModel = L"Orvel SSD Blank 48MB";

constexpr wchar_t kLitVolume[] = L"res = '169' restype = 'png'";

class MainFrameWindowTest : public MainFrameTest {
  protected:
    // The page on show as the frame, the tab layout, the tiles and the drive row tell it.
    // Image 139 is a strip of nine 269-pixel tiles: three for each page on show, one per tab.
    void ExpectPage(int page) {
        EXPECT_EQ(frame_->CurrentPage(), page);
        EXPECT_EQ(dynamic_cast<CTabLayoutUI*>(Find(L"setting_Tab"))->GetCurSel(), page);
        int tile = page * 3;
        for (const wchar_t* tab : {L"Data_Mig", L"Disk_Info", L"SMART"}) {
            std::wstring image = Find(tab)->GetBkImage();
            std::erase(image, L' ');  // the skin writes it without spaces, the window with
            EXPECT_EQ(image, L"res='139'restype='png'source='" + std::to_wstring(tile * 269) +
                                 L",0," + std::to_wstring(tile * 269 + 269) + L",48'");
            ++tile;
        }
        EXPECT_EQ(Find(L"Drive_name")->IsEnabled(), page != kPageMigration);
        EXPECT_EQ(Find(L"Refresh")->IsOwnVisible(), page != kPageMigration);
    }
    // The letters of the volume buttons on show, the lit one in upper case.
    std::wstring ShownVolumes() {
        std::wstring letters;
        for (wchar_t letter = L'C'; letter <= L'Z'; ++letter) {
            CControlUI* button = Manager().FindControl(VolumeButtonName(letter));
            if (button && button->IsOwnVisible())
                letters += button->GetBkImage() == kLitVolume
                               ? letter
                               : static_cast<wchar_t>(towlower(letter));
        }
        return letters;
    }
    Texts SmartRow(int index) {
        auto* row = dynamic_cast<CListTextElementUI*>(
            dynamic_cast<CListUI*>(Find(L"listview"))->GetRowAt(index));
        Texts texts;
        for (int column = 0; row && column < 7; ++column)
            texts.push_back(row->GetText(column));
        return texts;
    }
    int SmartRowCount() { return dynamic_cast<CListUI*>(Find(L"listview"))->GetRowCount(); }
    Texts TextsOf(std::initializer_list<const wchar_t*> names) {
        Texts texts;
        for (const wchar_t* name : names)
            texts.push_back(TextOf(name));
        return texts;
    }
    // The named controls that are enabled, in the order asked.
    std::wstring Enabled(std::initializer_list<const wchar_t*> names) {
        std::wstring on;
        for (const wchar_t* name : names)
            if (Find(name)->IsEnabled()) on += std::wstring(on.empty() ? L"" : L" ") + name;
        return on;
    }
    // The next message dialog's text is recorded and the dialog closed with `button`.
    void Record(std::vector<std::wstring>& texts, const wchar_t* button = L"okBtn") {
        WhileShown(
            [&](CMessageDialog& dialog) { texts.push_back(Control(dialog, L"msgbox")->GetText()); },
            button);
    }
};

TEST_F(MainFrameWindowTest, SelectorsOfferEveryDriveButTheSystemDiskAsTarget) {
    LoadFile("app/machines/frame_three.json");
    CMainFrame& frame = OpenFrame();
    ASSERT_TRUE(frame.IsBound());
    EXPECT_EQ(MainWindowHandle, &frame);
    EXPECT_EQ(frame.SystemDisk().physicalDriveId, 1);
    EXPECT_EQ(Items(L"Drive_name"), (Texts{kDataModel, kSystemModel, kBlankModel}));
    EXPECT_EQ(Combo(L"Drive_name")->GetCurSel(), 1);
    EXPECT_EQ(Items(L"Mig_drive_name"), (Texts{kDataModel, kBlankModel}));
    EXPECT_EQ(Combo(L"Mig_drive_name")->GetCurSel(), 0);
    ExpectPage(kPageMigration);
    EXPECT_EQ(Enabled({L"Mig_drive_name", L"Button_Start", L"Button_Cancel"}),
              L"Mig_drive_name Button_Start");
    EXPECT_EQ(backend_->WindowOf(frame)->IconSize(), (Size{64, 64}));

    // Another target: the selection is remembered for the migration page.
    Choose(L"Mig_drive_name", 1);
    EXPECT_EQ(TextOf(L"capacityData2").find(GetUiText(90)), 0u);
}

TEST_F(MainFrameWindowTest, WithoutAnotherDriveThereIsNoTarget) {
    LoadFile("app/machines/frame_system_only.json");
    {
        CMainFrame& frame = OpenFrame();
        EXPECT_EQ(Items(L"Drive_name"), Texts{L"Orvel SSD Solo 64MB"});
        EXPECT_EQ(Combo(L"Drive_name")->GetCurSel(), 0);
        EXPECT_TRUE(frame.Targets().empty());
        EXPECT_EQ(Enabled({L"Mig_drive_name", L"Button_Start"}), L"");
    }
    frame_.reset();
    EXPECT_EQ(MainWindowHandle, nullptr) << "a closed main window is no dialog's parent";

    // A machine without drives: both selectors empty, every page shows no drive.
    Load(R"({"format": "tramsik-machine/1", "os": {"major": 10, "minor": 0}, "drives": []})");
    CMainFrame& empty = OpenFrame();
    EXPECT_TRUE(Items(L"Mig_drive_name").empty());
    EXPECT_EQ(Enabled({L"Mig_drive_name"}), L"");
    ASSERT_TRUE(Click(L"Disk_Info"));
    EXPECT_EQ(empty.CurrentPage(), kPageDiskInfo);
    EXPECT_EQ(ShownVolumes(), L"");
    ASSERT_TRUE(Click(L"SMART"));
    EXPECT_EQ(SmartRowCount(), 0);
}

// The system disk is known by its physical drive number, not by its place in the list, and a
// migration goes from that number to the target's.
TEST_F(MainFrameWindowTest, SystemDiskIsKnownAndMigratedByItsDriveNumber) {
    Load(R"({"format": "tramsik-machine/1", "os": {"major": 10, "minor": 0}, "drives": [
        {"physicalDrive": 4, "route": "ata", "size": "32MiB",
         "identify": {"model": "Fourth", "serial": "ABCDEFGHIJKLMNOPQRST", "firmware": "1"}},
        {"physicalDrive": 9, "route": "ata", "size": "16MiB",
         "identify": {"model": "Ninth", "serial": "S9", "firmware": "1"},
         "layout": {"style": "mbr", "partitions": [{"type": "ntfs", "size": "rest"}]}}],
      "volumes": [{"letter": "C", "fileSystem": "NTFS", "freeBytes": "4MiB",
                   "extents": [{"drive": 9, "partition": 0}]}]})");
    CMainFrame& frame = OpenFrame();
    EXPECT_EQ(frame.SystemDisk().physicalDriveId, 9);
    EXPECT_EQ(Combo(L"Drive_name")->GetCurSel(), 1);
    EXPECT_EQ(Items(L"Mig_drive_name"), Texts{L"Fourth"});
    ASSERT_TRUE(Click(L"Disk_Info"));
    // A long serial's tooltip goes with its drive (the cut is the page builder's).
    Choose(L"Drive_name", 0);
    EXPECT_EQ(Find(L"serial_no")->GetToolTip(), L"ABCDEFGHIJKLMNOPQRST");
    Choose(L"Drive_name", 1);
    EXPECT_EQ(Find(L"serial_no")->GetToolTip(), L"") << "no serial of an earlier drive";
    Choose(L"Drive_name", 0);
    ASSERT_TRUE(Click(L"Data_Mig"));
    EXPECT_EQ(Combo(L"Drive_name")->GetCurSel(), 1) << "the migration page shows the system disk";
    EXPECT_EQ(frame.SelectedDrive(), 1);

    // A migration from drive 9 onto drive 4: the pre-check passes (a wrong number would fail
    // it) and the confirmation is accepted; closing the window cancels it and waits.
    migration::MigrationState = 0;
    std::vector<std::wstring> messages;
    Record(messages);
    ASSERT_TRUE(Click(L"Button_Start"));
    ASSERT_EQ(messages, Texts{GetUiText(81)});
    EXPECT_EQ(Enabled({L"Button_Start", L"SMART"}), L"") << "the pages stay locked while it runs";
    frame_.reset();
    migration::MigrationState = 0;
}

TEST_F(MainFrameWindowTest, TabsShowTheirPagesWithTheirTiles) {
    LoadFile("app/machines/frame_three.json");
    OpenFrame();

    ASSERT_TRUE(Click(L"Disk_Info"));
    ExpectPage(kPageDiskInfo);
    for (const wchar_t* tab : {L"Data_Mig", L"Disk_Info", L"SMART"})
        EXPECT_TRUE(Find(tab)->IsColorHSL());
    // The page's texts are the page builder's; here: the system disk's, in their controls.
    EXPECT_EQ(TextsOf({L"serial_no", L"power_up_time", L"Drive_name"}),
              (Texts{L"Serial No. : ORV26SYST01", L"Power-on Time:  1532hour", kSystemModel}));
    EXPECT_EQ(Find(L"progress1")->GetToolTip(), L"--------------");
    EXPECT_EQ(Enabled({L"used_color", L"free_color"}), L"");

    // The tab already shown, clicked with the focus elsewhere: nothing is filled again.
    Find(L"serial_no")->SetText(L"marker");
    Manager().SetFocus(Find(L"Refresh"));
    backend_->Advance(0);
    ASSERT_TRUE(Click(L"Disk_Info"));
    EXPECT_EQ(TextOf(L"serial_no"), L"marker");
    ExpectPage(kPageDiskInfo);

    ASSERT_TRUE(Click(L"SMART"));
    ExpectPage(kPageSmart);
    ASSERT_EQ(SmartRowCount(), 4);
    EXPECT_EQ(SmartRow(1),
              (Texts{L"09", L"Power-On Hours", L"100", L"100", L"0", L"0000000005FC", L"OK"}));
    EXPECT_EQ(dynamic_cast<CListUI*>(Find(L"listview"))->GetRowAt(0)->GetFixedHeight(), 40);

    ASSERT_TRUE(Click(L"Data_Mig"));
    ExpectPage(kPageMigration);
}

TEST_F(MainFrameWindowTest, ChoosingADriveShowsItAndItsVolumes) {
    LoadFile("app/machines/frame_three.json");
    CMainFrame& frame = OpenFrame();
    ASSERT_TRUE(Click(L"Disk_Info"));
    EXPECT_EQ(ShownVolumes(), L"C");

    Choose(L"Drive_name", 0);
    EXPECT_EQ(TextsOf({L"serial_no", L"drive_map"}),
              (Texts{L"Serial No. : ORV26DATA02", L"Drive letter:  D\x3001 E "}));
    EXPECT_EQ(ShownVolumes(), L"De") << "nothing chosen yet: the first volume";
    // Laid out for the 1024 x 728 client: 40 x 25, the first at 787,125 and the next 50 to
    // its left, inside the volume box.
    const Rect box = Find(L"continervolume")->GetPos();
    for (auto [letter, x] : {std::pair{L'D', 787}, std::pair{L'E', 737}}) {
        CControlUI* button = Find(VolumeButtonName(letter));
        EXPECT_EQ(button->GetPos(),
                  (Rect{box.left + x, box.top + 125, box.left + x + 40, box.top + 150}));
        EXPECT_EQ(button->GetText(), std::wstring(1, letter));
    }

    // A clicked volume stays chosen across drives.
    ASSERT_TRUE(Click(VolumeButtonName(L'E')));
    EXPECT_EQ(frame.SelectedVolume(), L'E');
    EXPECT_EQ(ShownVolumes(), L"dE");
    Choose(L"Drive_name", 1);
    EXPECT_EQ(ShownVolumes(), L"C") << "no E here: the first volume";
    EXPECT_EQ(frame.SelectedVolume(), L'E');

    // A drive without volumes (and without attribute 9) shows no button and no hours.
    Choose(L"Drive_name", 2);
    EXPECT_EQ(ShownVolumes(), L"");
    EXPECT_EQ(TextsOf({L"drive_map", L"power_up_time", L"power_up_count"}),
              (Texts{L"Drive letter:  ", L"Power-on Time:  hour", L"Power-on Count:  9Times"}));
}

TEST_F(MainFrameWindowTest, RefreshFindsAPluggedDriveAndReturnsToTheSystemDisk) {
    LoadFile("app/machines/frame_three.json");
    CMainFrame& frame = OpenFrame();
    ASSERT_TRUE(Click(L"Disk_Info"));
    Choose(L"Drive_name", 2);
    ASSERT_EQ(frame.SelectedDrive(), 2);

    auto plugged =
        nlohmann::json::parse(std::ifstream(MachinePath("app/machines/frame_three.json")));
    plugged["drives"].push_back(nlohmann::json::parse(R"({"physicalDrive": 3, "route": "ata",
        "identify": {"model": "Orvel SSD Plugged 32MB", "serial": "P4", "firmware": "1"},
        "size": "32MiB"})"));
    Load(plugged.dump());
    ASSERT_TRUE(Click(L"Refresh"));
    const std::wstring model = L"Orvel SSD Plugged 32MB";
    EXPECT_EQ(Items(L"Drive_name"), (Texts{kDataModel, kSystemModel, kBlankModel, model}));
    EXPECT_EQ(Items(L"Mig_drive_name"), (Texts{kDataModel, kBlankModel, model}));
    EXPECT_EQ(frame.SelectedDrive(), 1);
    EXPECT_EQ(TextOf(L"serial_no"), L"Serial No. : ORV26SYST01");
    EXPECT_EQ(ShownVolumes(), L"C");

    // The migration page's own refresh button does the same.
    ASSERT_TRUE(Click(L"Data_Mig"));
    LoadFile("app/machines/frame_three.json");
    ASSERT_TRUE(Click(L"data_mig_refresh"));
    EXPECT_EQ(Items(L"Mig_drive_name"), (Texts{kDataModel, kBlankModel}));
    EXPECT_EQ(frame.SelectedDrive(), 1);
}

TEST_F(MainFrameWindowTest, PagesInBothLanguages) {
    LoadDemo();
    CMainFrame& frame = OpenFrame();
    ASSERT_TRUE(Click(L"SMART"));
    ASSERT_EQ(frame.SelectedDrive(), 0);
    ASSERT_EQ(SmartRowCount(), 14);
    {
        LanguageScope chineseTexts(1);
        Choose(L"Drive_name", 1);
        EXPECT_EQ(TextsOf({L"header_ID", L"Description", L"Status"}),
                  (Texts{L"ID", L"属性名称", L"状态"}));
        EXPECT_EQ(SmartRow(0)[6], L"良好");
    }

    // In Chinese from the start: the tabs' texts, and an IDE-only machine shows AHCI off.
    frame_.reset();
    LanguageScope chinese(1);
    LoadFile("app/machines/frame_system_only.json");
    OpenFrame();
    EXPECT_EQ(TextsOf({L"Data_Mig", L"Drive_text"}), (Texts{L"数据迁移", L"驱动器"}));
    ASSERT_TRUE(Click(L"Disk_Info"));
    EXPECT_EQ(dynamic_cast<CLabelUI*>(Find(L"AHCI"))->GetTextColor(), 0x00DC143Cu);
}

TEST_F(MainFrameWindowTest, MenuOpensBelowItsButtonAndItsItemShowsTheAbout) {
    LoadFile("app/machines/frame_system_only.json");
    CMainFrame& frame = OpenFrame();
    ASSERT_TRUE(Click(L"menubtn"));
    CMenuWnd* menu = nullptr;
    for (headless::HeadlessWindow* window : backend_->Windows())
        if (auto* found = dynamic_cast<CMenuWnd*>(&window->Host())) menu = found;
    ASSERT_NE(menu, nullptr);
    const Rect button = Find(L"menubtn")->GetPos();
    const Rect placed = menu->GetWindowRect();
    EXPECT_EQ((Point{placed.left, placed.top}), frame.ClientToScreen({button.left, button.bottom}));
    CControlUI* item = menu->GetManager().FindControl(L"aboutDlg");
    ASSERT_NE(item, nullptr);
    WhileShown(
        [&](CMessageDialog& about) {
            EXPECT_EQ(Control(about, L"msgbox")->GetText(), GetUiText(85));
            EXPECT_TRUE(Control(about, L"closeBtn")->IsVisible());
        },
        L"closeBtn");
    ASSERT_TRUE(backend_->ClickControl(item));
    EXPECT_EQ(backend_->PendingSteps(), 0u) << "the about box was shown";
    EXPECT_EQ(OpenDialog(), nullptr);

    // Another name: the string is freed and nothing is shown.
    const size_t windows = backend_->Windows().size();
    EXPECT_EQ(frame.SendMessageW(msg::kMenuClick,
                                 reinterpret_cast<WPARAM>(new std::wstring(L"other")), 0),
              0);
    EXPECT_EQ(backend_->Windows().size(), windows);
    EXPECT_FALSE(CMessageLoop::IsQuitPending()) << "no dialog ran";
}

TEST_F(MainFrameWindowTest, WindowMessagesDragAndResize) {
    LoadFile("app/machines/frame_three.json");
    CMainFrame& frame = OpenFrame();
    ASSERT_TRUE(Click(L"Disk_Info"));
    Choose(L"Drive_name", 0);
    const Rect before = frame.GetWindowRect();
    ASSERT_EQ(before, (Rect{before.left, before.top, before.left + 1024, before.top + 728}));

    // Dragging: the top 34 pixels except the title row's buttons (menu, close) and the tabs.
    const std::pair<Point, LRESULT> hits[] = {{{400, 33}, hit::kCaption},
                                              {{400, 34}, hit::kClient},
                                              {{939, 17}, hit::kClient},
                                              {{1007, 17}, hit::kClient}};
    for (const auto& [at, expected] : hits)
        EXPECT_EQ(frame.SendMessageW(msg::kNcHitTest, 0, MakePointParam(frame.ClientToScreen(at))),
                  expected)
            << at.x << "," << at.y;

    // A display change: the window scaled from 1366 x 768 and centred; the volume buttons made
    // again for the new size.
    frame.SendMessageW(msg::kDisplayChange, 32, MakePointParam({1920, 1080}));
    backend_->Advance(0);
    const Rect work = backend_->WorkArea();
    const Point corner{(work.Width() - 1439) / 2, (work.Height() - 1023) / 2};
    EXPECT_EQ(frame.GetWindowRect(), (Rect{corner.x, corner.y, corner.x + 1439, corner.y + 1023}));
    EXPECT_EQ(ShownVolumes(), L"De");
    // 1439 / 1024 and 1023 / 728 of their places and sizes, truncated.
    CControlUI* first = Find(VolumeButtonName(L'D'));
    EXPECT_EQ((Size{first->GetFixedWidth(), first->GetFixedHeight()}), (Size{56, 35}));
    EXPECT_EQ(first->GetFixedXY(), (Point{1105, 175}));
    EXPECT_EQ(Find(VolumeButtonName(L'E'))->GetFixedXY(), (Point{1055, 175}));
    int buttons = 0;
    auto* box = dynamic_cast<CContainerUI*>(Find(L"continervolume"));
    for (int i = 0; i < box->GetCount(); ++i)
        buttons += box->GetItemAt(i)->GetName().starts_with(L"Disk ");
    EXPECT_EQ(buttons, 24) << "the old buttons are gone";

    // The title row's buttons reach the window base, which closes on closebtn.
    ASSERT_TRUE(Click(L"closebtn"));
    EXPECT_FALSE(frame.IsWindow());
}

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
    WhileShown(
        [&](CMessageDialog& dialog) {
            EXPECT_EQ(Control(dialog, L"msgbox")->GetText(), L"Control initialization failed");
            EXPECT_EQ(Control(dialog, L"msgbox")->GetPos().left, 95);
            EXPECT_FALSE(Control(dialog, L"cancelBtn")->IsVisible());
        },
        L"okBtn");
    CMainFrame& frame = OpenFrame(std::make_unique<BrokenSkinFrame>());
    EXPECT_EQ(backend_->PendingSteps(), 0u) << "the dialog was shown";
    EXPECT_FALSE(frame.IsBound());
    EXPECT_FALSE(frame.IsWindow()) << "closed after the dialog";
    EXPECT_EQ(frame.Drives().Count(), 0) << "no inventory without the controls";
    EXPECT_EQ(MainWindowHandle, nullptr);
}

TEST_F(MainFrameWindowTest, CancelAndTheTimerReachTheMigrationPage) {
    LoadFile("app/machines/frame_three.json");
    OpenFrame();
    migration::MigrationState = migration::kStateRunning;
    Manager().SendNotify(Find(L"Button_Cancel"), notify::kClick);
    EXPECT_EQ(migration::MigrationState.load(), migration::kStateCancelled);

    // Only the migration timer's tick (2016) reports the outcome.
    Manager().SendNotify(Find(L"progress3"), notify::kTimer, 7);
    EXPECT_FALSE(CMessageLoop::IsQuitPending()) << "no dialog for another timer";
    std::vector<std::wstring> messages;
    Record(messages);
    Manager().SendNotify(Find(L"progress3"), notify::kTimer, 2016);
    EXPECT_EQ(messages, Texts{GetUiText(77)});
    migration::MigrationState = 0;
}

}  // namespace

}  // namespace app
