// A modal dialog: the owner is disabled while the dialog's loop runs, yet its timers keep
// firing; Close(code) ends the loop with that code, a quit ends it too, and loops nest.
#include <gtest/gtest.h>

#include "tests/ui/test_window.h"
#include "ui/message_loop.h"

namespace SkinUI::testing {
namespace {

const wchar_t kOwnerSkin[] =
    LR"(<Window size="400,300"><VerticalLayout>
  <Button name="poke" height="40"/><Progress name="progress3" height="10"/>
</VerticalLayout></Window>)";

const wchar_t kDialogSkin[] =
    LR"(<Window size="466,177" caption="0,0,0,130" roundcorner="3,3" bktrans="false">
  <HorizontalLayout width="466" height="150" bkcolor="#FF1E2A38">
    <Button name="okBtn" float="true" pos="105,110,0,0" width="112" height="58"/>
    <Button name="cancelBtn" float="true" pos="250,110,0,0" width="112" height="58"/>
  </HorizontalLayout></Window>)";

class Dialog : public TestWindow {
  public:
    Dialog() : TestWindow(kDialogSkin) {}
    void Notify(TNotifyUI& msg) override {
        TestWindow::Notify(msg);
        if (msg.type != L"click") return;
        if (msg.sender->GetName() == L"okBtn") Close(1);
        if (msg.sender->GetName() == L"cancelBtn") Close(2);
    }
};

struct ModalTest : WindowTest {
    ModalTest() : WindowTest(kOwnerSkin) {}
};

TEST_F(ModalTest, OwnerTimerRunsDuringTheDialogCodesComeBackAndQuitEndsTheLoop) {
    CPaintManagerUI& pm = window_.GetPaintManager();
    CControlUI* progress = window_.Find(L"progress3");
    ASSERT_TRUE(pm.SetTimer(progress, 2016, 1000));
    Dialog dialog;
    ASSERT_TRUE(dialog.Create(&window_, L"", style::kFrame, 0));

    int paintsBefore = backend_->WindowOf(window_)->PaintCount();
    bool ownerEnabledInside = true;
    backend_->Post([&] {
        ownerEnabledInside = window_.IsWindowEnabled() || backend_->WindowOf(window_)->IsEnabled();
        backend_->Advance(3500);
        // The owner's content changes and is repainted although it takes no input.
        window_.Find(L"poke")->SetText(L"tick");
        backend_->Advance(0);
        backend_->ClickControl(window_.Find(L"poke"));
    });
    backend_->Post([&] { backend_->ClickControl(dialog.Find(L"cancelBtn")); });
    UINT code = dialog.ShowModal();

    EXPECT_EQ(code, 2u);
    EXPECT_FALSE(ownerEnabledInside);
    EXPECT_TRUE(window_.IsWindowEnabled());
    EXPECT_TRUE(backend_->WindowOf(window_)->IsFocused());
    EXPECT_FALSE(dialog.IsWindow());
    auto ticks = window_.Of(L"timer");
    ASSERT_EQ(ticks.size(), 3u);
    EXPECT_EQ(ticks[0].wParam, 2016u);
    EXPECT_EQ(ticks[0].sender, L"progress3");
    EXPECT_TRUE(window_.Of(L"click").empty()) << "a disabled owner takes no input";
    EXPECT_GT(backend_->WindowOf(window_)->PaintCount(), paintsBefore);
    EXPECT_FALSE(CMessageLoop::IsQuitPending());

    // A quit ends the loop and stays pending for the outer loop.
    Dialog quitted;
    ASSERT_TRUE(quitted.Create(&window_, L"", style::kFrame, 0));
    backend_->Post([&] { CMessageLoop::PostQuit(5); });
    quitted.ShowModal();
    EXPECT_TRUE(quitted.IsWindow()) << "the dialog was not closed, only the loop ended";
    EXPECT_TRUE(window_.IsWindowEnabled());
    EXPECT_TRUE(CMessageLoop::IsQuitPending());
    EXPECT_EQ(CMessageLoop::Run(), 5);
    EXPECT_FALSE(CMessageLoop::IsQuitPending());

    // Nested dialogs each return their own code.
    Dialog outer, inner;
    ASSERT_TRUE(outer.Create(&window_, L"", style::kFrame, 0));
    UINT innerCode = 99;
    backend_->Post([&] {
        ASSERT_TRUE(inner.Create(&outer, L"", style::kFrame, 0));
        // The desktop's close command ends a dialog with code 0.
        backend_->Post([&] { backend_->SystemClose(inner); });
        innerCode = inner.ShowModal();
        EXPECT_TRUE(outer.IsWindowEnabled());
        EXPECT_FALSE(window_.IsWindowEnabled());
        backend_->Post([&] { backend_->ClickControl(outer.Find(L"cancelBtn")); });
    });
    EXPECT_EQ(outer.ShowModal(), 2u);
    EXPECT_EQ(innerCode, 0u);
    EXPECT_TRUE(window_.IsWindowEnabled());
}

}  // namespace
}  // namespace SkinUI::testing
