#include "ui/window_wnd.h"

#include "ui/image_cache.h"
#include "ui/message_loop.h"

namespace SkinUI {

namespace {

bool IsInput(UINT message) {
    return message == msg::kMouseMove || message == msg::kLButtonDown ||
           message == msg::kLButtonUp || message == msg::kLButtonDblClk ||
           message == msg::kMouseWheel || message == msg::kKeyDown;
}

}  // namespace

CWindowWnd::CWindowWnd() : life_(std::make_shared<Life>()) {}

CWindowWnd::~CWindowWnd() {
    life_->alive = false;
    if (native_) {
        CMessageLoop::UnregisterWindow(this);
        native_.reset();
    }
}

CWindowWnd* CWindowWnd::Create(CWindowWnd* parent, const std::wstring& name, UINT windowStyle,
                               UINT exStyle, int x, int y, int cx, int cy, void* menu) {
    if (native_) return this;
    owner_ = parent;
    WindowParams params;
    params.kind = kind_;
    params.className = GetWindowClassName();
    params.title = name;
    params.style = windowStyle;
    params.exStyle = exStyle;
    params.menu = menu;
    Rect work = GetBackend().WorkArea();
    if (cx == kUseDefault || cx <= 0) cx = 400;
    if (cy == kUseDefault || cy <= 0) cy = 300;
    if (x == kUseDefault) x = work.left + 40;
    if (y == kUseDefault) y = work.top + 40;
    params.rect = {x, y, x + cx, y + cy};
    native_ =
        GetBackend().CreateNativeWindow(*this, params, parent ? parent->GetNative() : nullptr);
    if (!native_) return nullptr;
    CMessageLoop::RegisterWindow(this);
    // The create handler may build a whole skin and even close the window again.
    std::weak_ptr<Life> life = life_;
    if (SendMessageW(msg::kCreate) < 0) {
        if (!life.expired() && life.lock()->alive) DestroyWindow();
        return nullptr;
    }
    if (life.expired() || !native_) return nullptr;
    if (windowStyle & style::kVisible) ShowWindow(true, true);
    return this;
}

void CWindowWnd::ShowWindow(bool show, bool takeFocus) {
    if (native_) native_->Show(show, takeFocus);
}

bool CWindowWnd::IsWindowVisible() const {
    return native_ && native_->IsShown();
}

CWindowWnd* CWindowWnd::GetOwner() const {
    return CMessageLoop::IsWindowAlive(owner_) ? owner_ : nullptr;
}

UINT CWindowWnd::ShowModal() {
    if (!native_) return static_cast<UINT>(-1);
    std::shared_ptr<Life> life = life_;
    life->closeCode = 0;
    CWindowWnd* owner = GetOwner();
    ShowWindow(true, true);
    if (owner) owner->EnableWindow(false);
    while (life->alive && native_) {
        if (!CMessageLoop::PumpTurn()) break;
    }
    if (CMessageLoop::IsWindowAlive(owner)) {
        owner->EnableWindow(true);
        owner->SetFocus();
    }
    return life->closeCode;
}

void CWindowWnd::Close(UINT code) {
    if (native_) PostMessageW(msg::kClose, code, 0);
}

void CWindowWnd::DestroyWindow() {
    if (!native_) return;
    std::weak_ptr<Life> life = life_;
    SendMessageW(msg::kDestroy);
    if (life.expired() || !native_) return;
    CMessageLoop::UnregisterWindow(this);
    native_.reset();
    OnFinalMessage();
}

void CWindowWnd::CenterWindow() {
    if (!native_) return;
    Rect rc = native_->GetRect();
    CWindowWnd* owner = GetOwner();
    Rect area = owner ? owner->GetWindowRect() : GetBackend().WorkArea();
    int x = area.left + (area.Width() - rc.Width()) / 2;
    int y = area.top + (area.Height() - rc.Height()) / 2;
    // Keep the window on the screen even when its owner hangs over an edge.
    Rect work = GetBackend().WorkArea();
    x = std::max(work.left, std::min(x, work.right - rc.Width()));
    y = std::max(work.top, std::min(y, work.bottom - rc.Height()));
    native_->Move({x, y, x + rc.Width(), y + rc.Height()});
}

void CWindowWnd::SetIcon(UINT resourceId) {
    if (!native_) return;
    if (auto image = CImageCache::Get(std::to_wstring(resourceId), L"png"))
        native_->SetIcon(*image);
}

LRESULT CWindowWnd::SendMessageW(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == msg::kClose) life_->closeCode = static_cast<UINT>(wParam);
    return HandleMessage(message, wParam, lParam);
}

