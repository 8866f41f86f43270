// The message dialog on the headless backend: which buttons each mode shows and where, the
// icon tile of each kind, the text's place, what each way of closing returns, the size and
// centring, and both languages.
#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "tests/app/dialog_fixture.h"
#include "tests/ui/test_window.h"
#include "ui/button.h"
#include "ui/window_impl_base.h"

namespace app {

namespace {

using namespace SkinUI;

struct Shown {
    bool ok, cancel, close;
};

Shown ButtonsShown(CMessageDialog& dialog) {
    CPaintManagerUI& pm = dialog.GetPaintManager();
    return {pm.FindControl(L"okBtn")->IsVisible(), pm.FindControl(L"cancelBtn")->IsVisible(),
            pm.FindControl(L"closeBtn")->IsVisible()};
}

Point TopLeft(CMessageDialog& dialog, const wchar_t* name) {
    const Rect& rc = dialog.GetPaintManager().FindControl(name)->GetPos();
    return {rc.left, rc.top};
}

// The text run of the message, whose rectangle starts where the text was placed.
headless::TextRun MessageRun(headless::HeadlessBackend& backend, CMessageDialog& dialog,
                             const std::wstring& text) {
    auto runs = backend.WindowOf(dialog)->FindText(text);
    EXPECT_EQ(runs.size(), 1u) << "the message is drawn once";
    return runs.empty() ? headless::TextRun{} : runs.front();
}

TEST_F(DialogTest, OkCancelModeTellsOkFromCancelAndSystemClose) {
    const std::wstring question = GetUiText(81);
    struct Case {
        const wchar_t* button;  // null: the desktop's close command (Alt+F4)
        int result;
        UINT code;
    };
    for (const Case& c : {Case{L"okBtn", kResultOk, 1}, Case{L"cancelBtn", kResultCancel, 1},
                          Case{nullptr, kResultClosed, 0}}) {
        SCOPED_TRACE(c.button ? c.button : L"system close");
        CMessageDialog dialog;
        EXPECT_EQ(dialog.Result(), kResultClosed);
        WhileShown(
            [&](CMessageDialog& shown) {
                Shown buttons = ButtonsShown(shown);
                EXPECT_TRUE(buttons.ok);
                EXPECT_TRUE(buttons.cancel);
                EXPECT_FALSE(buttons.close);
                EXPECT_EQ(TopLeft(shown, L"okBtn"), (Point{105, 110}));
                EXPECT_EQ(TopLeft(shown, L"cancelBtn"), (Point{250, 110}));
                EXPECT_EQ(TopLeft(shown, L"msgbox"), (Point{99, 40}));
                EXPECT_EQ(shown.GetPaintManager().FindControl(L"okBtn")->GetText(), L"OK");
                EXPECT_EQ(shown.GetPaintManager().FindControl(L"cancelBtn")->GetText(), L"Cancel");
                EXPECT_EQ(MessageRun(*backend_, shown, question.substr(0, 20)).rect.left, 99);
                if (!c.button) backend_->SystemClose(shown);
            },
            c.button);
        EXPECT_EQ(ShowMessage(dialog, question, 99, kMessageOkCancel, kIconWarning), c.code);
        EXPECT_EQ(dialog.Result(), c.result);
        EXPECT_FALSE(dialog.IsWindow());
        EXPECT_EQ(backend_->PendingSteps(), 0u);
        EXPECT_FALSE(CMessageLoop::IsQuitPending()) << "the dialog closed, nothing quit";
    }
}

// OK alone is centred; the corner button alone ignores the caller's text x and leaves the
// result alone; an unknown mode keeps the skin's buttons.
TEST_F(DialogTest, EachModeShowsItsButtonsInTheirPlaces) {
    const struct {
        int mode, textX;
        Shown shown;
        Point okAt, textAt;  // the OK (and an unknown mode's Cancel) and the text
        const wchar_t* click;
        int result;
    } cases[] = {
        {kMessageOk, 80, {true, false, false}, {180, 110}, {80, 40}, L"okBtn", kResultOk},
        {kMessageCloseButton, 123, {false, false, true}, {}, {60, 50}, L"closeBtn", kResultClosed},
        {7, 70, {true, true, true}, {110, 97}, {70, 40}, L"closeBtn", kResultClosed},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.mode);
        CMessageDialog dialog;
        WhileShown(
            [&](CMessageDialog& shown) {
                const Shown buttons = ButtonsShown(shown);
                EXPECT_EQ(buttons.ok, c.shown.ok);
                EXPECT_EQ(buttons.cancel, c.shown.cancel);
                EXPECT_EQ(buttons.close, c.shown.close);
                // A hidden button's place is not looked at.
                for (const auto& [name, on, at] : {std::tuple{L"okBtn", c.shown.ok, c.okAt},
                                                   {L"cancelBtn", c.shown.cancel, c.okAt},
                                                   {L"closeBtn", c.shown.close, Point{438, 0}}})
                    EXPECT_EQ(on ? TopLeft(shown, name) : at, at) << name;
                EXPECT_EQ(TopLeft(shown, L"msgbox"), c.textAt);
                EXPECT_EQ(MessageRun(*backend_, shown, L"Orvel Tramsik").rect.left, c.textAt.x);
                // What the user sees: the OK text on the button, no Cancel where none is shown.
                const auto* window = backend_->WindowOf(shown);
                EXPECT_EQ(window->FindText(L"OK").size(), c.shown.ok ? 1u : 0u);
                EXPECT_TRUE(c.shown.cancel || window->FindText(L"Cancel").empty());
            },
            c.click);
        EXPECT_EQ(ShowMessage(dialog, L"Orvel Tramsik", c.textX, c.mode, kIconNone), 1u);
        EXPECT_EQ(dialog.Result(), c.result);
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
                EXPECT_EQ(backend_->WindowOf(shown)->Params().className, L"UIMessageDialog");
                EXPECT_EQ(shown.GetOwner(), nullptr);
                Rect rc = shown.GetWindowRect();
                EXPECT_EQ(rc.Width(), 466);
                EXPECT_EQ(rc.Height(), 177);
                Rect screen = backend_->WorkArea();
                EXPECT_EQ(rc.left, (screen.Width() - 466) / 2);
                EXPECT_EQ(rc.top, (screen.Height() - 177) / 2);
                EXPECT_EQ(backend_->WindowOf(shown)->RoundCorner(), (Size{3, 3}));
                EXPECT_EQ(backend_->WindowOf(shown)->Title(), L"");
                EXPECT_EQ(backend_->WindowOf(shown)->Params().style, 0x96C80000u);
                EXPECT_EQ(backend_->WindowOf(shown)->Params().exStyle, 0x00000100u);
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
            Rect rc = shown.GetWindowRect();
            EXPECT_EQ(rc.left, 100 + (1024 - 466) / 2);
            EXPECT_EQ(rc.top, 50 + (728 - 177) / 2);
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
};

TEST_F(IncompleteSkin, WithoutTheCloseButtonNothingIsSetButTheDialogStillRuns) {
    Use(R"(<Window size="466,177" caption="0,0,0,130"><HorizontalLayout>
      <Button name="warning" float="true" pos="35,35,0,0"/>
      <Text name="msgbox" float="true" pos="95,40,0,0" width="340" height="60" text="skin"/>
      <Button name="okBtn" float="true" pos="110,97,0,0" width="112" height="58" text="ok"/>
      <Button name="cancelBtn" float="true" pos="250,97,0,0" width="112" height="58"/>
    </HorizontalLayout></Window>)");
    CMessageDialog dialog;
    WhileShown(
        [&](CMessageDialog& shown) {
            CPaintManagerUI& pm = shown.GetPaintManager();
            EXPECT_EQ(pm.FindControl(L"msgbox")->GetText(), L"skin");
            EXPECT_EQ(pm.FindControl(L"okBtn")->GetText(), L"ok");
            EXPECT_TRUE(pm.FindControl(L"cancelBtn")->IsVisible()) << "the mode was not applied";
            EXPECT_EQ(TopLeft(shown, L"okBtn"), (Point{110, 97}));
            // The icon does not depend on the other controls.
            EXPECT_EQ(pm.FindControl(L"warning")->GetBkImage(),
                      L"res='206' restype='png' source='50,0,100,45'");
        },
        L"okBtn");
    EXPECT_EQ(ShowMessage(dialog, L"message", 80, kMessageOk, kIconError), 1u);
    EXPECT_EQ(dialog.Result(), kResultOk);
}

TEST_F(IncompleteSkin, WithoutTheIconTheMessageIsShown) {
    Use(R"(<Window size="466,177"><HorizontalLayout>
      <Text name="msgbox" float="true" pos="95,40,0,0" width="340" height="60"/>
      <Button name="okBtn" float="true" pos="110,97,0,0" width="112" height="58"/>
      <Button name="cancelBtn" float="true" pos="110,97,0,0" width="112" height="58"/>
      <Button name="closeBtn" float="true" pos="438,0,0,0" width="27" height="21"/>
    </HorizontalLayout></Window>)");
    CMessageDialog dialog;
    WhileShown(
        [&](CMessageDialog& shown) {
            EXPECT_EQ(shown.GetPaintManager().FindControl(L"msgbox")->GetText(), L"message");
            EXPECT_FALSE(shown.GetPaintManager().FindControl(L"cancelBtn")->IsVisible());
        },
        L"okBtn");
    ShowMessage(dialog, L"message", 80, kMessageOk, kIconWarning);
    EXPECT_EQ(dialog.Result(), kResultOk);
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
