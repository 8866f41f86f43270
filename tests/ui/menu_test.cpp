// The drop-down menu: placed by its alignment flags, and a click on an element posts the
// owner window message 1145 carrying a newly allocated copy of the element's name.
#include <gtest/gtest.h>

#include "tests/ui/test_window.h"
#include "ui/menu.h"

namespace SkinUI::testing {
namespace {

const wchar_t kOwnerSkin[] =
    LR"(<Window size="300,200"><VerticalLayout>
  <HorizontalLayout height="34"><Control/><Button name="menubtn" width="34"/></HorizontalLayout>
  <Control/></VerticalLayout></Window>)";

const wchar_t kMenuSkin[] =
    LR"(<Window>
  <Font name="微软雅黑" size="12" default="true"/>
  <Default name="Menu" value="bordersize=&quot;1&quot; bordercolor=&quot;#FFB5B5B5&quot; inset=&quot;3,4,3,4&quot; itemtextpadding=&quot;35,0,0,0&quot; bkcolor=&quot;#FFFFFFFE&quot; itemselectedbkcolor=&quot;#FFB5B5B5&quot;"/>
  <Menu><MenuElement name="aboutDlg" text="关于" height="20" width="100"/>
        <MenuElement name="checked" text="x" height="20" width="100"/></Menu></Window>)";

class MenuTest : public WindowTest {
  protected:
    MenuTest() : WindowTest(kOwnerSkin) {}
    void SetUp() override {
        WindowTest::SetUp();
        window_.onMessage = [this](UINT message, WPARAM wParam, LPARAM lParam,
                                   bool& handled) -> LRESULT {
            handled = false;
            if (message == msg::kMenuClick) {
                auto* name = reinterpret_cast<std::wstring*>(wParam);
                clicks_.push_back(*name + L":" + std::to_wstring(lParam));
                delete name;
            }
            return 0;
        };
    }
    headless::HeadlessWindow* MenuWindow() {
        for (auto* w : backend_->Windows())
            if (w->Kind() == WindowKind::kPopup) return w;
        return nullptr;
    }
    std::vector<std::wstring> clicks_;
};

TEST_F(MenuTest, ClickPostsTheNameToTheOwnerAndCloses) {
    Rect button = window_.Find(L"menubtn")->GetPos();
    Point corner = window_.ClientToScreen({button.left, button.bottom});
    MenuCheckMap checks{{L"checked", true}};
    auto* menu = new CMenuWnd();
    menu->Init(nullptr, kMenuSkin, corner, &window_.GetPaintManager(), &checks,
               menu_align::kLeft | menu_align::kTop);
    ASSERT_NE(MenuWindow(), nullptr);
    // 100 wide plus the insets 3 + 3; two rows of 20 plus 4 + 4.
    EXPECT_EQ(MenuWindow()->GetRect(), (Rect{corner.x, corner.y, corner.x + 106, corner.y + 48}));
    CControlUI* about = menu->GetManager().FindControl(L"aboutDlg");
    ASSERT_NE(about, nullptr);
    backend_->ClickControl(about);
    EXPECT_EQ(MenuWindow(), nullptr) << "closed (and deleted) after the click";
    EXPECT_EQ(clicks_, std::vector<std::wstring>{L"aboutDlg:0"});

    menu = new CMenuWnd();
    menu->Init(nullptr, kMenuSkin, corner, &window_.GetPaintManager(), &checks,
               menu_align::kRight | menu_align::kBottom);
    ASSERT_NE(MenuWindow(), nullptr);
    EXPECT_EQ(MenuWindow()->GetRect(), (Rect{corner.x - 106, corner.y - 48, corner.x, corner.y}));
    backend_->ClickControl(menu->GetManager().FindControl(L"checked"));
    EXPECT_EQ(clicks_.back(), L"checked:1");
}

TEST_F(MenuTest, TheNameIsFreedWhenTheOwnerIsGoneBeforeDelivery) {
    // The leak checker of the sanitizer build sees it if the name is not freed.
    auto* owner = new TestWindow(kOwnerSkin);
    ASSERT_TRUE(owner->Open());
    auto* menu = new CMenuWnd();
    menu->Init(nullptr, kMenuSkin, {0, 0}, &owner->GetPaintManager());
    CControlUI* about = menu->GetManager().FindControl(L"aboutDlg");
    menu->GetManager().UpdateLayout();
    // Press and release by hand, so that nothing delivers the posted message in between.
    about->GetManager()->GetPaintWindow()->OnNativeMessage(msg::kLButtonDown, 0,
                                                           MakePointParam(Centre(about->GetPos())));
    about->GetManager()->GetPaintWindow()->OnNativeMessage(msg::kLButtonUp, 0,
                                                           MakePointParam(Centre(about->GetPos())));
    delete owner;
    backend_->Advance(0);
    EXPECT_EQ(MenuWindow(), nullptr);
    EXPECT_TRUE(clicks_.empty());
}

TEST_F(MenuTest, SelectingAnElementWorksAsInAList) {
    struct Recorder : INotifyUI {
        void Notify(TNotifyUI& msg) override {
            if (msg.type == notify::kItemSelect) selections.emplace_back(msg.wParam, msg.lParam);
        }
        std::vector<std::pair<WPARAM, LPARAM>> selections;
    } recorder;
    auto* menu = new CMenuWnd();
    menu->Init(nullptr, kMenuSkin, window_.ClientToScreen({10, 40}), &window_.GetPaintManager());
    CPaintManagerUI& manager = menu->GetManager();
    manager.AddNotifier(&recorder);
    auto* list = dynamic_cast<CMenuUI*>(manager.GetRoot());
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->GetCurSel(), -1);

    EXPECT_TRUE(list->SelectItem(1));
    EXPECT_TRUE(list->SelectItem(1)) << "the current element again: no notification";
    EXPECT_FALSE(list->SelectItem(2));
    EXPECT_EQ(list->GetCurSel(), 1);
    EXPECT_EQ(recorder.selections, (std::vector<std::pair<WPARAM, LPARAM>>{{1, -1}}));
    manager.RemoveNotifier(&recorder);
    // A press outside closes the menu without a message.
    backend_->Click(window_, {200, 150});
    EXPECT_EQ(MenuWindow(), nullptr);
    EXPECT_TRUE(clicks_.empty());

    // A menu with a broken skin deletes itself.
    menu = new CMenuWnd();
    menu->Init(nullptr, L"<Window><Menu></Window>", {0, 0}, &window_.GetPaintManager());
    EXPECT_EQ(MenuWindow(), nullptr);
}

}  // namespace
}  // namespace SkinUI::testing
