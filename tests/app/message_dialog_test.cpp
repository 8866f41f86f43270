// The message dialog: which buttons each mode shows and where, the icon tile of each kind, the
// text's place, what each way of closing returns, the size, centring and owner.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/app/app_fixture.h"
#include "tests/ui/test_window.h"
#include "ui/button.h"
#include "ui/window_impl_base.h"

namespace app {

namespace {

using namespace SkinUI;

// The shown buttons' and the text's top-left corners, e.g. "ok 105,110 text 99,40".
std::wstring Placed(CMessageDialog& dialog) {
    std::wstring out;
    for (const wchar_t* name : {L"okBtn", L"cancelBtn", L"closeBtn", L"msgbox"}) {
        const CControlUI* control = dialog.GetPaintManager().FindControl(name);
        if (!control || !control->IsVisible()) continue;
        const Rect& rc = control->GetPos();
        out += std::wstring(out.empty() ? L"" : L" ") + name + L" " + std::to_wstring(rc.left) +
               L"," + std::to_wstring(rc.top);
    }
    return out;
}

// OK and Cancel side by side, OK alone centred; the corner button alone ignores the caller's
// text x and leaves the result alone; an unknown mode keeps the skin's buttons. Every way of
// closing returns its result: OK, Cancel, the corner button, the desktop's close (Alt+F4).
TEST_F(DialogTest, EachModeShowsItsButtonsInTheirPlacesAndEachCloseItsResult) {
    const wchar_t* const kOkCancel = L"okBtn 105,110 cancelBtn 250,110 msgbox 99,40";
    const struct {
        int mode, textX;
        const wchar_t* placed;
        const wchar_t* click;  // null: the desktop's close command
        int result;
        UINT code;
    } cases[] = {
        {kMessageOkCancel, 99, kOkCancel, L"okBtn", kResultOk, 1},
        {kMessageOkCancel, 99, kOkCancel, L"cancelBtn", kResultCancel, 1},
        {kMessageOkCancel, 99, kOkCancel, nullptr, kResultClosed, 0},
        {kMessageOk, 80, L"okBtn 180,110 msgbox 80,40", L"okBtn", kResultOk, 1},
        {kMessageCloseButton, 123, L"closeBtn 438,0 msgbox 60,50", L"closeBtn", kResultClosed, 1},
        {7, 70, L"okBtn 110,97 cancelBtn 110,97 closeBtn 438,0 msgbox 70,40", L"closeBtn",
         kResultClosed, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message()
                     << c.mode << " closed by " << (c.click ? c.click : L"system"));
        CMessageDialog dialog;
        WhileShown(
            [&](CMessageDialog& shown) {
                EXPECT_EQ(Placed(shown), c.placed);
                // The message drawn where it was placed, the button texts where they are shown.
                const auto* window = backend_->WindowOf(shown);
                const auto runs = window->FindText(L"Orvel Tramsik");
                ASSERT_EQ(runs.size(), 1u);
                EXPECT_EQ(runs.front().rect.left, Control(shown, L"msgbox")->GetPos().left);
                EXPECT_EQ(window->FindText(L"OK").size(), Control(shown, L"okBtn")->IsVisible());
                if (c.mode != 7) {
                    EXPECT_EQ(window->FindText(L"Cancel").size(),
                              Control(shown, L"cancelBtn")->IsVisible());
                }
                if (!c.click) backend_->SystemClose(shown);
            },
            c.click);
        EXPECT_EQ(ShowMessage(dialog, L"Orvel Tramsik", c.textX, c.mode, kIconNone), c.code);
        EXPECT_EQ(dialog.Result(), c.result);
        EXPECT_FALSE(dialog.IsWindow());
        EXPECT_EQ(backend_->PendingSteps(), 0u);
        EXPECT_FALSE(CMessageLoop::IsQuitPending()) << "the dialog closed, nothing quit";
    }
}

// An icon kind shows its tile of image 206 (their colours are the skin tests'); an unknown kind
// draws nothing, as none does.
TEST_F(DialogTest, EachIconKindShowsItsTileOfImage206) {
    const int kinds[] = {kIconWarning, kIconNone, 64};
    std::vector<uint32_t> drawn[std::size(kinds)];  // the icon's place, as painted
    for (size_t i = 0; i < std::size(kinds); ++i) {
        CMessageDialog dialog;
        WhileShown(
            [&](CMessageDialog& shown) {
                CControlUI* icon = Control(shown, L"warning");
                if (kinds[i] == kIconWarning) {
                    EXPECT_EQ(icon->GetBkImage(), L"res='206' restype='png' source='0,0,50,45'");
                    EXPECT_EQ(icon->GetPos(), (Rect{35, 35, 85, 80}));
                }
                for (int y = 35; y < 80; ++y)
                    for (int x = 35; x < 85; ++x)
                        drawn[i].push_back(backend_->WindowOf(shown)->PixelAt(x, y));
            },
            L"okBtn");
        ShowMessage(dialog, L"icon", 95, kMessageOk, kinds[i]);
    }
    EXPECT_NE(drawn[0], drawn[1]);
    EXPECT_EQ(drawn[1], drawn[2]) << "every unknown kind draws no icon";
}

TEST_F(DialogTest, SizeCentringAndParent) {
    // During start-up there is no main window: the dialog has no owner and the screen centres it.
    {
        CMessageDialog dialog;
        WhileShown(
            [&](CMessageDialog& shown) {
                EXPECT_EQ(shown.GetOwner(), nullptr);
                const Rect screen = backend_->WorkArea();
                const Point at{(screen.Width() - 466) / 2, (screen.Height() - 177) / 2};
                EXPECT_EQ(shown.GetWindowRect(), (Rect{at.x, at.y, at.x + 466, at.y + 177}));
                const auto* window = backend_->WindowOf(shown);  // an untitled, rounded window
                EXPECT_EQ(std::pair(window->RoundCorner(), window->Title()),
                          std::pair(Size{3, 3}, std::wstring()));
            },
            L"okBtn");
        ShowMessage(dialog, L"start-up", 65, kMessageOk, kIconWarning);
    }
    // Later the main window owns it and centres it.
    SkinUI::testing::TestWindow mainWindow(
        LR"(<Window size="1024,728"><VerticalLayout/></Window>)");
    ASSERT_TRUE(mainWindow.Open());
    MainWindowHandle = &mainWindow;
    CMessageDialog dialog;
    WhileShown(
        [&](CMessageDialog& shown) {
            EXPECT_EQ(shown.GetOwner(), &mainWindow);
            EXPECT_EQ(shown.GetWindowRect().left, 100 + (1024 - 466) / 2);
            EXPECT_EQ(shown.GetWindowRect().top, 50 + (728 - 177) / 2);
        },
        L"okBtn");
    ShowMessage(dialog, L"owned", 65, kMessageOk, kIconWarning);
    // A main window that has gone does not own the next dialog.
    mainWindow.DestroyWindow();
    CMessageDialog orphan;
    WhileShown([&](CMessageDialog& shown) { EXPECT_EQ(shown.GetOwner(), nullptr); }, L"okBtn");
    ShowMessage(orphan, L"orphan", 65, kMessageOk, kIconWarning);
}

TEST_F(DialogTest, CaptionBandIsTheTopExceptButtonsAndText) {
    CMessageDialog dialog;
    WhileShown(
        [&](CMessageDialog& shown) {
            auto hitAt = [&](int x, int y) {
                return shown.SendMessageW(msg::kNcHitTest, 0,
                                          MakePointParam(shown.ClientToScreen({x, y})));
            };
            EXPECT_EQ(hitAt(10, 10), hit::kCaption) << "the empty top band";
            EXPECT_EQ(hitAt(465, 129), hit::kCaption);
            EXPECT_EQ(hitAt(236, 120), hit::kClient) << "the OK button";
            EXPECT_EQ(hitAt(150, 60), hit::kClient) << "the text";
            EXPECT_EQ(hitAt(10, 130), hit::kClient) << "below the caption band";
        },
        L"okBtn");
    ShowMessage(dialog, L"drag", 95, kMessageOk, kIconNone);
    EXPECT_EQ(dialog.Result(), kResultOk);
}

// A dialog skin that lacks some of the message controls: the dialog runs with what the skin has.
class IncompleteSkin : public DialogTest {
  protected:
    void Use(const char* skin) {
        module_.Add(L"198", L"XML", skin);
        CPaintManagerUI::SetInstance(&module_);
    }
    CResourceModule module_;
    std::string skin_;
};

// Without the close button nothing is set (the skin's texts and buttons stay) but the dialog
// runs; without the icon the message is set and shown.
TEST_F(IncompleteSkin, TheDialogRunsWithTheControlsItHas) {
    const std::string buttons =
        R"(<Button name="okBtn" float="true" pos="110,97,0,0" width="112" height="58" text="ok"/>
      <Button name="cancelBtn" float="true" pos="250,97,0,0" width="112" height="58"/>)";
    const struct {
        std::string controls;
        const wchar_t *text, *okText;
        bool cancelShown;
        int okX, okY;
        const wchar_t* icon;
    } cases[] = {
        {R"(<Button name="warning" float="true" pos="35,35,0,0"/>)" + buttons, L"skin", L"ok", true,
         110, 97, L"res='206' restype='png' source='50,0,100,45'"},
        {buttons + R"(<Button name="closeBtn" float="true" pos="438,0,0,0" width="27"/>)",
         L"message", L"OK", false, 180, 110, nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(ToUtf8(c.text));
        skin_ = R"(<Window size="466,177" caption="0,0,0,130"><HorizontalLayout>
          <Text name="msgbox" float="true" pos="95,40,0,0" width="340" height="60" text="skin"/>)" +
                c.controls + "</HorizontalLayout></Window>";
        Use(skin_.c_str());
        CMessageDialog dialog;
        WhileShown(
            [&](CMessageDialog& shown) {
                EXPECT_EQ(Control(shown, L"msgbox")->GetText(), c.text);
                EXPECT_EQ(Control(shown, L"okBtn")->GetText(), c.okText);
                EXPECT_EQ(Control(shown, L"cancelBtn")->IsVisible(), c.cancelShown);
                const Rect& ok = Control(shown, L"okBtn")->GetPos();
                EXPECT_EQ((Point{ok.left, ok.top}), (Point{c.okX, c.okY}));
                // The icon does not depend on the other controls.
                if (c.icon) {
                    EXPECT_EQ(Control(shown, L"warning")->GetBkImage(), c.icon);
                }
            },
            L"okBtn");
        EXPECT_EQ(ShowMessage(dialog, L"message", 80, kMessageOk, kIconError), 1u);
        EXPECT_EQ(dialog.Result(), kResultOk);
    }
}

TEST_F(IncompleteSkin, AnUnreadableSkinShowsTheFrameworksBoxAndNoDialog) {
    Use("<Window size=");
    CMessageDialog dialog;
    EXPECT_EQ(ShowMessage(dialog, L"message", 80, kMessageOkCancel, kIconWarning),
              static_cast<UINT>(-1));
    EXPECT_EQ(backend_->LastErrorBox(), kSkinLoadFailedText);
    EXPECT_FALSE(dialog.IsWindow());
    EXPECT_EQ(dialog.Result(), kResultClosed);
    EXPECT_TRUE(backend_->Windows().empty());
}

}  // namespace

}  // namespace app
