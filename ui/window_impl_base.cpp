#include "ui/window_impl_base.h"

#include <cstdlib>

#include "base/log.h"

namespace SkinUI {

namespace {

// The system buttons the base knows, by control name.
struct SystemButton {
    std::wstring_view name;
    WPARAM command;  // 0: close
};

const SystemButton kSystemButtons[] = {
    {L"closebtn", 0},
    {L"SysCloseBtn", 0},
    {L"minbtn", syscmd::kMinimize},
    {L"SysMinBtn", syscmd::kMinimize},
    {L"SysMaxBtn", syscmd::kMaximize},
    {L"SysRestoreBtn", syscmd::kRestore},
};

}  // namespace

void WindowImplBase::Notify(TNotifyUI& msg) {
    if (msg.type != notify::kClick || msg.sender == nullptr) return;
    for (const SystemButton& button : kSystemButtons) {
        if (msg.sender->GetName() != button.name) continue;
        if (button.command == 0)
            Close(1);
        else
            SendMessageW(msg::kSysCommand, button.command, 0);
        return;
    }
}

CControlUI* WindowImplBase::CreateControl(const std::wstring& className) {
    (void)className;
    return nullptr;
}

LRESULT WindowImplBase::OnCreate() {
    // 1. No native frame: the whole window is client area, painted from the skin.
    // 2. The manager is bound to this window.
    paintManager_.Init(this);
    // 3. The skin.
    std::wstring type = GetResourceType() == UILIB_FILE ? std::wstring() : std::wstring(L"xml");
    if (GetResourceType() == UILIB_FILE && !GetSkinFolder().empty())
        CPaintManagerUI::SetResourcePath(GetSkinFolder());
    CDialogBuilder builder;
    CControlUI* root = builder.Create(GetSkinFile(), type, this, &paintManager_);
    if (root == nullptr) {
        WriteLog(L"WindowImplBase - skin %ls: %ls\n", GetSkinFile().c_str(),
                 builder.GetLastError().c_str());
        OnSkinLoadFailed();
        return -1;
    }
    // 4. Attach, listen, and let the window bind its controls.
    paintManager_.AttachDialog(root);
    paintManager_.AddNotifier(this);
    Size size = paintManager_.GetInitSize();
    if (size.cx > 0 && size.cy > 0) ResizeClient(size.cx, size.cy);
    if (GetNative()) GetNative()->SetRoundCorner(paintManager_.GetRoundCorner());
    InitWindow();
    return 0;
}

void WindowImplBase::OnSkinLoadFailed() {
    GetBackend().ShowErrorBox(L"", kSkinLoadFailedText);
    std::exit(1);
}

LRESULT CaptionHitTest(const CWindowWnd& window, CPaintManagerUI& manager, Point screen,
                       std::initializer_list<std::wstring_view> clickable) {
    Point pt = window.ScreenToClient(screen);
    Rect client = window.GetClientRect();
    Rect caption = manager.GetCaptionRect();
    bool inCaption = pt.x >= client.left + caption.left && pt.x < client.right - caption.right &&
                     pt.y >= caption.top && pt.y < caption.bottom;
    if (!inCaption) return hit::kClient;
    CControlUI* control = manager.FindControl(pt);
    if (control == nullptr) return hit::kClient;
    for (std::wstring_view cls : clickable)
        if (control->GetClass() == cls) return hit::kClient;
    return hit::kCaption;
}

LRESULT WindowImplBase::CaptionHitTest(Point screen,
                                       std::initializer_list<std::wstring_view> clickable) {
    return SkinUI::CaptionHitTest(*this, paintManager_, screen, clickable);
}

LRESULT WindowImplBase::OnNcHitTest(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) {
    (void)message;
    (void)wParam;
    handled = true;
    Point screen = PointFromParam(lParam);
    Point pt = ScreenToClient(screen);
    Rect client = GetClientRect();
    Rect box = paintManager_.GetSizeBox();
    // Resize borders only where the skin sets a size box.
    if (box.left || box.top || box.right || box.bottom) {
        bool left = pt.x < client.left + box.left, right = pt.x >= client.right - box.right;
        bool top = pt.y < client.top + box.top, bottom = pt.y >= client.bottom - box.bottom;
        if (top) return left ? hit::kTopLeft : right ? hit::kTopRight : hit::kTop;
        if (bottom) return left ? hit::kBottomLeft : right ? hit::kBottomRight : hit::kBottom;
        if (left) return hit::kLeft;
        if (right) return hit::kRight;
    }
    return CaptionHitTest(screen, {L"ButtonUI", L"OptionUI", L"TextUI", L"FadeButtonUI"});
}

LRESULT WindowImplBase::HandleCustomMessage(UINT message, WPARAM wParam, LPARAM lParam,
                                            bool& handled) {
    (void)message;
    (void)wParam;
    (void)lParam;
    handled = false;
    return 0;
}

LRESULT WindowImplBase::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    bool handled = false;
    switch (message) {
        case msg::kCreate:
            return OnCreate();
        case msg::kNcHitTest: {
            LRESULT result = OnNcHitTest(message, wParam, lParam, handled);
            if (handled) return result;
            break;
        }
        case msg::kNcLButtonDblClk:
            // Fixed-size windows are neither maximised nor restored from the caption.
            return 0;
        case msg::kSize: {
            if (GetNative()) GetNative()->SetRoundCorner(paintManager_.GetRoundCorner());
            break;
        }
        default: {
            LRESULT result = HandleCustomMessage(message, wParam, lParam, handled);
            if (handled) return result;
        }
    }
    LRESULT result = 0;
    if (paintManager_.MessageHandler(message, wParam, lParam, result)) return result;
    return CWindowWnd::HandleMessage(message, wParam, lParam);
}

}  // namespace SkinUI
