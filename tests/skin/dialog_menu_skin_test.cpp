// The message dialog skin and the menu skin.
#include "app/main_frame/control_bindings.h"
#include "tests/skin/skin_fixture.h"
#include "ui/label.h"
#include "ui/menu.h"

namespace skin_test {

using app::ControlBinding;
using app::FindUnboundControls;
using app::IsControlKind;
using app::MessageDialogBindings;

namespace {

TEST_F(SkinTest, MessageDialogSkin) {
    TestWindow dialog{std::to_wstring(kMessageDialogSkin)};
    Open(dialog);
    CPaintManagerUI& manager = dialog.GetPaintManager();
    EXPECT_EQ(manager.GetInitSize(), (Size{466, 177}));
    EXPECT_EQ(dialog.GetClientRect(), (Rect{0, 0, 466, 177}));
    EXPECT_EQ(manager.GetCaptionRect(), (Rect{0, 0, 0, 130}));
    EXPECT_EQ(manager.GetRoundCorner(), (Size{3, 3}));
    EXPECT_FALSE(manager.IsBackgroundTransparent());
    // Two fonts of size 12: the default one, and the bold one the text uses.
    ASSERT_EQ(manager.GetFontCount(), 2);
    EXPECT_FALSE(manager.GetFont(0).bold);
    EXPECT_TRUE(manager.GetFont(1).bold);
    EXPECT_EQ(manager.GetFont(0).size, 12);
    EXPECT_EQ(manager.GetFont(1).size, 12);
    EXPECT_FALSE(manager.GetDefaultFont().bold);

    EXPECT_EQ(FindUnboundControls(manager, MessageDialogBindings()), std::vector<std::wstring>{});
    for (const ControlBinding& binding : MessageDialogBindings()) {
        CControlUI* control = dialog.Find(binding.name);
        ASSERT_NE(control, nullptr) << ToUtf8(std::wstring(binding.name));
        EXPECT_TRUE(IsControlKind(*control, binding.kind)) << ToUtf8(std::wstring(binding.name));
        EXPECT_TRUE(control->IsFloat()) << ToUtf8(std::wstring(binding.name));
    }

    auto* text = dialog.Find<CTextUI>(L"msgbox");
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(text->GetPos(), (Rect{95, 40, 435, 100}));
    EXPECT_EQ(text->GetFont(), 1);
    EXPECT_EQ(text->GetTextColor() & 0x00FFFFFFu, 0x00FFFFFFu) << "white";
    EXPECT_NE(text->GetTextStyle() & text::kCenter, 0u);
    EXPECT_EQ(dialog.Find(L"okBtn")->GetPos(), (Rect{110, 97, 222, 155}));
    EXPECT_EQ(dialog.Find(L"cancelBtn")->GetPos(), (Rect{110, 97, 222, 155}));
    EXPECT_EQ(dialog.Find(L"closeBtn")->GetPos(), (Rect{438, 0, 465, 21}));
    // The icon holder has neither size nor image until a message gives it one.
    EXPECT_EQ(dialog.Find(L"warning")->GetPos().Width(), 0);
    const DescriptorMap images = SkinDescriptors(kMessageDialogSkin);
    EXPECT_TRUE(ImagesOf(images, L"warning").empty());

    // Dark surface with the accent line on top; the OK button's picture in the top 36 pixels
    // of its box, clear below.
    const headless::HeadlessWindow* frame = backend_->WindowOf(dialog);
    ASSERT_NE(frame, nullptr);
    EXPECT_TRUE(Near(frame->PixelAt(200, 1), 0xFEAD14));
    EXPECT_TRUE(Near(frame->PixelAt(200, 30), 0x1E2A38));
    dialog.Find(L"cancelBtn")->SetVisible(false);
    backend_->Advance(0);
    EXPECT_TRUE(Near(frame->PixelAt(116, 115), 0xFEAD14));
    EXPECT_FALSE(Near(frame->PixelAt(116, 150), 0xFEAD14));

    // The caption band drags the dialog except over its buttons.
    EXPECT_EQ(dialog.HitTest({300, 10}), hit::kCaption);
    EXPECT_EQ(dialog.HitTest({450, 10}), hit::kClient);
}

TEST_F(SkinTest, MenuSkinHasTheAboutItem) {
    TestWindow owner{std::to_wstring(kMainWindowSkin)};
    Open(owner);
    MenuCheckMap checks;
    auto* menu = new CMenuWnd();
    menu->Init(nullptr, std::to_wstring(kMenuSkin), owner.ClientToScreen({922, 34}),
               &owner.GetPaintManager(), &checks, menu_align::kLeft | menu_align::kTop);
    CPaintManagerUI& manager = menu->GetManager();
    auto* about = dynamic_cast<CMenuElementUI*>(manager.FindControl(L"aboutDlg"));
    ASSERT_NE(about, nullptr);
    EXPECT_EQ(about->GetText(), L"关于");
    EXPECT_EQ(about->GetFixedWidth(), 100);
    EXPECT_EQ(about->GetFixedHeight(), 20);
    auto* list = dynamic_cast<CMenuUI*>(about->GetParent());
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->GetCount(), 1) << "the about box is the only item";
    // The Menu default: a one-pixel grey border, insets 3,4 and white.
    EXPECT_EQ(list->GetInset(), (Rect{3, 4, 3, 4}));
    EXPECT_EQ(list->GetBkColor(), 0xFFFFFFFEu);
    const std::wstring* defaults = manager.GetDefaultAttributeList(L"Menu");
    ASSERT_NE(defaults, nullptr);
    for (const wchar_t* item :
         {L"bordersize=\"1\"", L"bordercolor=\"#FFB5B5B5\"", L"itemtextpadding=\"35,0,0,0\"",
          L"itemselectedbkcolor=\"#FFB5B5B5\""})
        EXPECT_NE(defaults->find(item), std::wstring::npos) << ToUtf8(item);
    ASSERT_EQ(manager.GetFontCount(), 2);
    EXPECT_TRUE(manager.GetFont(1).bold);
    // A click on the item reaches the owner as the menu message.
    bool clicked = false;
    owner.onMessage = [&](UINT message, WPARAM wParam, LPARAM, bool& handled) -> LRESULT {
        handled = false;
        if (message == msg::kMenuClick) {
            auto* name = reinterpret_cast<std::wstring*>(wParam);
            clicked = *name == L"aboutDlg";
            delete name;
        }
        return 0;
    };
    ASSERT_TRUE(backend_->ClickControl(about));
    EXPECT_TRUE(clicked);
}

}  // namespace
}  // namespace skin_test