void CWindowWnd::PostMessageW(UINT message, WPARAM wParam, LPARAM lParam,
                              std::function<void()> discard) {
    CMessageLoop::Post(this, message, wParam, lParam, std::move(discard));
}

void CWindowWnd::ResizeClient(int cx, int cy) {
    if (!native_) return;
    Rect rc = native_->GetRect();
    native_->Move({rc.left, rc.top, rc.left + cx, rc.top + cy});
    SendMessageW(msg::kSize, 0, MakePointParam({cx, cy}));
}

void CWindowWnd::MoveWindow(const Rect& screenRect) {
    if (!native_) return;
    Rect old = native_->GetRect();
    native_->Move(screenRect);
    if (old.Width() != screenRect.Width() || old.Height() != screenRect.Height())
        SendMessageW(msg::kSize, 0, MakePointParam({screenRect.Width(), screenRect.Height()}));
}

Rect CWindowWnd::GetWindowRect() const {
    return native_ ? native_->GetRect() : Rect{};
}

Rect CWindowWnd::GetClientRect() const {
    Rect rc = GetWindowRect();
    return {0, 0, rc.Width(), rc.Height()};
}

Point CWindowWnd::ClientToScreen(Point pt) const {
    Rect rc = GetWindowRect();
    return {pt.x + rc.left, pt.y + rc.top};
}

Point CWindowWnd::ScreenToClient(Point pt) const {
    Rect rc = GetWindowRect();
    return {pt.x - rc.left, pt.y - rc.top};
}

void CWindowWnd::EnableWindow(bool enable) {
    enabled_ = enable;
    if (native_) native_->Enable(enable);
}

void CWindowWnd::SetFocus() {
    if (native_) native_->Focus();
}

LRESULT CWindowWnd::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    (void)lParam;
    switch (message) {
        case msg::kClose:
            DestroyWindow();
            return 0;
        case msg::kNcHitTest:
            return hit::kClient;
        case msg::kSysCommand:
            if (wParam == syscmd::kMinimize && native_) native_->Minimize();
            if (wParam == syscmd::kClose) SendMessageW(msg::kClose, 0, 0);
            return 0;
        default:
            return 0;
    }
}

LRESULT CWindowWnd::OnNativeMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (!native_) return 0;
    // A window disabled by a modal loop refuses input; its timers and painting go on.
    if (IsInput(message) && !enabled_) return 0;
    Point client = PointFromParam(lParam);
    Point screen = ClientToScreen(client);
    switch (message) {
        case msg::kLButtonDown: {
            std::weak_ptr<Life> life = life_;
            CMessageLoop::ClosePopupsExcept(this);
            if (life.expired() || !native_) return 0;
            if (HandleMessage(msg::kNcHitTest, 0, MakePointParam(screen)) == hit::kCaption) {
                // Moved by the program itself: it works with and without a window manager.
                dragging_ = true;
                dragStart_ = screen;
                dragWindow_ = native_->GetRect();
                native_->SetCapture(true);
                return 0;
            }
            break;
        }
        case msg::kLButtonDblClk:
            if (HandleMessage(msg::kNcHitTest, 0, MakePointParam(screen)) == hit::kCaption)
                return SendMessageW(msg::kNcLButtonDblClk, static_cast<WPARAM>(hit::kCaption),
                                    MakePointParam(screen));
            break;
        case msg::kMouseMove:
            if (dragging_) {
                int dx = screen.x - dragStart_.x, dy = screen.y - dragStart_.y;
                native_->Move(dragWindow_.Offset(dx, dy));
                return 0;
            }
            break;
        case msg::kTimer:
            // A loop of the system's own holds the thread (a native window moved by its
            // caption); the backend ticks through it, so timers and painting go on meanwhile.
            CMessageLoop::DeliverPosted();
            CMessageLoop::FireTimersAndFlush();
            return 0;
        case msg::kLButtonUp:
            if (dragging_) {
                dragging_ = false;
                native_->SetCapture(false);
                return 0;
            }
            break;
        default:
            break;
    }
    return SendMessageW(message, wParam, lParam);
}

}  // namespace SkinUI
