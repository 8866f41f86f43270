#include "ui/layouts.h"

#include <algorithm>

#include "ui/attribute_values.h"
#include "ui/paint_manager.h"
#include "ui/render_engine.h"

namespace SkinUI {

namespace {

const AttributeSetter<CContainerUI> kContainerAttributes[] = {
    {L"inset", [](CContainerUI& c, std::wstring_view v) { c.SetInset(ParseRect(v)); }},
    {L"childpadding", [](CContainerUI& c, std::wstring_view v) { c.SetChildPadding(ParseInt(v)); }},
    {L"vscrollbar", [](CContainerUI& c, std::wstring_view v) { c.EnableScrollBar(ParseBool(v)); }},
};

// One child's share along the stacking direction: the fixed size, or a part of what is left.
struct Stack {
    int fixedTotal = 0;
    int flexibleCount = 0;
};

Rect Transposed(const Rect& r) {
    return {r.top, r.left, r.bottom, r.right};
}

}  // namespace

CContainerUI::~CContainerUI() {
    // Children go first, while this container (their parent) is still whole.
    items_.clear();
    vScrollBar_.reset();
}

void CContainerUI::SetAttribute(std::wstring_view name, std::wstring_view value) {
    if (!ApplyAttribute(kContainerAttributes, *this, name, value))
        CControlUI::SetAttribute(name, value);
}

bool CContainerUI::Add(CControlUI* control) {
    return AddAt(control, GetCount());
}

bool CContainerUI::AddAt(CControlUI* control, int index) {
    if (control == nullptr || index < 0 || index > GetCount()) return false;
    items_.insert(items_.begin() + index, std::unique_ptr<CControlUI>(control));
    control->SetManager(manager_, this);
    NeedUpdate();
    return true;
}

bool CContainerUI::Remove(CControlUI* control, bool doNotDestroy) {
    auto it = std::find_if(items_.begin(), items_.end(),
                           [&](const auto& item) { return item.get() == control; });
    if (it == items_.end()) return false;
    std::unique_ptr<CControlUI> owned = std::move(*it);
    items_.erase(it);
    if (manager_) manager_->ReapObjects(control);
    NeedUpdate();
    if (doNotDestroy) {
        owned->SetManager(nullptr, nullptr);
        owned.release();  // NOLINT: ownership goes back to the caller
    } else if (manager_) {
        manager_->AddDelayedCleanup(std::move(owned));
    }
    return true;
}

void CContainerUI::RemoveAll() {
    while (!items_.empty())
        Remove(items_.back().get());
}

CControlUI* CContainerUI::GetItemAt(int index) const {
    return index >= 0 && index < GetCount() ? items_[index].get() : nullptr;
}

int CContainerUI::GetItemIndex(const CControlUI* control) const {
    for (int i = 0; i < GetCount(); ++i)
        if (items_[i].get() == control) return i;
    return -1;
}

void CContainerUI::SetInset(const Rect& rc) {
    inset_ = rc;
    NeedUpdate();
}

void CContainerUI::SetChildPadding(int padding) {
    childPadding_ = padding;
    NeedUpdate();
}

void CContainerUI::EnableScrollBar(bool vertical) {
    if (vertical == (vScrollBar_ != nullptr)) return;
    if (!vertical) {
        if (manager_) manager_->ReapObjects(vScrollBar_.get());
        vScrollBar_.reset();
    } else {
        vScrollBar_ = std::make_unique<CScrollBarUI>();
        vScrollBar_->SetOwner(this);
        vScrollBar_->SetVisible(false);
        vScrollBar_->SetManager(manager_, this);
        if (manager_) {
            if (const std::wstring* defaults = manager_->GetDefaultAttributeList(L"VScrollBar"))
                vScrollBar_->ApplyAttributeList(*defaults);
        }
    }
    NeedUpdate();
}

void CContainerUI::SetManager(CPaintManagerUI* manager, CControlUI* parent) {
    bool fresh = manager != nullptr && manager_ == nullptr;
    CControlUI::SetManager(manager, parent);
    for (auto& item : items_)
        item->SetManager(manager, this);
    if (vScrollBar_) {
        vScrollBar_->SetManager(manager, this);
        if (fresh) {
            if (const std::wstring* defaults = manager->GetDefaultAttributeList(L"VScrollBar"))
                vScrollBar_->ApplyAttributeList(*defaults);
        }
    }
}

Rect CContainerUI::ContentRect() const {
    Rect rc = rcItem_.Deflate(inset_);
    if (vScrollBar_ && vScrollBar_->IsOwnVisible()) rc.right -= vScrollBar_->GetFixedWidth();
    return rc;
}

void CContainerUI::ProcessScrollBar(const Rect& rc, int needed) {
    if (!vScrollBar_) return;
    Rect inner = rc.Deflate(inset_);
    bool show = needed > inner.Height();
    vScrollBar_->SetVisible(show);
    if (!show) {
        vScrollBar_->SetScrollRange(0);
        return;
    }
    vScrollBar_->SetPos(
        {inner.right - vScrollBar_->GetFixedWidth(), inner.top, inner.right, inner.bottom});
    vScrollBar_->SetScrollRange(needed - inner.Height());
}

void CContainerUI::SetFloatPos(CControlUI* child) {
    Point xy = child->GetFixedXY();
    Size size = child->EstimateSize({rcItem_.Width(), rcItem_.Height()});
    int left = rcItem_.left + xy.x, top = rcItem_.top + xy.y;
    child->SetPos({left, top, left + size.cx, top + size.cy});
}

void CContainerUI::SetPos(const Rect& rc) {
    CControlUI::SetPos(rc);
    Rect inner = ContentRect();
    for (auto& item : items_) {
        if (!item->IsOwnVisible()) continue;
        if (item->IsFloat())
            SetFloatPos(item.get());
        else
            item->SetPos(inner);
    }
}

CControlUI* CContainerUI::FindControlAt(Point pt) {
    if (!visible_ || !rcItem_.Contains(pt)) return nullptr;
    if (vScrollBar_ && vScrollBar_->IsOwnVisible() && vScrollBar_->GetPos().Contains(pt))
        return vScrollBar_.get();
    // Later children are painted over earlier ones, so they are hit first. Flowing children
    // are clipped to the content rectangle; floating ones only to the container.
    Rect content = ContentRect();
    for (auto it = items_.rbegin(); it != items_.rend(); ++it) {
        CControlUI* child = it->get();
        if (!child->IsOwnVisible()) continue;
        if (!child->IsFloat() && !content.Contains(pt)) continue;
        if (CControlUI* found = child->FindControlAt(pt)) return found;
    }
    return this;
}

void CContainerUI::DoEvent(TEventUI& event) {
    if (event.type == UIEvent::kScrollWheel && vScrollBar_ && vScrollBar_->IsOwnVisible()) {
        vScrollBar_->DoEvent(event);
        return;
    }
    CControlUI::DoEvent(event);
}

void CContainerUI::DoPaint(ISurface& surface, const Rect& rcPaint) {
    Rect clip = rcPaint.Intersect(rcItem_);
    if (clip.IsEmpty()) return;
    surface.PushClip(clip);
    PaintBkColor(surface);
    PaintBkImage(surface);
    PaintStatusImage(surface);
    PaintText(surface);
    Rect content = ContentRect().Intersect(clip);
    for (auto& item : items_) {
        if (!item->IsOwnVisible()) continue;
        const Rect& area = item->IsFloat() ? clip : content;
        if (!area.Intersect(item->GetPos()).IsEmpty()) item->DoPaint(surface, area);
    }
    if (vScrollBar_ && vScrollBar_->IsOwnVisible()) vScrollBar_->DoPaint(surface, clip);
    PaintBorder(surface);
    surface.PopClip();
}

void CContainerUI::StackChildren(const Rect& rc, bool vertical) {
    CControlUI::SetPos(rc);
    // The stack is worked out as if it ran top to bottom; a horizontal one is seen with x and
    // y exchanged, and its rectangles exchanged back when they are placed.
    const auto along = [vertical](const Rect& r) { return vertical ? r : Transposed(r); };
    const auto alongSize = [vertical](Size s) { return vertical ? s : Size{s.cy, s.cx}; };
    const Rect inner = rc.Deflate(inset_);
    const Size available{inner.Width(), inner.Height()};
    Stack stack;
    int flowCount = 0;
    for (auto& item : items_) {
        if (!item->IsOwnVisible() || item->IsFloat()) continue;
        const Size size = alongSize(item->EstimateSize(available));
        const Rect pad = along(item->GetPadding());
        if (size.cy == 0) ++stack.flexibleCount;
        stack.fixedTotal += size.cy + pad.top + pad.bottom;
        ++flowCount;
    }
    if (flowCount > 1) stack.fixedTotal += childPadding_ * (flowCount - 1);
    // Only a vertical stack scrolls.
    if (vertical) ProcessScrollBar(rc, stack.fixedTotal);
    const Rect content = vertical ? ContentRect() : along(inner);
    const int left = std::max(0, content.Height() - stack.fixedTotal);
    const int share = stack.flexibleCount ? left / stack.flexibleCount : 0;
    const int remainder = stack.flexibleCount ? left % stack.flexibleCount : 0;
    int y = content.top - (vertical ? ScrollOffset() : 0);
    int flexibleSeen = 0;
    for (auto& item : items_) {
        if (!item->IsOwnVisible()) continue;
        if (item->IsFloat()) {
            SetFloatPos(item.get());
            continue;
        }
        const Size size = alongSize(item->EstimateSize(available));
        const Rect pad = along(item->GetPadding());
        int height = size.cy;
        if (height == 0) height = share + (++flexibleSeen == stack.flexibleCount ? remainder : 0);
        const int room = content.Width() - pad.left - pad.right;
        const int width = size.cx == 0 ? room : std::min(size.cx, room);
        const int top = y + pad.top;
        item->SetPos(along({content.left + pad.left, top,
                            content.left + pad.left + std::max(0, width), top + height}));
        y = top + height + pad.bottom + childPadding_;
    }
}

void CVerticalLayoutUI::SetPos(const Rect& rc) {
    StackChildren(rc, true);
}

void CHorizontalLayoutUI::SetPos(const Rect& rc) {
    StackChildren(rc, false);
}

void CTabLayoutUI::SetAttribute(std::wstring_view name, std::wstring_view value) {
    if (name == L"selectedid") {
        int index = ParseInt(value);
        // Pages usually follow the attribute in the skin; the index applies as they arrive.
        if (index >= 0 && index < GetCount())
            SelectItem(index);
        else
            curSel_ = index;
        return;
    }
    CContainerUI::SetAttribute(name, value);
}

bool CTabLayoutUI::Add(CControlUI* control) {
    return AddAt(control, GetCount());
}

bool CTabLayoutUI::AddAt(CControlUI* control, int index) {
    if (!CContainerUI::AddAt(control, index)) return false;
    int before = GetCount() - 1;
    if (curSel_ < 0 && control->IsOwnVisible()) {
        curSel_ = index;
    } else if (curSel_ >= 0 && curSel_ < before && index <= curSel_) {
        // Inserted before the page on show, which moved up by one. (A selection not yet
        // reached by the pages, from `selectedid`, stays where it is.)
        ++curSel_;
    }
    for (int i = 0; i < GetCount(); ++i)
        GetItemAt(i)->SetVisible(i == curSel_);
    return true;
}

bool CTabLayoutUI::Remove(CControlUI* control, bool doNotDestroy) {
    int index = GetItemIndex(control);
    if (!CContainerUI::Remove(control, doNotDestroy)) return false;
    if (index < curSel_) {
        --curSel_;
    } else if (index == curSel_) {
        curSel_ = GetCount() > 0 ? std::min(index, GetCount() - 1) : -1;
        if (curSel_ >= 0) GetItemAt(curSel_)->SetVisible(true);
    }
    return true;
}

void CTabLayoutUI::RemoveAll() {
    CContainerUI::RemoveAll();
    curSel_ = -1;
}

bool CTabLayoutUI::SelectItem(int index) {
    if (index < 0 || index >= GetCount()) return false;
    if (index == curSel_) return true;
    int old = curSel_;
    curSel_ = index;
    for (int i = 0; i < GetCount(); ++i)
        GetItemAt(i)->SetVisible(i == index);
    NeedUpdate();
    if (manager_) manager_->SendNotify(this, notify::kTabSelect, static_cast<WPARAM>(index), old);
    return true;
}

void CTabLayoutUI::SetPos(const Rect& rc) {
    CControlUI::SetPos(rc);
    Rect inner = rc.Deflate(inset_);
    for (auto& item : items_) {
        if (!item->IsOwnVisible()) continue;
        if (item->IsFloat())
            SetFloatPos(item.get());
        else
            item->SetPos(inner);
    }
}

}  // namespace SkinUI
