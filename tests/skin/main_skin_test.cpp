// The main window skin: window attributes, fonts and defaults, every control the window binds
// with its kind, and the geometry the window's code relies on (title buttons, tab tiles, drive
// selector, volume button row, list columns).
#include "app/main_frame/control_bindings.h"
#include "tests/skin/skin_fixture.h"
#include "ui/combo.h"
#include "ui/label.h"
#include "ui/layouts.h"
#include "ui/list.h"
#include "ui/option.h"
#include "ui/progress.h"
#include "ui/scrollbar.h"

namespace skin_test {

using app::ControlBinding;
using app::FindUnboundControls;
using app::IsControlKind;
using app::MainFrameBindings;

namespace {

class MainSkinTest : public SkinTest {
  protected:
    void SetUp() override {
        SkinTest::SetUp();
        Open(window_);
    }
    CPaintManagerUI& Manager() { return window_.GetPaintManager(); }
    Rect PosOf(std::wstring_view name) {
        CControlUI* control = window_.Find(name);
        return control ? control->GetPos() : Rect{-1, -1, -1, -1};
    }
    TestWindow window_{std::to_wstring(kMainWindowSkin)};
};

TEST_F(MainSkinTest, WindowFontsAndDefaults) {
    EXPECT_EQ(Manager().GetInitSize(), (Size{1024, 728}));
    EXPECT_EQ(window_.GetClientRect(), (Rect{0, 0, 1024, 728}));
    EXPECT_EQ(Manager().GetCaptionRect(), (Rect{0, 0, 0, 34}));
    EXPECT_EQ(Manager().GetRoundCorner(), (Size{3, 3}));
    EXPECT_EQ(Manager().GetSizeBox(), (Rect{})) << "the window cannot be resized";

    const int sizes[] = {19, 20, 14, 19, 13};
    ASSERT_EQ(Manager().GetFontCount(), 5);
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(Manager().GetFont(i).name, L"微软雅黑") << i;
        EXPECT_EQ(Manager().GetFont(i).size, sizes[i]) << i;
        EXPECT_FALSE(Manager().GetFont(i).bold) << i;
    }

