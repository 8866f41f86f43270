// The main window and message dialog skins: every control the windows bind, with its kind, and
// the geometry and art the windows' code relies on. What the windows do with them is theirs.
#include "app/main_frame/control_bindings.h"
#include "tests/skin/skin_fixture.h"
#include "ui/label.h"
#include "ui/list.h"
#include "ui/option.h"
#include "ui/progress.h"

namespace skin_test {

using app::ControlBinding;

namespace {

class MainSkinTest : public SkinTest {
  protected:
    void SetUp() override {
        SkinTest::SetUp();
        Open(window_);
    }
    Rect PosOf(std::wstring_view name) {
        CControlUI* control = window_.Find(name);
        return control ? control->GetPos() : Rect{-1, -1, -1, -1};
    }
    TestWindow window_{std::to_wstring(kMainWindowSkin)};
};

// Every binding, the optional ones included, is in the skin with its kind.
void ExpectEveryBinding(TestWindow& window, std::span<const ControlBinding> bindings) {
    for (const ControlBinding& binding : bindings) {
        CControlUI* control = window.Find(binding.name);
        ASSERT_NE(control, nullptr) << ToUtf8(std::wstring(binding.name));
        EXPECT_TRUE(IsControlKind(*control, binding.kind))
            << ToUtf8(std::wstring(binding.name)) << " is "
            << ToUtf8(std::wstring(control->GetClass()));
    }
}

TEST_F(MainSkinTest, WindowBindingsAndDefaults) {
    EXPECT_EQ(window_.GetClientRect(), (Rect{0, 0, 1024, 728}));
    EXPECT_EQ(window_.GetPaintManager().GetSizeBox(), (Rect{})) << "the window cannot be resized";
    ASSERT_EQ(window_.GetPaintManager().GetFontCount(), 5);
    EXPECT_EQ(window_.GetPaintManager().GetFont(4).name, L"微软雅黑");
    ExpectEveryBinding(window_, app::MainFrameBindings());
    // The header item of the id column is found by name, not bound.
    EXPECT_NE(window_.Find<CListHeaderItemUI>(L"header_ID"), nullptr);
    EXPECT_FALSE(window_.Find<CLabelUI>(L"Drive_text")->IsAutoCalcWidth()) << "keeps its column";

    // The dark header band in the caption and the white panels' border.
    const headless::HeadlessWindow* frame = backend_->WindowOf(window_);
    EXPECT_TRUE(Near(frame->PixelAt(500, 10), 0x1E2A38));
    const Rect panel = PosOf(L"source_panel");
    EXPECT_TRUE(Near(frame->PixelAt(panel.left, panel.top + 40), 0xE1E4E8));
}

// Each tab one 269 x 48 tile of the strip the window cuts.
TEST_F(MainSkinTest, TabsTitleButtonsAndSelectorsWhereTheWindowNeedsThem) {
    for (const wchar_t* name : {L"Data_Mig", L"Disk_Info", L"SMART"}) {
        auto* option = window_.Find<COptionUI>(name);
        ASSERT_NE(option, nullptr) << ToUtf8(name);
        EXPECT_EQ(option->GetGroup(), L"Setting_Tab");
        EXPECT_EQ(option->GetPos().Width(), 269) << ToUtf8(name);
        EXPECT_EQ(option->GetPos().Height(), 48) << ToUtf8(name);
    }
    EXPECT_LE(std::abs(PosOf(L"Data_Mig").left - (1024 - PosOf(L"SMART").right)), 1);

    // Title buttons at the right of the caption; selectors one tile of their pictures wide.
    const std::pair<const wchar_t*, Rect> placed[] = {{L"menubtn", {922, 0, 956, 34}},
                                                      {L"minbtn", {956, 0, 990, 34}},
                                                      {L"closebtn", {990, 0, 1024, 34}}};
    for (const auto& [name, rect] : placed)
        EXPECT_EQ(PosOf(name), rect) << ToUtf8(name);
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
    EXPECT_EQ(window_.Find<CProgressUI>(L"progress3")->GetMaxValue(), 100);
    EXPECT_FALSE(window_.Find(L"Button_Cancel")->IsEnabled());
}

TEST_F(MainSkinTest, VolumeButtonRowAndSmartListColumnsOnTheirPages) {
    ASSERT_TRUE(backend_->ClickControl(window_.GetPaintManager(), L"Disk_Info"));
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
    EXPECT_LT(PosOf(L"progress1").bottom, container.top);
    EXPECT_EQ(PosOf(L"used_color").Width(), 12);

    ASSERT_TRUE(backend_->ClickControl(window_.GetPaintManager(), L"SMART"));
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
    // The list is centred in its panel and reaches nearly to the window's bottom.
    Rect list = PosOf(L"listview");
    Rect panel = PosOf(L"SMARTLayout");
    EXPECT_LE(std::abs((list.left - panel.left) - (panel.right - list.right)), 1);
    EXPECT_GE(list.Height(), 400);
}

TEST_F(SkinTest, MessageDialogSkin) {
    TestWindow dialog{std::to_wstring(kMessageDialogSkin)};
    Open(dialog);
    ExpectEveryBinding(dialog, app::MessageDialogBindings());
    // The icon holder has neither size nor image until a message gives it one.
    auto* text = dialog.Find<CTextUI>(L"msgbox");
    EXPECT_TRUE(dialog.GetPaintManager().GetFont(text->GetFont()).bold);
    EXPECT_NE(text->GetTextStyle() & text::kCenter, 0u);
    EXPECT_EQ(dialog.Find(L"warning")->GetPos().Width(), 0);
    EXPECT_EQ(SkinDescriptors(kMessageDialogSkin).count(L"warning"), 0u);
    // Dark surface with the accent line on top.
    const headless::HeadlessWindow* frame = backend_->WindowOf(dialog);
    EXPECT_TRUE(Near(frame->PixelAt(200, 1), 0xFEAD14));
    EXPECT_TRUE(Near(frame->PixelAt(200, 30), 0x1E2A38));
}

}  // namespace
}  // namespace skin_test
