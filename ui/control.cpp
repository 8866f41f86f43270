#include "ui/control.h"

#include "ui/attribute_values.h"
#include "ui/markup.h"
#include "ui/paint_manager.h"
#include "ui/render_engine.h"

namespace SkinUI {

namespace {

const AttributeSetter<CControlUI> kControlAttributes[] = {
    {L"name", [](CControlUI& c, std::wstring_view v) { c.SetName(std::wstring(v)); }},
    {L"text", [](CControlUI& c, std::wstring_view v) { c.SetText(std::wstring(v)); }},
    {L"tooltip", [](CControlUI& c, std::wstring_view v) { c.SetToolTip(std::wstring(v)); }},
    {L"float", [](CControlUI& c, std::wstring_view v) { c.SetFloat(ParseBool(v)); }},
    {L"pos",
     [](CControlUI& c, std::wstring_view v) {
         // Width and height follow from the rectangle only when it gives a positive extent;
         // "x,y,0,0" places the control and keeps the size set separately.
         Rect rc = ParseRect(v);
         c.SetFixedXY({rc.left, rc.top});
         if (rc.right - rc.left > 0) c.SetFixedWidth(rc.right - rc.left);
         if (rc.bottom - rc.top > 0) c.SetFixedHeight(rc.bottom - rc.top);
     }},
    {L"padding", [](CControlUI& c, std::wstring_view v) { c.SetPadding(ParseRect(v)); }},
    {L"width", [](CControlUI& c, std::wstring_view v) { c.SetFixedWidth(ParseInt(v)); }},
    {L"height", [](CControlUI& c, std::wstring_view v) { c.SetFixedHeight(ParseInt(v)); }},
    {L"enabled", [](CControlUI& c, std::wstring_view v) { c.SetEnabled(ParseBool(v)); }},
    {L"visible", [](CControlUI& c, std::wstring_view v) { c.SetVisible(ParseBool(v)); }},
    {L"bkcolor", [](CControlUI& c, std::wstring_view v) { c.SetBkColor(ParseColor(v)); }},
    {L"bkimage", [](CControlUI& c, std::wstring_view v) { c.SetBkImage(std::wstring(v)); }},
    {L"bordercolor", [](CControlUI& c, std::wstring_view v) { c.SetBorderColor(ParseColor(v)); }},
    {L"bordersize", [](CControlUI& c, std::wstring_view v) { c.SetBorderSize(ParseInt(v)); }},
    {L"colorhsl", [](CControlUI& c, std::wstring_view v) { c.SetColorHSL(ParseBool(v)); }},
};

}  // namespace

// The per-side border attributes need the protected widths, so they live in SetAttribute.
void CControlUI::SetAttribute(std::wstring_view name, std::wstring_view value) {
    if (ApplyAttribute(kControlAttributes, *this, name, value)) return;
    int* side = name == L"leftbordersize"     ? &borderSizes_.left
                : name == L"topbordersize"    ? &borderSizes_.top
                : name == L"rightbordersize"  ? &borderSizes_.right
                : name == L"bottombordersize" ? &borderSizes_.bottom
                                              : nullptr;
    if (side) {
        *side = std::max(0, ParseInt(value));
        Invalidate();
    } else if (name == L"mouse") {
        mouseEnabled_ = ParseBool(value);
    }
}

CControlUI::~CControlUI() {
    if (manager_) manager_->ReapObjects(this);
}

void CControlUI::ApplyAttributeList(std::wstring_view list) {
    AttributeList attributes;
    ParseAttributeList(list, attributes);
    for (const auto& [name, value] : attributes)
        SetAttribute(name, value);
}

void CControlUI::SetText(std::wstring text) {
    if (text_ == text) return;
    text_ = std::move(text);
    Invalidate();
}

void CControlUI::SetManager(CPaintManagerUI* manager, CControlUI* parent) {
    manager_ = manager;
    parent_ = parent;
}

bool CControlUI::IsVisible() const {
    for (const CControlUI* c = this; c != nullptr; c = c->parent_)
        if (!c->visible_) return false;
    return true;
}

void CControlUI::SetVisible(bool visible) {
    if (visible_ == visible) return;
    visible_ = visible;
    if (!visible && manager_) manager_->ForgetInput(this);
    NeedParentUpdate();
}

void CControlUI::SetEnabled(bool enabled) {
    if (enabled_ == enabled) return;
    enabled_ = enabled;
    // A disabled control keeps no hover, press or capture.
    if (!enabled && manager_) manager_->ForgetInput(this);
    Invalidate();
}

void CControlUI::SetPos(const Rect& rc) {
    rcItem_ = rc;
    Invalidate();
}

void CControlUI::SetPadding(const Rect& rc) {
    rcPadding_ = rc;
    NeedParentUpdate();
}

void CControlUI::SetFloat(bool isFloat) {
    float_ = isFloat;
    NeedParentUpdate();
}

void CControlUI::SetFixedXY(Point xy) {
    xyFixed_ = xy;
    NeedParentUpdate();
}

void CControlUI::SetFixedWidth(int cx) {
    if (cx < 0) return;
    cxyFixed_.cx = cx;
    NeedParentUpdate();
}

void CControlUI::SetFixedHeight(int cy) {
    if (cy < 0) return;
    cxyFixed_.cy = cy;
    NeedParentUpdate();
}

Size CControlUI::EstimateSize(Size available) {
    (void)available;
    return cxyFixed_;
}

void CControlUI::SetBkColor(uint32_t argb) {
    bkColor_ = argb;
    Invalidate();
}

void CControlUI::SetBkImage(std::wstring descriptor) {
    if (bkImage_ == descriptor) return;
    bkImage_ = std::move(descriptor);
    Invalidate();
}

void CControlUI::SetBorderColor(uint32_t argb) {
    borderColor_ = argb;
    Invalidate();
}

void CControlUI::SetBorderSize(int size) {
    size = std::max(0, size);
    borderSizes_ = {size, size, size, size};
    Invalidate();
}

void CControlUI::SetColorHSL(bool enable) {
    colorHSL_ = enable;
    Invalidate();
}

uint32_t CControlUI::AdjustColor(uint32_t argb) const {
    return colorHSL_ && manager_ ? manager_->AdjustColor(argb) : argb;
}

CControlUI* CControlUI::FindControlAt(Point pt) {
    return visible_ && rcItem_.Contains(pt) ? this : nullptr;
}

bool CControlUI::Activate() {
    return IsVisible() && enabled_;
}

void CControlUI::Event(TEventUI& event) {
    DoEvent(event);
}

void CControlUI::DoEvent(TEventUI& event) {
    switch (event.type) {
        case UIEvent::kSetFocus:
            focused_ = true;
            Invalidate();
            return;
        case UIEvent::kKillFocus:
            focused_ = false;
            Invalidate();
            return;
        case UIEvent::kTimer:
            if (manager_) manager_->SendNotify(this, notify::kTimer, event.wParam, event.lParam);
            return;
        case UIEvent::kScrollWheel:
            // Unhandled wheel turns go to the container that can scroll.
            if (parent_) parent_->DoEvent(event);
            return;
        default:
            return;
    }
}

void CControlUI::Invalidate() {
    if (manager_) manager_->Invalidate();
}

void CControlUI::NeedParentUpdate() {
    if (manager_) manager_->NeedUpdate();
}

void CControlUI::NeedUpdate() {
    if (manager_) manager_->NeedUpdate();
}

void CControlUI::DoPaint(ISurface& surface, const Rect& rcPaint) {
    Rect clip = rcPaint.Intersect(rcItem_);
    if (clip.IsEmpty()) return;
    surface.PushClip(clip);
    PaintBkColor(surface);
    PaintBkImage(surface);
    PaintStatusImage(surface);
    PaintText(surface);
    PaintBorder(surface);
    surface.PopClip();
}

void CControlUI::PaintBkColor(ISurface& surface) {
    CRenderEngine::DrawColor(surface, rcItem_, AdjustColor(bkColor_));
}

void CControlUI::PaintBkImage(ISurface& surface) {
    DrawImage(surface, bkImage_);
}

void CControlUI::PaintBorder(ISurface& surface) {
    if (borderColor_ == 0) return;
    CRenderEngine::DrawBorder(surface, rcItem_, borderSizes_, AdjustColor(borderColor_));
}

bool CControlUI::DrawImage(ISurface& surface, std::wstring_view descriptor,
                           std::wstring_view modify) {
    if (!manager_ || descriptor.empty()) return false;
    return CRenderEngine::DrawImageString(surface, *manager_, rcItem_, descriptor, modify);
}

}  // namespace SkinUI
