#include "ui/paint_manager.h"

#include <algorithm>
#include <cmath>

#include "ui/attribute_values.h"
#include "ui/image_cache.h"
#include "ui/message_loop.h"
#include "ui/timer_queue.h"
#include "ui/tooltip.h"
#include "ui/window_wnd.h"

namespace SkinUI {

namespace {

// The manager's own timer (control null): the pointer rested long enough for a tooltip.
constexpr UINT kToolTipTimer = 1;
constexpr UINT kToolTipDelayMs = 400;

bool IsInside(const CControlUI* control, const CControlUI* ancestor) {
    for (const CControlUI* c = control; c != nullptr; c = c->GetParent())
        if (c == ancestor) return true;
    return false;
}

// RGB <-> HSL with hue in degrees and saturation and lightness in [0, 1].
struct Hsl {
    double h, s, l;
};

Hsl ToHsl(uint32_t argb) {
    double r = ((argb >> 16) & 0xFF) / 255.0, g = ((argb >> 8) & 0xFF) / 255.0,
           b = (argb & 0xFF) / 255.0;
    double max = std::max({r, g, b}), min = std::min({r, g, b});
    Hsl out{0, 0, (max + min) / 2};
    double d = max - min;
    if (d > 0) {
        out.s = out.l > 0.5 ? d / (2 - max - min) : d / (max + min);
        out.h = max == r   ? std::fmod((g - b) / d + 6, 6)
                : max == g ? (b - r) / d + 2
                           : (r - g) / d + 4;
        out.h *= 60;
    }
    return out;
}

uint32_t FromHsl(Hsl c, uint32_t alpha) {
    double chroma = (1 - std::fabs(2 * c.l - 1)) * c.s;
    double hp = c.h / 60;
    double x = chroma * (1 - std::fabs(std::fmod(hp, 2) - 1));
    double r = 0, g = 0, b = 0;
    int sector = static_cast<int>(hp) % 6;
    const double table[6][3] = {{chroma, x, 0}, {x, chroma, 0}, {0, chroma, x},
                                {0, x, chroma}, {x, 0, chroma}, {chroma, 0, x}};
    r = table[sector][0], g = table[sector][1], b = table[sector][2];
    double m = c.l - chroma / 2;
    auto channel = [&](double v) {
        return static_cast<uint32_t>(std::clamp(std::lround((v + m) * 255), 0L, 255L));
    };
    return (alpha << 24) | (channel(r) << 16) | (channel(g) << 8) | channel(b);
}

}  // namespace

CPaintManagerUI::CPaintManagerUI() {
    defaultFont_.name = L"微软雅黑";
    defaultFont_.size = 12;
}

CPaintManagerUI::~CPaintManagerUI() {
    toolTip_.reset();
    delayedCleanup_.clear();
    root_.reset();
    CTimerQueue::KillAll(this, nullptr);
    CMessageLoop::UnregisterManager(this);
}

void CPaintManagerUI::SetInstance(const CResourceModule* module) {
    SetResourceModule(module);
}
const CResourceModule* CPaintManagerUI::GetInstance() {
    return GetResourceModule();
}
void CPaintManagerUI::SetResourcePath(std::wstring folder) {
    SetResourceFolder(std::move(folder));
}

void CPaintManagerUI::Init(CWindowWnd* window) {
    window_ = window;
    CMessageLoop::RegisterManager(this);
    NeedUpdate();
}

bool CPaintManagerUI::AttachDialog(CControlUI* root) {
    if (root == nullptr) return false;
    HideToolTip();
    focus_ = hover_ = eventClick_ = nullptr;
    if (root_) AddDelayedCleanup(std::move(root_));
    root_.reset(root);
    root->SetManager(this, nullptr);
    firstLayout_ = true;
    NeedUpdate();
    return true;
}

void CPaintManagerUI::AddNotifier(INotifyUI* receiver) {
    if (receiver && std::find(notifiers_.begin(), notifiers_.end(), receiver) == notifiers_.end())
        notifiers_.push_back(receiver);
}

void CPaintManagerUI::RemoveNotifier(INotifyUI* receiver) {
    std::erase(notifiers_, receiver);
}

void CPaintManagerUI::SendNotify(CControlUI* sender, std::wstring_view type, WPARAM wParam,
                                 LPARAM lParam) {
    TNotifyUI msg;
    msg.type = type;
    msg.sender = sender;
    msg.timestamp = HasBackend() ? GetBackend().Now() : 0;
    msg.mousePoint = mouse_;
    msg.wParam = wParam;
    msg.lParam = lParam;
    // A receiver may remove receivers (or itself) while being notified.
    std::vector<INotifyUI*> receivers = notifiers_;
    for (INotifyUI* receiver : receivers) {
        if (std::find(notifiers_.begin(), notifiers_.end(), receiver) != notifiers_.end())
            receiver->Notify(msg);
    }
}

CControlUI* CPaintManagerUI::FindControl(std::wstring_view name) const {
    if (!root_ || name.empty()) return nullptr;
    std::vector<CControlUI*> pending{root_.get()};
    while (!pending.empty()) {
        CControlUI* control = pending.back();
        pending.pop_back();
        if (control->GetName() == name) return control;
        // Reverse, so that the walk meets controls in document order.
        for (int i = control->GetChildCount() - 1; i >= 0; --i)
            pending.push_back(control->GetChildAt(i));
    }
    return nullptr;
}

CControlUI* CPaintManagerUI::FindControl(Point pt) {
    UpdateLayout();
    return root_ ? root_->FindControlAt(pt) : nullptr;
}

CControlUI* CPaintManagerUI::FindEnabledControl(Point pt) {
    CControlUI* control = FindControl(pt);
    // Controls that ignore the mouse let it through to their container.
    while (control && !control->IsMouseEnabled())
        control = control->GetParent();
    return control && control->IsEnabled() ? control : nullptr;
}

bool CPaintManagerUI::SetTimer(CControlUI* control, UINT id, UINT periodMs) {
    if (control == nullptr || !HasBackend()) return false;
    CTimerQueue::Set(this, control, id, periodMs, GetBackend().Now());
    return true;
}

bool CPaintManagerUI::KillTimer(CControlUI* control, UINT id) {
    return CTimerQueue::Kill(this, control, id);
}

void CPaintManagerUI::KillTimer(CControlUI* control) {
    if (control) CTimerQueue::KillAll(this, control);
}

void CPaintManagerUI::TimerExpired(CControlUI* control, UINT id) {
    if (control == nullptr) {
        if (id == kToolTipTimer) {
            CTimerQueue::Kill(this, nullptr, kToolTipTimer);
            ShowToolTip();
        }
        return;
    }
    TEventUI event{UIEvent::kTimer, control, GetBackend().Now(), mouse_, id, 0};
    control->Event(event);
}

Size CPaintManagerUI::GetClientSize() const {
    if (window_ && window_->IsWindow()) {
        Rect rc = window_->GetClientRect();
        return {rc.Width(), rc.Height()};
    }
    return initSize_;
}

void CPaintManagerUI::SetWindowAttribute(std::wstring_view name, std::wstring_view value) {
    if (name == L"size") {
        SetInitSize(ParseSize(value));
        if (window_ && window_->IsWindow()) window_->ResizeClient(initSize_.cx, initSize_.cy);
    } else if (name == L"caption") {
        SetCaptionRect(ParseRect(value));
    } else if (name == L"roundcorner") {
        SetRoundCorner(ParseSize(value));
    } else if (name == L"sizebox") {
        SetSizeBox(ParseRect(value));
    } else if (name == L"bktrans") {
        SetBackgroundTransparent(ParseBool(value));
    }
}

int CPaintManagerUI::AddFont(const TFontInfo& font, bool isDefault) {
    fonts_.push_back(font);
    if (isDefault) defaultFont_ = font;
    NeedUpdate();
    return static_cast<int>(fonts_.size()) - 1;
}

const TFontInfo& CPaintManagerUI::GetFont(int index) const {
    if (index < 0 || index >= static_cast<int>(fonts_.size())) return defaultFont_;
    return fonts_[index];
}

void CPaintManagerUI::AddDefaultAttributeList(std::wstring controlName, std::wstring list) {
    defaults_[std::move(controlName)] = std::move(list);
}

const std::wstring* CPaintManagerUI::GetDefaultAttributeList(std::wstring_view controlName) const {
    auto it = defaults_.find(controlName);
    return it == defaults_.end() ? nullptr : &it->second;
}

std::shared_ptr<const TImageInfo> CPaintManagerUI::GetImage(const TImageDescriptor& d) const {
    if (d.name.empty()) return nullptr;
    return CImageCache::Get(d.name, d.type,
                            d.hasMask ? std::optional<uint32_t>(d.mask) : std::nullopt);
}

void CPaintManagerUI::AddOptionGroup(const std::wstring& group, CControlUI* option) {
    auto& members = optionGroups_[group];
    if (std::find(members.begin(), members.end(), option) == members.end())
        members.push_back(option);
}

void CPaintManagerUI::RemoveOptionGroup(const std::wstring& group, CControlUI* option) {
    auto it = optionGroups_.find(group);
    if (it == optionGroups_.end()) return;
    std::erase(it->second, option);
    if (it->second.empty()) optionGroups_.erase(it);
}

const std::vector<CControlUI*>* CPaintManagerUI::GetOptionGroup(const std::wstring& group) const {
    auto it = optionGroups_.find(group);
    return it == optionGroups_.end() ? nullptr : &it->second;
}

void CPaintManagerUI::SetFocus(CControlUI* control) {
    if (control == focus_) return;
    std::weak_ptr<char> life = life_;
    CControlUI* old = focus_;
    focus_ = control;
    if (old) {
        TEventUI event{UIEvent::kKillFocus, old, GetBackend().Now(), mouse_};
        old->Event(event);
        SendNotify(old, notify::kKillFocus);
        if (life.expired() || focus_ != control) return;
    }
    if (control) {
        TEventUI event{UIEvent::kSetFocus, control, GetBackend().Now(), mouse_};
        control->Event(event);
        SendNotify(control, notify::kSetFocus);
    }
}

std::wstring CPaintManagerUI::GetActiveToolTip() const {
    return toolTip_ ? toolTip_->GetShownText() : std::wstring();
}

void CPaintManagerUI::SendEvent(CControlUI* control, UIEvent type, Point pt, WPARAM wParam) {
    TEventUI event{type, control, GetBackend().Now(), pt, wParam, 0};
    control->Event(event);
}

void CPaintManagerUI::SetHover(CControlUI* control, Point pt) {
    if (control == hover_) return;
    CControlUI* old = hover_;
    hover_ = control;
    HideToolTip();
    if (old) SendEvent(old, UIEvent::kMouseLeave, pt);
    if (hover_ != control) return;
    if (control) {
        SendEvent(control, UIEvent::kMouseEnter, pt);
        if (hover_ == control && !control->GetToolTip().empty()) {
            toolTipOwner_ = control;
            CTimerQueue::Set(this, nullptr, kToolTipTimer, kToolTipDelayMs, GetBackend().Now());
        }
    }
}

void CPaintManagerUI::ShowToolTip() {
    if (!toolTipOwner_ || toolTipOwner_ != hover_ || !window_ || !window_->IsWindow()) return;
    if (!toolTip_) toolTip_ = std::make_unique<CToolTipWnd>();
    Point screen = window_->ClientToScreen({mouse_.x, mouse_.y + 20});
    toolTip_->ShowAt(window_, toolTipOwner_->GetToolTip(), screen);
}

void CPaintManagerUI::HideToolTip() {
    CTimerQueue::Kill(this, nullptr, kToolTipTimer);
    toolTipOwner_ = nullptr;
    if (toolTip_) toolTip_->Hide();
}

bool CPaintManagerUI::MessageHandler(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    result = 0;
    if (!root_) return false;
    std::weak_ptr<char> life = life_;
    Point pt = PointFromParam(lParam);
    switch (message) {
        case msg::kMouseMove: {
            mouse_ = pt;
            if (eventClick_) {
                SendEvent(eventClick_, UIEvent::kMouseMove, pt);
                return true;
            }
            SetHover(FindEnabledControl(pt), pt);
            if (!life.expired() && hover_) SendEvent(hover_, UIEvent::kMouseMove, pt);
            return true;
        }
        case msg::kMouseLeave:
            if (!eventClick_) SetHover(nullptr, pt);
            return true;
        case msg::kLButtonDown:
        case msg::kLButtonDblClk: {
            mouse_ = pt;
            HideToolTip();
            CControlUI* control = FindEnabledControl(pt);
            if (!control) return true;
            eventClick_ = control;
            if (window_ && window_->GetNative()) window_->GetNative()->SetCapture(true);
            // The focus notifications may run any code; whatever they remove is forgotten by
            // ReapObjects, so eventClick_ is re-read afterwards.
            if (control->IsFocusable()) SetFocus(control);
            if (life.expired() || !eventClick_) return true;
            SendEvent(eventClick_,
                      message == msg::kLButtonDown ? UIEvent::kButtonDown : UIEvent::kDblClick, pt);
            return true;
        }
        case msg::kLButtonUp: {
            mouse_ = pt;
            if (window_ && window_->GetNative()) window_->GetNative()->SetCapture(false);
            CControlUI* control = eventClick_;
            eventClick_ = nullptr;
            if (control) SendEvent(control, UIEvent::kButtonUp, pt);
            if (!life.expired() && hover_ != FindEnabledControl(pt))
                SetHover(FindEnabledControl(pt), pt);
            return true;
        }
        case msg::kMouseWheel: {
            CControlUI* control = FindEnabledControl(mouse_);
            if (control) SendEvent(control, UIEvent::kScrollWheel, mouse_, wParam);
            return true;
        }
        case msg::kSize:
            NeedUpdate();
            return false;
        case msg::kKillFocus:
            if (eventClick_) {
                CControlUI* control = eventClick_;
                eventClick_ = nullptr;
                SendEvent(control, UIEvent::kMouseLeave, mouse_);
            }
            HideToolTip();
            return false;
        default:
            return false;
    }
}

void CPaintManagerUI::NeedUpdate() {
    updateNeeded_ = true;
    paintNeeded_ = true;
}

void CPaintManagerUI::Invalidate() {
    paintNeeded_ = true;
}

void CPaintManagerUI::UpdateLayout() {
    if (!updateNeeded_ || !root_) return;
    updateNeeded_ = false;
    Size size = GetClientSize();
    root_->SetPos({0, 0, size.cx, size.cy});
}

void CPaintManagerUI::Flush() {
    delayedCleanup_.clear();
    if (!window_ || !window_->IsWindow() || !root_) return;
    UpdateLayout();
    if (!window_->IsWindowVisible()) return;
    if (firstLayout_) {
        firstLayout_ = false;
        std::weak_ptr<char> life = life_;
        SendNotify(root_.get(), notify::kWindowInit);
        if (life.expired() || !window_->IsWindow()) return;
        UpdateLayout();
    }
    if (!paintNeeded_) return;
    paintNeeded_ = false;
    window_->GetNative()->Paint([this](ISurface& surface) { Render(surface); });
}

void CPaintManagerUI::Render(ISurface& surface) {
    if (!root_) return;
    Size size = GetClientSize();
    root_->DoPaint(surface, {0, 0, size.cx, size.cy});
}

void CPaintManagerUI::ForgetInput(CControlUI* control) {
    if (IsInside(hover_, control)) {
        CControlUI* old = hover_;
        hover_ = nullptr;
        HideToolTip();
        SendEvent(old, UIEvent::kMouseLeave, mouse_);
    }
    if (IsInside(eventClick_, control)) {
        CControlUI* old = eventClick_;
        eventClick_ = nullptr;
        if (window_ && window_->GetNative()) window_->GetNative()->SetCapture(false);
        SendEvent(old, UIEvent::kMouseLeave, mouse_);
    }
    if (IsInside(focus_, control)) focus_ = nullptr;
    if (IsInside(toolTipOwner_, control)) HideToolTip();
}

void CPaintManagerUI::ReapObjects(CControlUI* control) {
    if (IsInside(hover_, control)) hover_ = nullptr;
    if (IsInside(eventClick_, control)) {
        eventClick_ = nullptr;
        if (window_ && window_->GetNative()) window_->GetNative()->SetCapture(false);
    }
    if (IsInside(focus_, control)) focus_ = nullptr;
    if (IsInside(toolTipOwner_, control)) HideToolTip();
    std::vector<CControlUI*> pending{control};
    while (!pending.empty()) {
        CControlUI* c = pending.back();
        pending.pop_back();
        CTimerQueue::KillAll(this, c);
        for (int i = 0; i < c->GetChildCount(); ++i)
            pending.push_back(c->GetChildAt(i));
    }
}

void CPaintManagerUI::AddDelayedCleanup(std::unique_ptr<CControlUI> control) {
    delayedCleanup_.push_back(std::move(control));
}

void CPaintManagerUI::SetHSL(bool use, short hue, short saturation, short lightness) {
    useHSL_ = use;
    hue_ = std::clamp<short>(hue, 0, 360);
    saturation_ = std::clamp<short>(saturation, 0, 200);
    lightness_ = std::clamp<short>(lightness, 0, 200);
    Invalidate();
}

uint32_t CPaintManagerUI::AdjustColor(uint32_t argb) const {
    if (!useHSL_) return argb;
    Hsl c = ToHsl(argb);
    c.h = std::fmod(c.h + hue_ - 180 + 360, 360);
    c.s = std::clamp(c.s * saturation_ / 100, 0.0, 1.0);
    c.l = std::clamp(c.l * lightness_ / 100, 0.0, 1.0);
    return FromHsl(c, argb >> 24);
}

}  // namespace SkinUI
