#include "app/dialog/message_dialog.h"

#include <string_view>

#include "app/main_frame/control_bindings.h"
#include "base/log.h"
#include "base/ui_text.h"
#include "skin/skin_resources.h"
#include "ui/button.h"
#include "ui/dialog_builder.h"
#include "ui/message_loop.h"
#include "ui/window_impl_base.h"

namespace app {

SkinUI::CWindowWnd* MainWindowHandle = nullptr;

namespace {

using namespace SkinUI;

// The window as the main window is created: popup, visible, clipping, caption, system menu;
// the skin draws the whole window, so the caption and frame bits only describe it.
constexpr UINT kDialogStyle = 0x96C80000;
constexpr UINT kDialogExStyle = 0x00000100;

// The icon tiles of image 206, one per kind.
struct IconTile {
    int kind;
    std::wstring_view image;
};

constexpr IconTile kIconTiles[] = {
    {kIconWarning, L"res='206' restype='png' source='0,0,50,45'"},
    {kIconError, L"res='206' restype='png' source='50,0,100,45'"},
    {kIconSuccess, L"res='206' restype='png' source='100,0,150,45'"},
};

// Which buttons each mode shows and where; an empty place keeps the skin's.
struct ButtonMode {
    int mode;
    bool ok, cancel, close;
    std::wstring_view okPos, cancelPos;
};

constexpr ButtonMode kButtonModes[] = {
    {kMessageOk, true, false, false, L"180, 110, 0, 0", L""},
    {kMessageOkCancel, true, true, false, L"105, 110, 0, 0", L"250, 110, 0, 0"},
    {kMessageCloseButton, false, false, true, L"", L""},
};

// In the close-button mode the text sits lower and further left, where the buttons would be.
constexpr Point kCloseModeTextXY{60, 50};

const IconTile* IconTileOf(int kind) {
    for (const IconTile& tile : kIconTiles)
        if (tile.kind == kind) return &tile;
    return nullptr;
}

const ButtonMode* ButtonModeOf(int mode) {
    for (const ButtonMode& entry : kButtonModes)
        if (entry.mode == mode) return &entry;
    return nullptr;
}

void SetPosIfGiven(CControlUI& control, std::wstring_view pos) {
    if (!pos.empty()) control.SetAttribute(L"pos", pos);
}

// Text, images, button texts and mode; only when the skin has every one of the controls.
void LayOutMessage(CPaintManagerUI& manager, const std::wstring& text, int textX, int mode) {
    if (!FindUnboundControls(manager, MessageDialogBindings()).empty()) {
        WriteLog(L"CMessageDialog - the message controls are missing\n");
        return;
    }
    CControlUI* message = manager.FindControl(L"msgbox");
    auto* ok = dynamic_cast<CButtonUI*>(manager.FindControl(L"okBtn"));
    auto* cancel = dynamic_cast<CButtonUI*>(manager.FindControl(L"cancelBtn"));
    auto* close = dynamic_cast<CButtonUI*>(manager.FindControl(L"closeBtn"));
    if (!message || !ok || !cancel || !close) return;

    message->SetFixedXY({95, 15});
    message->SetText(text);
    message->SetAttribute(L"pos", std::to_wstring(textX) + L",40,0,0");

    cancel->SetNormalImage(L"res ='203' restype = 'png'");
    ok->SetNormalImage(L"res ='204' restype = 'png'");
    ok->SetHotImage(L"res='204' restype = 'png'");
    ok->SetPushedImage(L"res='205' restype = 'png'");
    close->SetNormalImage(L"res = '208' restype = 'png'");
    close->SetHotImage(L"res = '208' restype = 'png'");
    close->SetPushedImage(L"res = '208' restype = 'png'");

    const bool chinese = LanguageFlag == 1;
    ok->SetText(chinese ? L"是" : L"OK");
    cancel->SetText(chinese ? L"否" : L"Cancel");

    const ButtonMode* buttons = ButtonModeOf(mode);
    if (!buttons) return;
    ok->SetVisible(buttons->ok);
    cancel->SetVisible(buttons->cancel);
    close->SetVisible(buttons->close);
    SetPosIfGiven(*ok, buttons->okPos);
    SetPosIfGiven(*cancel, buttons->cancelPos);
    if (mode == kMessageCloseButton) {
        message->SetFixedXY(kCloseModeTextXY);
        message->SetText(text);
    }
}

}  // namespace

void CMessageDialog::Notify(TNotifyUI& msg) {
    if (msg.type != notify::kClick || msg.sender == nullptr) return;
    const std::wstring& name = msg.sender->GetName();
    if (name == L"okBtn") {
        result_ = kResultOk;
        Close(1);
    } else if (name == L"cancelBtn") {
        result_ = kResultCancel;
        Close(1);
    } else if (name == L"closeBtn") {
        Close(1);
    }
}

LRESULT CMessageDialog::OnCreate() {
    paintManager_.Init(this);
    CDialogBuilder builder;
    CControlUI* root = builder.Create(std::to_wstring(skinId_), L"xml", nullptr, &paintManager_);
    if (root == nullptr) {
        // Unlike the main window, a dialog cannot end the process: a migration may be running
        // behind it. The user gets the framework's box and the dialog is not shown.
        WriteLog(L"CMessageDialog - skin %d: %ls\n", skinId_, builder.GetLastError().c_str());
        GetBackend().ShowErrorBox(L"", kSkinLoadFailedText);
        return -1;
    }
    paintManager_.AttachDialog(root);
    paintManager_.AddNotifier(this);
    const Size size = paintManager_.GetInitSize();
    if (size.cx > 0 && size.cy > 0) ResizeClient(size.cx, size.cy);
    return 0;
}

LRESULT CMessageDialog::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case msg::kCreate:
            return OnCreate();
        case msg::kSize:
            // The rounded region follows the window; a minimised window keeps its own.
            if (GetNative() && !GetNative()->IsMinimized())
                GetNative()->SetRoundCorner(paintManager_.GetRoundCorner());
            break;
        case msg::kNcHitTest:
            // The caption band drags the dialog, except over its buttons and text.
            return CaptionHitTest(*this, paintManager_, PointFromParam(lParam),
                                  {L"ButtonUI", L"OptionUI", L"TextUI"});
        case msg::kSysCommand:
            // The system close command leaves the result as it is (0: not OK).
            if (wParam == syscmd::kClose) return SendMessageW(msg::kClose, 0, 0);
            return CWindowWnd::HandleMessage(message, wParam, lParam);
        default:
            break;
    }
    LRESULT result = 0;
    if (paintManager_.MessageHandler(message, wParam, lParam, result)) return result;
    return CWindowWnd::HandleMessage(message, wParam, lParam);
}

UINT ShowMessage(CMessageDialog& dialog, const std::wstring& text, int textX, int mode,
                 int iconKind) {
    dialog.skinId_ = kMessageDialogSkin;
    // A main window that has already gone cannot own the dialog; the screen centres it then.
    CWindowWnd* parent = CMessageLoop::IsWindowAlive(MainWindowHandle) ? MainWindowHandle : nullptr;
    if (!dialog.Create(parent, L"", kDialogStyle, kDialogExStyle)) return static_cast<UINT>(-1);
    CPaintManagerUI& manager = dialog.paintManager_;
    if (CControlUI* icon = manager.FindControl(L"warning")) {
        if (const IconTile* tile = IconTileOf(iconKind)) {
            icon->SetFixedXY({35, 35});
            icon->SetFixedWidth(50);
            icon->SetFixedHeight(45);
            icon->SetBkImage(std::wstring(tile->image));
        }
    }
    LayOutMessage(manager, text, textX, mode);
    dialog.CenterWindow();
    return dialog.ShowModal();
}

}  // namespace app
