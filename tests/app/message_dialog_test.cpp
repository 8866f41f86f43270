// The message dialog on the headless backend: which buttons each mode shows and where, the
// icon tile of each kind, the text's place, what each way of closing returns, the size and
// centring, and both languages.
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

// The message's text run, whose rectangle starts where the text was placed.
int MessageX(headless::HeadlessBackend& backend, CMessageDialog& dialog, const std::wstring& text) {
    auto runs = backend.WindowOf(dialog)->FindText(text);
    EXPECT_EQ(runs.size(), 1u) << "the message is drawn once";
    return runs.empty() ? -1 : runs.front().rect.left;
}

// OK and Cancel side by side, OK alone centred; the corner button alone ignores the caller's
// text x and leaves the result alone; an unknown mode keeps the skin's buttons. Every way of
// closing returns its result: OK, Cancel, the corner button, the desktop's close (Alt+F4).
TEST_F(DialogTest, EachModeShowsItsButtonsInTheirPlacesAndEachCloseItsResult) {
    const Point hidden{-1, -1};
    const struct {
        int mode, textX;
        Point okAt, cancelAt, closeAt, textAt;  // `hidden` for a button not shown
        const wchar_t* click;                   // null: the desktop's close command
        int result;
        UINT code;
    } cases[] = {
        {kMessageOkCancel, 99, {105, 110}, {250, 110}, hidden, {99, 40}, L"okBtn", kResultOk, 1},
        {kMessageOkCancel,
         99,
         {105, 110},
         {250, 110},
         hidden,
         {99, 40},
         L"cancelBtn",
         kResultCancel,
         1},
        {kMessageOkCancel, 99, {105, 110}, {250, 110}, hidden, {99, 40}, nullptr, kResultClosed, 0},
        {kMessageOk, 80, {180, 110}, hidden, hidden, {80, 40}, L"okBtn", kResultOk, 1},
        {kMessageCloseButton,
         123,
         hidden,
         hidden,
         {438, 0},
         {60, 50},
         L"closeBtn",
         kResultClosed,
         1},
        {7, 70, {110, 97}, {110, 97}, {438, 0}, {70, 40}, L"closeBtn", kResultClosed, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message()
                     << c.mode << " closed by " << (c.click ? c.click : L"system"));
        CMessageDialog dialog;
        EXPECT_EQ(dialog.Result(), kResultClosed);
        WhileShown(
            [&](CMessageDialog& shown) {
                for (const auto& [name, at] : {std::pair{L"okBtn", c.okAt},
                                               {L"cancelBtn", c.cancelAt},
                                               {L"closeBtn", c.closeAt}}) {
                    const CControlUI* button = Control(shown, name);
                    const Rect& rc = button->GetPos();
                    EXPECT_EQ(button->IsVisible() ? (Point{rc.left, rc.top}) : hidden, at) << name;
                }
                EXPECT_EQ(Control(shown, L"msgbox")->GetPos().left, c.textAt.x);
                EXPECT_EQ(Control(shown, L"msgbox")->GetPos().top, c.textAt.y);
                EXPECT_EQ(MessageX(*backend_, shown, L"Orvel Tramsik"), c.textAt.x);
                // What the user sees: the button texts where the buttons are shown.
                const auto* window = backend_->WindowOf(shown);
                EXPECT_EQ(window->FindText(L"OK").size(), c.okAt == hidden ? 0u : 1u);
                if (c.mode != 7) {
                    EXPECT_EQ(window->FindText(L"Cancel").size(), c.cancelAt == hidden ? 0u : 1u);
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

TEST_F(DialogTest, EachIconKindShowsItsTileOfImage206) {
    struct Case {
        int kind;
        const wchar_t* image;  // null: the skin's icon, which has neither size nor image
    };
    const Case cases[] = {
        {kIconWarning, L"res='206' restype='png' source='0,0,50,45'"},
        {kIconError, L"res='206' restype='png' source='50,0,100,45'"},
        {kIconSuccess, L"res='206' restype='png' source='100,0,150,45'"},
        {kIconNone, nullptr},
        {64, nullptr},
    };
    std::vector<uint32_t> drawn[std::size(cases)];  // the icon's place, as painted
    for (size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(cases[i].kind);
        CMessageDialog dialog;
        WhileShown(
            [&](CMessageDialog& shown) {
                CControlUI* icon = Control(shown, L"warning");
                ASSERT_NE(icon, nullptr);
                if (cases[i].image) {
                    EXPECT_EQ(icon->GetBkImage(), cases[i].image);
                    EXPECT_EQ(icon->GetPos(), (Rect{35, 35, 85, 80}));
                } else {
                    EXPECT_EQ(icon->GetBkImage(), L"");
                    EXPECT_EQ(icon->GetFixedWidth(), 0);
                    EXPECT_EQ(icon->GetFixedHeight(), 0);
                }
                for (int y = 35; y < 80; ++y)
                    for (int x = 35; x < 85; ++x)
                        drawn[i].push_back(backend_->WindowOf(shown)->PixelAt(x, y));
            },
            L"okBtn");
        ShowMessage(dialog, L"icon", 95, kMessageOk, cases[i].kind);
    }
    // The three tiles differ from each other and from the bare background.
    EXPECT_NE(drawn[0], drawn[1]);
    EXPECT_NE(drawn[1], drawn[2]);
    EXPECT_NE(drawn[0], drawn[2]);
    for (int tile = 0; tile < 3; ++tile)
        EXPECT_NE(drawn[tile], drawn[3]) << "tile " << tile;
    EXPECT_EQ(drawn[3], drawn[4]) << "every unknown kind draws no icon";
}

TEST_F(DialogTest, ChineseButtonsAndText) {
    LanguageFlag = 1;
    CMessageDialog dialog;
    WhileShown(
        [&](CMessageDialog& shown) {
            EXPECT_EQ(Control(shown, L"okBtn")->GetText(), L"是");
            EXPECT_EQ(Control(shown, L"cancelBtn")->GetText(), L"否");
            auto* window = backend_->WindowOf(shown);
            EXPECT_EQ(window->FindText(L"是").size(), 1u);
            EXPECT_EQ(window->FindText(L"否").size(), 1u);
            EXPECT_EQ(window->FindText(L"用户已终止").size(), 1u);
        },
        L"cancelBtn");
    ShowMessage(dialog, GetUiText(77), 70, kMessageOkCancel, kIconError);
    EXPECT_EQ(dialog.Result(), kResultCancel);
}

TEST_F(DialogTest, SizeCentringAndParent) {
    // During start-up there is no main window: the dialog has no owner and the screen centres it.
    {
        CMessageDialog dialog;
        WhileShown(
            [&](CMessageDialog& shown) {
                const auto* window = backend_->WindowOf(shown);
                EXPECT_EQ(window->Params().className, L"UIMessageDialog");
                EXPECT_EQ(shown.GetOwner(), nullptr);
                const Rect screen = backend_->WorkArea();
                const Point at{(screen.Width() - 466) / 2, (screen.Height() - 177) / 2};
                EXPECT_EQ(shown.GetWindowRect(), (Rect{at.x, at.y, at.x + 466, at.y + 177}));
                EXPECT_EQ(window->RoundCorner(), (Size{3, 3}));
                EXPECT_EQ(window->Title(), L"");
                EXPECT_EQ(window->Params().style, 0x96C80000u);
                EXPECT_EQ(window->Params().exStyle, 0x00000100u);
            },
            L"okBtn");
        ShowMessage(dialog, L"start-up", 65, kMessageOk, kIconWarning);
    }
    // Later the main window owns it: centred on it, and disabled while the dialog runs.
    SkinUI::testing::TestWindow mainWindow(
        LR"(<Window size="1024,728"><VerticalLayout/></Window>)");
    ASSERT_TRUE(mainWindow.Open());
    MainWindowHandle = &mainWindow;
    CMessageDialog dialog;
    bool ownerEnabled = true;
    WhileShown(
        [&](CMessageDialog& shown) {
            EXPECT_EQ(shown.GetOwner(), &mainWindow);
            ownerEnabled = backend_->WindowOf(mainWindow)->IsEnabled();
            EXPECT_EQ(shown.GetWindowRect().left, 100 + (1024 - 466) / 2);
            EXPECT_EQ(shown.GetWindowRect().top, 50 + (728 - 177) / 2);
        },
        L"okBtn");
    ShowMessage(dialog, L"owned", 65, kMessageOk, kIconWarning);
    EXPECT_FALSE(ownerEnabled);
    EXPECT_TRUE(backend_->WindowOf(mainWindow)->IsEnabled());
    // A main window that has gone does not own the next dialog.
    mainWindow.DestroyWindow();
    CMessageDialog orphan;
    WhileShown([&](CMessageDialog& shown) { EXPECT_EQ(shown.GetOwner(), nullptr); }, L"okBtn");
    ShowMessage(orphan, L"orphan", 65, kMessageOk, kIconWarning);
    EXPECT_EQ(orphan.Result(), kResultOk);
}

TEST_F(DialogTest, CaptionBandDragsExceptOverButtonsAndText) {
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
            // A drag in the band moves the dialog.
            Rect before = shown.GetWindowRect();
            backend_->MouseDown(shown, {10, 10});
            backend_->MouseMove(shown, {30, 25});
            backend_->MouseUp(shown, {30, 25});
            EXPECT_EQ(shown.GetWindowRect(), before.Offset(20, 15));
        },
        L"okBtn");
    ShowMessage(dialog, L"drag", 95, kMessageOk, kIconNone);
    EXPECT_EQ(dialog.Result(), kResultOk);
}

}  // namespace

namespace {

using namespace SkinUI;

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
