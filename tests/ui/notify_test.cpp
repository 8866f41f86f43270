// What controls report to their window: clicks, focus, option groups with tab binding, combo
// selections, timers, and how windows answer the caption hit test.
#include <gtest/gtest.h>

#include "tests/ui/test_window.h"
#include "ui/combo.h"
#include "ui/combo_wnd.h"
#include "ui/layouts.h"
#include "ui/message_loop.h"
#include "ui/option.h"
#include "ui/timer_queue.h"

namespace SkinUI::testing {
namespace {

const wchar_t kSkin[] =
    LR"(<Window size="300,200" caption="0,0,0,34">
  <VerticalLayout name="root">
    <HorizontalLayout name="title" height="34">
      <Label name="caption_label" text="Title" width="80"/>
      <Text name="caption_text" text="T" width="40"/>
      <Control name="gap"/>
      <Option name="tab_a" width="40" group="tabs" bindtablayoutname="pages" bindtabindex="0" selected="true"/>
      <Option name="tab_b" width="40" group="tabs" bindtablayoutname="pages" bindtabindex="1"/>
      <Button name="minbtn" width="34"/>
      <Button name="closebtn" width="34"/>
    </HorizontalLayout>
    <HorizontalLayout height="30">
      <Button name="go" width="60" text="Go"/>
      <Button name="off" width="60" text="Off" enabled="false"/>
      <Combo name="drives" width="120" dropboxsize="120,200">
        <ListLabelElement text="Disk 0"/>
        <ListLabelElement text="Disk 1" height="20"/>
        <ListLabelElement text="Disk 2" height="20"/>
      </Combo>
    </HorizontalLayout>
    <TabLayout name="pages" selectedid="0">
      <Control name="page_a"/>
      <Container name="page_b">
        <Button name="under" float="true" pos="0,0,100,50"/>
        <Button name="over" float="true" pos="50,0,150,50"/>
        <Button name="hidden" float="true" pos="120,0,200,50" visible="false"/>
      </Container>
    </TabLayout>
  </VerticalLayout>
</Window>)";

class NotifyTest : public WindowTest {
  protected:
    NotifyTest() : WindowTest(kSkin) {}
    void SetUp() override {
        WindowTest::SetUp();
        window_.notified.clear();
    }
    void Press(const wchar_t* name) { backend_->MouseDown(window_, Centre(PosOf(name))); }
};

TEST_F(NotifyTest, ClickOnlyWhenReleasedOverAnEnabledControl) {
    CControlUI* go = window_.Find(L"go");
    backend_->ClickControl(go);
    ASSERT_EQ(window_.Of(L"click").size(), 1u);
    EXPECT_EQ(window_.Of(L"click")[0].sender, L"go");
    // Pressed, dragged off and released elsewhere: no click; back over it: a click.
    Press(L"go");
    backend_->MouseMove(window_, {250, 150});
    backend_->MouseUp(window_, {250, 150});
    EXPECT_EQ(window_.Of(L"click").size(), 1u);
    Press(L"go");
    backend_->MouseMove(window_, {250, 150});
    backend_->MouseMove(window_, Centre(go->GetPos()));
    backend_->MouseUp(window_, Centre(go->GetPos()));
    EXPECT_EQ(window_.Of(L"click").size(), 2u);
    // Pressed elsewhere and released over it: nothing either.
    backend_->MouseDown(window_, {250, 150});
    backend_->MouseUp(window_, Centre(go->GetPos()));
    EXPECT_EQ(window_.Of(L"click").size(), 2u);

    // Disabled controls raise nothing, and one disabled while pressed raises no click.
    window_.notified.clear();
    CControlUI* off = window_.Find(L"off");
    backend_->ClickControl(off);
    EXPECT_FALSE(off->Activate());
    EXPECT_TRUE(window_.notified.empty());
    Press(L"go");
    go->SetEnabled(false);
    backend_->MouseUp(window_, Centre(go->GetPos()));
    EXPECT_TRUE(window_.Of(L"click").empty());
}

TEST_F(NotifyTest, OptionGroupsAreExclusiveAndSelectTheirTabAndFocusMovesOnce) {
    auto* b = window_.Find<COptionUI>(L"tab_b");
    auto* pages = window_.Find<CTabLayoutUI>(L"pages");
    EXPECT_EQ(pages->GetCurSel(), 0);
    // A click, then the old option clears, then the new one is selected and shows its page.
    backend_->ClickControl(b);
    std::vector<std::wstring> order;
    for (const Notified& n : window_.notified)
        if (n.type == L"click" || n.type == L"selectchanged" || n.type == L"tabselect")
            order.push_back(n.type + L":" + n.sender + L":" + std::to_wstring(n.wParam));
    EXPECT_EQ(order, (std::vector<std::wstring>{L"click:tab_b:0", L"selectchanged:tab_a:0",
                                                L"selectchanged:tab_b:1", L"tabselect:pages:1"}));
    EXPECT_TRUE(window_.Find(L"page_b")->IsVisible());
    // Clicking the selected option of a group leaves it selected.
    backend_->ClickControl(b);
    EXPECT_TRUE(b->IsSelected());
    EXPECT_EQ(pages->GetCurSel(), 1);

    // The focus moves with presses and is not raised twice.
    backend_->ClickControl(window_.Find(L"go"));
    auto focus = window_.Of(L"setfocus");
    ASSERT_EQ(focus.size(), 2u);
    EXPECT_EQ(focus[0].sender, L"tab_b");
    EXPECT_EQ(focus[1].sender, L"go");
    ASSERT_EQ(window_.Of(L"killfocus").size(), 1u);
    EXPECT_EQ(window_.Of(L"killfocus")[0].sender, L"tab_b");
    EXPECT_EQ(window_.GetPaintManager().GetFocus(), window_.Find(L"go"));
}

TEST_F(NotifyTest, ComboSelectionIsInPlaceWhenItemSelectArrives) {
    auto* combo = window_.Find<CComboUI>(L"drives");
    EXPECT_EQ(combo->GetCurSel(), -1);
    // A press anywhere else or Escape closes an open list without choosing.
    backend_->ClickControl(combo);
    ASSERT_TRUE(combo->IsDropDownOpen());
    backend_->Click(window_, {250, 150});
    EXPECT_FALSE(combo->IsDropDownOpen());
    backend_->ClickControl(combo);
    backend_->Key(*combo->GetDropWindow(), 0x1B);
    EXPECT_FALSE(combo->IsDropDownOpen());
    EXPECT_EQ(combo->GetCurSel(), -1);
    std::vector<int> seen;
    window_.onNotify = [&](TNotifyUI& msg) {
        if (msg.type == L"itemselect")
            seen.push_back(static_cast<CComboUI*>(msg.sender)->GetCurSel());
    };
    EXPECT_TRUE(combo->SelectItem(2));
    EXPECT_TRUE(combo->SelectItem(2)) << "the current item again: no notification";
    EXPECT_FALSE(combo->SelectItem(3));
    EXPECT_EQ(seen, std::vector<int>{2});
    EXPECT_EQ(combo->GetText(), L"Disk 2");

    // The user's way: open the list, click the second row.
    backend_->ClickControl(combo);
    ASSERT_TRUE(combo->IsDropDownOpen());
    EXPECT_EQ(window_.Of(L"dropdown").size(), 3u);
    CComboWnd* list = combo->GetDropWindow();
    const Rect below = list->GetWindowRect();
    EXPECT_EQ((Point{below.left, below.top}),
              window_.ClientToScreen({combo->GetPos().left, combo->GetPos().bottom}));
    backend_->Click(*list, Centre(list->GetRowRect(1)));
    EXPECT_FALSE(combo->IsDropDownOpen());
    EXPECT_EQ(seen, (std::vector<int>{2, 1}));
    auto selects = window_.Of(L"itemselect");
    EXPECT_EQ(selects.back().wParam, 1u);
    EXPECT_EQ(selects.back().lParam, 2);

    // Removing the combo while its list is open closes the list with it.
    backend_->ClickControl(combo);
    ASSERT_TRUE(combo->IsDropDownOpen());
    static_cast<CContainerUI*>(combo->GetParent())->Remove(combo);
    backend_->Advance(0);
    for (auto* w : backend_->Windows())
        EXPECT_NE(w->Kind(), WindowKind::kPopup);
}

TEST_F(NotifyTest, TimersFireByIdAndDieInTheirOwnHandler) {
    CPaintManagerUI& pm = window_.GetPaintManager();
    CControlUI* go = window_.Find(L"go");
    CControlUI* off = window_.Find(L"off");
    int goTicks = 0, offTicks = 0;
    window_.onNotify = [&](TNotifyUI& msg) {
        if (msg.type != L"timer") return;
        EXPECT_EQ(msg.wParam, 7u);
        if (msg.sender == go && ++goTicks == 2) pm.KillTimer(go, 7);
        if (msg.sender == off) ++offTicks;
    };
    // The same id on two controls: two timers.
    ASSERT_TRUE(pm.SetTimer(go, 7, 100));
    ASSERT_TRUE(pm.SetTimer(off, 7, 250));
    backend_->Advance(99);
    EXPECT_EQ(goTicks, 0);
    backend_->Advance(1);
    EXPECT_EQ(goTicks, 1);
    backend_->Advance(900);
    EXPECT_EQ(goTicks, 2) << "killed in its own handler";
    EXPECT_EQ(offTicks, 4);
    EXPECT_TRUE(pm.KillTimer(off, 7));
    EXPECT_FALSE(pm.KillTimer(off, 7));
    backend_->Advance(1000);
    EXPECT_EQ(offTicks, 4);
    // A removed control takes its timers with it.
    ASSERT_TRUE(pm.SetTimer(go, 9, 10));
    int before = CTimerQueue::Count();
    static_cast<CContainerUI*>(go->GetParent())->Remove(go);
    EXPECT_EQ(CTimerQueue::Count(), before - 1);
    backend_->Advance(100);
}

TEST_F(NotifyTest, FindControlByNameAndByPointAndTheTooltipUnderThePointer) {
    CPaintManagerUI& pm = window_.GetPaintManager();
    EXPECT_EQ(pm.FindControl(L"no_such_control"), nullptr);
    EXPECT_EQ(pm.FindControl(L""), nullptr);
    ASSERT_NE(pm.FindControl(L"hidden"), nullptr) << "hidden controls are found by name";
    // By point: the topmost visible control; hidden pages and controls are skipped.
    Rect pages = window_.Find(L"pages")->GetPos();
    EXPECT_EQ(pm.FindControl(Point{pages.left + 10, pages.top + 10}), window_.Find(L"page_a"));
    window_.Find<CTabLayoutUI>(L"pages")->SelectItem(1);
    EXPECT_EQ(pm.FindControl(Point{pages.left + 10, pages.top + 10}), window_.Find(L"under"));
    EXPECT_EQ(pm.FindControl(Point{pages.left + 60, pages.top + 10}), window_.Find(L"over"));
    EXPECT_EQ(pm.FindControl(Point{pages.left + 160, pages.top + 10}), window_.Find(L"page_b"));
    EXPECT_EQ(pm.FindControl(Point{-5, 10}), nullptr);

    // The control under a pointer that rests shows its tooltip.
    CControlUI* go = window_.Find(L"go");
    go->SetToolTip(L"Start now");
    backend_->MouseMove(window_, Centre(go->GetPos()));
    EXPECT_TRUE(pm.GetActiveToolTip().empty());
    backend_->Advance(500);
    EXPECT_EQ(pm.GetActiveToolTip(), L"Start now");
    backend_->MouseMove(window_, {250, 150});
    EXPECT_TRUE(pm.GetActiveToolTip().empty());
}

TEST_F(NotifyTest, CaptionBandDragsAndItsButtonsStayClickable) {
    // Buttons, options and texts are client area in the caption band.
    for (const auto& [name, area] : {std::pair{L"gap", hit::kCaption},
                                     {L"caption_label", hit::kCaption},
                                     {L"minbtn", hit::kClient},
                                     {L"tab_a", hit::kClient},
                                     {L"caption_text", hit::kClient}})
        EXPECT_EQ(window_.HitTest(Centre(window_.Find(name)->GetPos())), area) << ToUtf8(name);
    EXPECT_EQ(window_.HitTest({10, 34}), hit::kClient) << "below the band";

    // Dragging the band moves the window.
    Rect before = window_.GetWindowRect();
    Point gap = Centre(window_.Find(L"gap")->GetPos());
    backend_->MouseDown(window_, gap);
    backend_->MouseMove(window_, {gap.x + 30, gap.y + 20});
    backend_->MouseUp(window_, {gap.x + 30, gap.y + 20});
    EXPECT_EQ(window_.GetWindowRect(), before.Offset(30, 20));
    EXPECT_TRUE(window_.notified.empty());
    // minbtn in the band is pressed, not dragged, and minimises.
    backend_->ClickControl(window_.Find(L"minbtn"));
    EXPECT_EQ(window_.GetWindowRect(), before.Offset(30, 20));
    EXPECT_TRUE(backend_->WindowOf(window_)->IsMinimized());
    // A double click on the band neither maximises nor restores.
    window_.OnNativeMessage(msg::kLButtonDblClk, 0, MakePointParam(gap));
    EXPECT_EQ(window_.GetWindowRect().Width(), 300);

    // The close button posts its request; the window closes once it arrives.
    TNotifyUI click;
    click.type = L"click";
    click.sender = window_.Find(L"closebtn");
    window_.Notify(click);
    EXPECT_TRUE(window_.IsWindow());
    CMessageLoop::DeliverPosted();
    EXPECT_FALSE(window_.IsWindow());
}

}  // namespace
}  // namespace SkinUI::testing