    // Labels size themselves and are grey unless they say otherwise.
    auto* power = window_.Find<CLabelUI>(L"power_up_time");
    auto* driveText = window_.Find<CLabelUI>(L"Drive_text");
    ASSERT_TRUE(power && driveText);
    EXPECT_EQ(power->GetTextColor(), 0x00515151u);
    EXPECT_FALSE(driveText->IsAutoCalcWidth()) << "the drive label keeps its column";
    const std::wstring* labelDefaults = Manager().GetDefaultAttributeList(L"Label");
    ASSERT_NE(labelDefaults, nullptr);
    EXPECT_NE(labelDefaults->find(L"autocalcwidth=\"true\""), std::wstring::npos);
    EXPECT_NE(labelDefaults->find(L"textcolor=\"#00515151\""), std::wstring::npos);
}

TEST_F(MainSkinTest, PaintsTheBrandHeaderTabBarAndWhitePanels) {
    const headless::HeadlessWindow* frame = backend_->WindowOf(window_);
    ASSERT_NE(frame, nullptr);
    auto at = [&](int x, int y) { return frame->PixelAt(x, y); };
    EXPECT_TRUE(Near(at(500, 10), 0x1E2A38)) << "dark header band in the caption";
    EXPECT_TRUE(Near(at(16, 17), 0xFEAD14)) << "the Orvel mark's ring";
    EXPECT_TRUE(Near(at(30, 60), 0xFFFFFF)) << "white tab bar";
    EXPECT_TRUE(Near(at(30, 400), 0xF3F5F7)) << "light body";
    Rect panel = PosOf(L"source_panel");
    EXPECT_TRUE(Near(at(panel.left, panel.top + 40), 0xE1E4E8)) << "panel border";
    EXPECT_TRUE(Near(at(panel.left + 400, panel.top + 5), 0xFFFFFF)) << "white panel";
    // The shown page's tab carries the accent underline; the others do not.
    Rect shown = PosOf(L"Data_Mig");
    Rect other = PosOf(L"SMART");
    EXPECT_TRUE(Near(at(shown.left + 134, shown.top + 46), 0xFEAD14));
    EXPECT_TRUE(Near(at(other.left + 134, other.top + 46), 0xFFFFFF));
}

TEST_F(MainSkinTest, EveryBoundControlIsThereWithItsKind) {
    EXPECT_EQ(FindUnboundControls(Manager(), MainFrameBindings()), std::vector<std::wstring>{});
    // The optional ones are part of this skin too.
    for (const ControlBinding& binding : MainFrameBindings()) {
        CControlUI* control = window_.Find(binding.name);
        ASSERT_NE(control, nullptr) << ToUtf8(std::wstring(binding.name));
        EXPECT_TRUE(IsControlKind(*control, binding.kind))
            << ToUtf8(std::wstring(binding.name)) << " is "
            << ToUtf8(std::wstring(control->GetClass()));
    }
    // The header item of the id column and the tab layout are found by name, not bound.
    EXPECT_NE(window_.Find<CListHeaderItemUI>(L"header_ID"), nullptr);
    EXPECT_NE(window_.Find<CTabLayoutUI>(L"setting_Tab"), nullptr);
}

TEST_F(MainSkinTest, TitleButtonsSitAtTheRightOfTheCaption) {
    EXPECT_EQ(PosOf(L"menubtn"), (Rect{922, 0, 956, 34}));
    EXPECT_EQ(PosOf(L"minbtn"), (Rect{956, 0, 990, 34}));
    EXPECT_EQ(PosOf(L"closebtn"), (Rect{990, 0, 1024, 34}));
    // The buttons stay clickable in the caption band; the band around them drags the window.
    EXPECT_EQ(window_.HitTest({930, 10}), hit::kClient);
    EXPECT_EQ(window_.HitTest({500, 10}), hit::kCaption);
    EXPECT_EQ(window_.HitTest({500, 40}), hit::kClient);
}

TEST_F(MainSkinTest, PageTabsShowTheFirstSetAndSwitchTheTabLayout) {
    auto* tabs = window_.Find<CTabLayoutUI>(L"setting_Tab");
    ASSERT_NE(tabs, nullptr);
    ASSERT_EQ(tabs->GetCount(), 3);
    EXPECT_EQ(tabs->GetItemAt(0)->GetName(), L"Data_MigLayout");
    EXPECT_EQ(tabs->GetItemAt(1)->GetName(), L"Disk_InfoLayout");
    EXPECT_EQ(tabs->GetItemAt(2)->GetName(), L"SMARTLayout");
    EXPECT_EQ(tabs->GetCurSel(), 0);

    const wchar_t* names[] = {L"Data_Mig", L"Disk_Info", L"SMART"};
    for (int i = 0; i < 3; ++i) {
        auto* option = window_.Find<COptionUI>(names[i]);
        ASSERT_NE(option, nullptr) << i;
        EXPECT_EQ(option->GetGroup(), L"Setting_Tab");
        EXPECT_EQ(option->IsSelected(), i == 0) << i;
        EXPECT_EQ(option->GetPos().Width(), 269) << i;
        EXPECT_EQ(option->GetPos().Height(), 48) << i;
        // At start every tab shows its tile of the first set of image 139.
        TImageDescriptor d;
        ParseImageDescriptor(option->GetBkImage(), d);
        EXPECT_EQ(d.name, L"139");
        EXPECT_EQ(d.type, L"png");
        EXPECT_EQ(d.source, (Rect{269 * i, 0, 269 * (i + 1), 48})) << i;
    }
    // The three tabs side by side, centred on the window.
    EXPECT_LE(std::abs(PosOf(L"Data_Mig").left - (1024 - PosOf(L"SMART").right)), 1);

    // Choosing a tab shows its page (the option's binding to the tab layout).
    ASSERT_TRUE(backend_->ClickControl(Manager(), L"SMART"));
    EXPECT_EQ(tabs->GetCurSel(), 2);
    ASSERT_TRUE(backend_->ClickControl(Manager(), L"Disk_Info"));
    EXPECT_EQ(tabs->GetCurSel(), 1);
    EXPECT_FALSE(window_.Find<COptionUI>(L"Data_Mig")->IsSelected());
}

TEST_F(MainSkinTest, DriveSelectorsFitTheirTiles) {
    // The selector pictures are cut with corner right = tile width, so the combo boxes must be
    // exactly one tile wide.
    EXPECT_EQ(PosOf(L"Drive_name").Width(), 730);
    EXPECT_EQ(PosOf(L"Drive_name").Height(), 39);
    const DescriptorMap images = SkinDescriptors(kMainWindowSkin);
    auto [first, last] = images.equal_range(L"Mig_drive_name");
    for (auto it = first; it != last; ++it) {
        EXPECT_EQ(it->second.corner.right, PosOf(L"Mig_drive_name").Width());
        EXPECT_EQ(it->second.source.Height(), PosOf(L"Mig_drive_name").Height());
    }
    // Refresh sits on the drive row, right of the selector.
    EXPECT_EQ(PosOf(L"Refresh").top, PosOf(L"Drive_name").top);
    EXPECT_GT(PosOf(L"Refresh").left, PosOf(L"Drive_name").right);
    EXPECT_LE(PosOf(L"Refresh").right, 1024 - 24);
}

TEST_F(MainSkinTest, MigrationPageControls) {
    auto* bar = window_.Find<CProgressUI>(L"progress3");
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(bar->GetMinValue(), 0);
    EXPECT_EQ(bar->GetMaxValue(), 100);
    EXPECT_TRUE(window_.Find(L"Button_Start")->IsEnabled());
    EXPECT_FALSE(window_.Find(L"Button_Cancel")->IsEnabled());
    // Everything of the page lies inside the window, below the drive row.
    for (const wchar_t* name :
         {L"source_disk", L"os_drive", L"capacityData", L"os_version", L"data_drive",
          L"Mig_drive_name", L"data_mig_refresh", L"capacityData2", L"data_mig_tip", L"progress",
          L"progress3", L"used_time", L"remain_time", L"Button_Start", L"Button_Cancel"}) {
        Rect rc = PosOf(name);
        EXPECT_GT(rc.top, PosOf(L"Drive_name").bottom) << ToUtf8(name);
        EXPECT_LE(rc.bottom, 728 - 24) << ToUtf8(name);
        EXPECT_GE(rc.left, 64) << ToUtf8(name);
        EXPECT_LE(rc.right, 960) << ToUtf8(name);
    }
}

TEST_F(MainSkinTest, VolumeButtonRowIsFreeInTheVolumeContainer) {
    ASSERT_TRUE(backend_->ClickControl(Manager(), L"Disk_Info"));
    Rect container = PosOf(L"continervolume");
    // The window places 40x25 buttons at y 125 of the container, the first at x 787.
    EXPECT_GE(container.Height(), 125 + 25);
    EXPECT_GE(container.Width(), 787 + 40);
    const Rect row{container.left, container.top + 125, container.left + 827, container.top + 150};
    for (const wchar_t* name :
         {L"drive_map", L"AHCI", L"power_up_count", L"power_up_time", L"4K_align", L"set_mode"}) {
        Rect rc = PosOf(name);
        EXPECT_TRUE(container.Intersect(rc) == rc) << ToUtf8(name) << " inside the container";
        EXPECT_TRUE(rc.Intersect(row).IsEmpty()) << ToUtf8(name) << " clear of the buttons";
    }
    // The upper box holds the usage bar and its colour keys.
    EXPECT_LT(PosOf(L"progress1").bottom, container.top);
    EXPECT_EQ(PosOf(L"used_color").Width(), 12);
    EXPECT_EQ(PosOf(L"free_color").Width(), 12);
}

TEST_F(MainSkinTest, SmartListColumns) {
    ASSERT_TRUE(backend_->ClickControl(Manager(), L"SMART"));
    const std::pair<const wchar_t*, int> columns[] = {
        {L"header_ID", 50}, {L"Description", 207}, {L"Current", 80}, {L"Worst", 80},
        {L"Threshold", 95}, {L"Raw", 161},         {L"Status", 60}};
    int x = PosOf(L"header_ID").left;
    for (const auto& [name, width] : columns) {
        Rect rc = PosOf(name);
        EXPECT_EQ(rc.Width(), width) << ToUtf8(name);
        EXPECT_EQ(rc.left, x) << ToUtf8(name) << " follows the column before it";
        x = rc.right;
    }
    EXPECT_EQ(window_.Find(L"header_ID")->GetText(), L"ID");
    // The list is centred in its panel and reaches nearly to the window's bottom.
    Rect list = PosOf(L"listview");
    Rect panel = PosOf(L"SMARTLayout");
    EXPECT_LE(std::abs((list.left - panel.left) - (panel.right - list.right)), 1);
    EXPECT_GE(list.Height(), 400);
}

}  // namespace
}  // namespace skin_test
