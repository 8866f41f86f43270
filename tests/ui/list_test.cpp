// Lists with more rows than fit: the scroll bar appears, the wheel and the arrows move the
// rows, and cells follow the header's columns.
#include <gtest/gtest.h>

#include "tests/ui/test_window.h"
#include "ui/layouts.h"
#include "ui/list.h"

namespace SkinUI::testing {
namespace {

const wchar_t kSkin[] =
    LR"(<Window size="300,200">
  <VerticalLayout>
    <List name="listview" vscrollbar="true" scrollstepsize="10" itemshowcolumnline="true" itemlinecolor="#FF00FF00">
      <ListHeader height="20"><ListHeaderItem name="a" text="A" width="50"/><ListHeaderItem name="b" text="B" width="100"/></ListHeader>
    </List>
    <TabLayout name="tabs"><Control name="p0"/><Control name="p1"/></TabLayout>
  </VerticalLayout></Window>)";

class ListTest : public WindowTest {
  protected:
    ListTest() : WindowTest(kSkin) {}
    void SetUp() override {
        WindowTest::SetUp();
        list_ = window_.Find<CListUI>(L"listview");
        ASSERT_NE(list_, nullptr);
        for (int i = 0; i < 20; ++i) {
            auto* row = new CListTextElementUI();
            row->SetFixedHeight(20);
            list_->Add(row);
            row->SetText(0, std::to_wstring(i));
            row->SetText(1, L"row " + std::to_wstring(i));
        }
        backend_->Advance(0);
    }
    CListUI* list_ = nullptr;
};

TEST_F(ListTest, RowsScrollUnderTheHeader) {
    // The list has the top half of the window: 100 px, 20 of them the header.
    ASSERT_EQ(list_->GetPos(), (Rect{0, 0, 300, 100}));
    CScrollBarUI* bar = list_->GetBody()->GetVerticalScrollBar();
    ASSERT_NE(bar, nullptr);
    EXPECT_TRUE(bar->IsOwnVisible());
    EXPECT_EQ(bar->GetScrollRange(), 20 * 20 - 80);
    EXPECT_EQ(list_->GetRowAt(0)->GetPos().top, 20);
    backend_->Wheel(window_, {100, 60}, -120);
    EXPECT_EQ(bar->GetScrollPos(), 30) << "three lines of 10 px";
    EXPECT_EQ(list_->GetRowAt(0)->GetPos().top, -10);
    backend_->Wheel(window_, {100, 60}, 120);
    EXPECT_EQ(bar->GetScrollPos(), 0);
    // Scrolling past the end stops at the range.
    bar->SetScrollPos(10000);
    backend_->Advance(0);
    EXPECT_EQ(bar->GetScrollPos(), 320);
    EXPECT_EQ(list_->GetRowAt(19)->GetPos().bottom, 100);
    // Cells are drawn in the header's columns, clipped to the rows' area.
    auto cells = backend_->WindowOf(window_)->FindText(L"row 19");
    ASSERT_EQ(cells.size(), 1u);
    EXPECT_EQ(cells[0].rect.left, window_.Find(L"b")->GetPos().left);
    EXPECT_EQ(cells[0].rect.right, window_.Find(L"b")->GetPos().right);
    EXPECT_TRUE(backend_->WindowOf(window_)->FindText(L"row 0").empty()) << "scrolled out of view";
    // The column line is at the right edge of each column.
    EXPECT_EQ(backend_->WindowOf(window_)->PixelAt(49, 90), 0xFF00FF00u);
}

TEST_F(ListTest, ClickSelectsARowAndTheTabLayoutKeepsItsPage) {
    backend_->Click(window_, {100, 50});
    EXPECT_EQ(list_->GetCurSel(), 1);
    std::vector<std::wstring> order;
    for (const Notified& n : window_.notified)
        if (n.type == L"itemselect" || n.type == L"itemclick") order.push_back(n.type);
    EXPECT_EQ(order, (std::vector<std::wstring>{L"itemselect", L"itemclick"}));
    list_->RemoveAll();
    EXPECT_EQ(list_->GetCurSel(), -1);
    backend_->Advance(0);
    EXPECT_FALSE(list_->GetBody()->GetVerticalScrollBar()->IsOwnVisible());

    // The tab layout below keeps its page when pages are inserted or removed.
    auto* tabs = window_.Find<CTabLayoutUI>(L"tabs");
    EXPECT_EQ(tabs->GetCurSel(), 0);
    EXPECT_TRUE(tabs->SelectItem(1));
    EXPECT_FALSE(tabs->SelectItem(2));
    auto* front = new CControlUI();
    tabs->AddAt(front, 0);
    EXPECT_EQ(tabs->GetCurSel(), 2);
    EXPECT_TRUE(window_.Find(L"p1")->IsVisible());
    EXPECT_FALSE(front->IsOwnVisible());
    tabs->Remove(window_.Find(L"p1"));
    EXPECT_EQ(tabs->GetCurSel(), 1);
    EXPECT_TRUE(window_.Find(L"p0")->IsOwnVisible());
    backend_->Advance(0);
}

}  // namespace
}  // namespace SkinUI::testing
