// Object lifetime across callbacks, posted messages, window creation, the timer clock's
// wrap-around, colour adjustment and the smaller controls' behaviour.
#include <gtest/gtest.h>

#include "tests/ui/test_window.h"
#include "ui/layouts.h"
#include "ui/message_loop.h"
#include "ui/option.h"
#include "ui/resources.h"
#include "ui/timer_queue.h"

namespace SkinUI::testing {
namespace {

const wchar_t kSkin[] =
    LR"(<Window size="200,100">
  <HorizontalLayout name="row">
    <Button name="self_remover" width="50"/>
    <Option name="toggle" width="50"/>
    <Label name="tinted" width="50" bkcolor="#FFFF0000" colorhsl="true"/>
    <Label name="plain" width="50" bkcolor="#FFFF0000"/>
  </HorizontalLayout></Window>)";

struct BehaviourTest : WindowTest {
    BehaviourTest() : WindowTest(kSkin) {}
};

TEST_F(BehaviourTest, AControlRemovedInItsOwnClickHandlerLivesUntilTheTurnEnds) {
    CControlUI* button = window_.Find(L"self_remover");
    auto* row = window_.Find<CContainerUI>(L"row");
    bool stillReadable = false;
    window_.onNotify = [&](TNotifyUI& msg) {
        if (msg.type != L"click") return;
        row->Remove(msg.sender);
        stillReadable = msg.sender->GetName() == L"self_remover";
    };
    backend_->ClickControl(button);
    EXPECT_TRUE(stillReadable);
    EXPECT_EQ(window_.Find(L"self_remover"), nullptr);
    EXPECT_EQ(window_.GetPaintManager().GetFocus(), nullptr) << "the focus does not point at it";
    EXPECT_EQ(row->GetCount(), 3);
    // Detached without destruction: the caller owns it again.
    CControlUI* toggle = window_.Find(L"toggle");
    ASSERT_TRUE(row->Remove(toggle, true));
    EXPECT_EQ(toggle->GetManager(), nullptr);
    EXPECT_FALSE(row->Remove(toggle));
    delete toggle;
    backend_->Advance(0);
}

TEST_F(BehaviourTest, ALoneOptionTogglesAndHslColouringChangesOnlyControlsThatAskForIt) {
    auto* toggle = window_.Find<COptionUI>(L"toggle");
    backend_->ClickControl(toggle);
    EXPECT_TRUE(toggle->IsSelected());
    backend_->ClickControl(toggle);
    EXPECT_FALSE(toggle->IsSelected());
    EXPECT_EQ(window_.Of(L"selectchanged").size(), 2u);

    auto* frame = backend_->WindowOf(window_);
    Point tinted = Centre(window_.Find(L"tinted")->GetPos());
    Point plain = Centre(window_.Find(L"plain")->GetPos());
    EXPECT_EQ(frame->PixelAt(tinted.x, tinted.y), 0xFFFF0000u) << "no adjustment by default";
    // A hue turn of 120 degrees makes red green.
    window_.GetPaintManager().SetHSL(true, 300, 100, 100);
    backend_->Advance(0);
    EXPECT_EQ(frame->PixelAt(tinted.x, tinted.y), 0xFF00FF00u);
    EXPECT_EQ(frame->PixelAt(plain.x, plain.y), 0xFFFF0000u);
}

TEST_F(BehaviourTest, PostedMessagesToAGoneWindowAreDiscardedAndRefusedClosesIgnored) {
    int discarded = 0;
    auto* other = new TestWindow(kSkin);
    ASSERT_TRUE(other->Open());
    other->PostMessageW(msg::kUser + 5, 0, 0, [&] { ++discarded; });
    window_.PostMessageW(msg::kUser + 5, 0, 0, [&] { ++discarded; });
    int received = 0;
    window_.onMessage = [&](UINT message, WPARAM, LPARAM, bool& handled) -> LRESULT {
        handled = message == msg::kUser + 5;
        received += handled;
        return 0;
    };
    delete other;
    CMessageLoop::DeliverPosted();
    EXPECT_EQ(discarded, 1);
    EXPECT_EQ(received, 1);

    // A close request that is refused keeps the modal loop running.
    TestWindow dialog(kSkin);
    ASSERT_TRUE(dialog.Create(&window_, L"", style::kFrame, 0));
    int refusals = 0;
    dialog.onMessage = [&](UINT message, WPARAM, LPARAM, bool& handled) -> LRESULT {
        handled = message == msg::kClose && refusals++ == 0;
        return 0;
    };
    backend_->Post([&] { dialog.Close(3); });
    backend_->Post([&] {
        EXPECT_TRUE(dialog.IsWindow());
        dialog.Close(4);
    });
    EXPECT_EQ(dialog.ShowModal(), 4u);
    EXPECT_EQ(refusals, 2);
}

TEST_F(BehaviourTest, CreateHandsTheStylesAndTheMenuToTheBackend) {
    int nativeMenu = 0;  // stands for a menu handle, which only the backend may interpret
    TestWindow window(kSkin);
    ASSERT_TRUE(window.Create(&window_, L"styled", 0x96C80000, 0x100, 10, 20, 30, 40, &nativeMenu));
    const WindowParams& params = backend_->WindowOf(window)->Params();
    EXPECT_EQ(params.style, 0x96C80000u);
    EXPECT_EQ(params.exStyle, 0x100u);
    EXPECT_EQ(params.menu, &nativeMenu);
    EXPECT_EQ(params.title, L"styled");
}

TEST_F(BehaviourTest, TimersSurviveTheClockWrappingAroundAndDieWithTheirWindow) {
    CPaintManagerUI& pm = window_.GetPaintManager();
    CControlUI* label = window_.Find(L"plain");
    CTimerQueue::Set(&pm, label, 1, 0x200, 0xFFFFFF00u);
    EXPECT_EQ(CTimerQueue::NextTimeout(0xFFFFFF00u), 0x200);
    EXPECT_EQ(CTimerQueue::NextTimeout(0x00000050u), 0xB0);
    EXPECT_EQ(CTimerQueue::NextTimeout(0x00000150u), 0) << "overdue";
    int ticks = 0;
    window_.onNotify = [&](TNotifyUI& msg) { ticks += msg.type == L"timer"; };
    CTimerQueue::FireDue(0x00000050u);
    EXPECT_EQ(ticks, 0);
    CTimerQueue::FireDue(0x00000100u);
    EXPECT_EQ(ticks, 1);
    EXPECT_EQ(CTimerQueue::NextTimeout(0x00000100u), 0x200);
    EXPECT_TRUE(pm.KillTimer(label, 1));
    // While a loop of the system's holds the thread, the backend's tick fires what is due.
    CTimerQueue::Set(&pm, label, 2, 10, backend_->Now() - 20);
    window_.OnNativeMessage(msg::kTimer, 0, 0);
    EXPECT_EQ(ticks, 2);
    EXPECT_TRUE(pm.KillTimer(label, 2));
    EXPECT_EQ(CTimerQueue::NextTimeout(0), -1);

    // Destroying a window kills its timers.
    const int before = CTimerQueue::Count();
    {
        TestWindow other(kSkin);
        ASSERT_TRUE(other.Open());
        other.GetPaintManager().SetTimer(other.Find(L"plain"), 1, 10);
        other.GetPaintManager().SetTimer(other.Find(L"tinted"), 2, 10);
        EXPECT_EQ(CTimerQueue::Count(), before + 2);
    }
    EXPECT_EQ(CTimerQueue::Count(), before);
    backend_->Advance(100);
}

TEST_F(BehaviourTest, FilesComeFromTheResourceFolderWhenNotEmbedded) {
    std::string folder = ::testing::TempDir();
    {
        std::ofstream file(folder + "skinui-file-skin.xml");
        file << "<Window size=\"10,10\"><Label name=\"from_file\"/></Window>";
    }
    CPaintManagerUI::SetResourcePath(FromUtf8(folder));
    CPaintManagerUI manager;
    CDialogBuilder builder;
    CControlUI* root = builder.Create(L"skinui-file-skin.xml", L"", nullptr, &manager);
    ASSERT_NE(root, nullptr);
    manager.AttachDialog(root);
    EXPECT_NE(manager.FindControl(L"from_file"), nullptr);
    EXPECT_EQ(builder.Create(L"skinui-no-such-file.xml", L"", nullptr, &manager), nullptr);
    CPaintManagerUI::SetResourcePath(L"");
}

}  // namespace
}  // namespace SkinUI::testing
