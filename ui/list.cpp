#include "ui/list.h"

#include <algorithm>

#include "ui/attribute_values.h"
#include "ui/label.h"
#include "ui/paint_manager.h"
#include "ui/render_engine.h"

namespace SkinUI {

namespace {

struct ListInfoColor {
    std::wstring_view name;
    uint32_t TListInfoUI::*member;
};

const ListInfoColor kListInfoColors[] = {
    {L"itemtextcolor", &TListInfoUI::textColor},
    {L"itembkcolor", &TListInfoUI::bkColor},
    {L"itemselectedtextcolor", &TListInfoUI::selectedTextColor},
    {L"itemselectedbkcolor", &TListInfoUI::selectedBkColor},
    {L"itemhottextcolor", &TListInfoUI::hotTextColor},
    {L"itemhotbkcolor", &TListInfoUI::hotBkColor},
    {L"itemdisabledtextcolor", &TListInfoUI::disabledTextColor},
    {L"itemdisabledbkcolor", &TListInfoUI::disabledBkColor},
    {L"itemlinecolor", &TListInfoUI::lineColor},
};

const AttributeSetter<TListInfoUI> kListInfoAttributes[] = {
    {L"itemfont", [](TListInfoUI& i, std::wstring_view v) { i.font = ParseInt(v); }},
    {L"itemalign",
     [](TListInfoUI& i, std::wstring_view v) { i.textStyle = ApplyAlign(i.textStyle, v); }},
    {L"itemendellipsis",
     [](TListInfoUI& i, std::wstring_view v) {
         i.textStyle =
             ParseBool(v) ? i.textStyle | text::kEndEllipsis : i.textStyle & ~text::kEndEllipsis;
     }},
    {L"itemtextpadding", [](TListInfoUI& i, std::wstring_view v) { i.textPadding = ParseRect(v); }},
    {L"itemshowrowline", [](TListInfoUI& i, std::wstring_view v) { i.showRowLine = ParseBool(v); }},
    {L"itemshowcolumnline",
     [](TListInfoUI& i, std::wstring_view v) { i.showColumnLine = ParseBool(v); }},
};

}  // namespace

bool ApplyListInfoAttribute(TListInfoUI& info, std::wstring_view name, std::wstring_view value) {
    for (const ListInfoColor& color : kListInfoColors) {
        if (color.name == name) {
            info.*color.member = ParseColor(value);
            return true;
        }
    }
    return ApplyAttribute(kListInfoAttributes, info, name, value);
}

bool SelectListRow(CControlUI& owner, CContainerUI& rows, int& curSel, int index, bool takeFocus) {
    if (index == curSel) return true;
    if (index < 0 || index >= rows.GetCount()) return false;
    const int old = curSel;
    curSel = index;
    for (int i = 0; i < rows.GetCount(); ++i)
        if (auto* row = dynamic_cast<CListElementUI*>(rows.GetItemAt(i)))
            row->SetSelectedState(i == index);
    owner.Invalidate();
    CPaintManagerUI* manager = owner.GetManager();
    if (!manager) return true;
    if (takeFocus) manager->SetFocus(&owner);
    manager->SendNotify(&owner, notify::kItemSelect, static_cast<WPARAM>(index), old);
    return true;
}

void CListElementUI::SetSelectedState(bool selected) {
    if (selected_ != selected) selected_ = selected, Invalidate();
}

void CListElementUI::SetHotState(bool hot) {
    if (hot_ != hot) hot_ = hot, Invalidate();
}

int CListElementUI::DefaultHeight() const {
    if (!manager_ || !HasBackend()) return 20;
    int font = owner_ ? owner_->GetListInfo()->font : -1;
    return GetBackend().MeasureText(L"Xg", manager_->GetFont(font), 0, text::kSingleLine).cy + 8;
}

Size CListElementUI::EstimateSize(Size available) {
    (void)available;
    return {cxyFixed_.cx, cxyFixed_.cy > 0 ? cxyFixed_.cy : DefaultHeight()};
}

void CListElementUI::DoEvent(TEventUI& event) {
    switch (event.type) {
        case UIEvent::kMouseEnter:
            SetHotState(true);
            return;
        case UIEvent::kMouseLeave:
            SetHotState(false);
            return;
        case UIEvent::kButtonUp:
            // Selection first, so "itemclick" finds the new selection in place.
            if (enabled_ && owner_ && rcItem_.Contains(event.ptMouse)) {
                owner_->SelectItem(index_, true);
                owner_->ItemClicked(this);
            }
            return;
        case UIEvent::kDblClick:
            if (enabled_ && manager_) manager_->SendNotify(this, notify::kItemActivate);
            return;
        default:
            CControlUI::DoEvent(event);
    }
}

void CListElementUI::PaintBkColor(ISurface& surface) {
    const TListInfoUI* info = owner_ ? owner_->GetListInfo() : nullptr;
    uint32_t color = bkColor_;
    if (info) {
        if (!enabled_ && info->disabledBkColor)
            color = info->disabledBkColor;
        else if (selected_ && info->selectedBkColor)
            color = info->selectedBkColor;
        else if (hot_ && info->hotBkColor)
            color = info->hotBkColor;
        else if (info->bkColor)
            color = info->bkColor;
    }
    CRenderEngine::DrawColor(surface, rcItem_, AdjustColor(color));
}

uint32_t CListElementUI::ItemTextColor() const {
    const TListInfoUI* info = owner_ ? owner_->GetListInfo() : nullptr;
    uint32_t fallback = manager_ ? manager_->GetDefaultTextColor() : 0xFF000000;
    if (!info) return fallback;
    if (!enabled_) return info->disabledTextColor ? info->disabledTextColor : 0xFFA7A6AA;
    if (selected_ && info->selectedTextColor) return info->selectedTextColor;
    if (hot_ && info->hotTextColor) return info->hotTextColor;
    return info->textColor ? info->textColor : fallback;
}

void CListLabelElementUI::PaintText(ISurface& surface) {
    if (!manager_ || text_.empty()) return;
    const TListInfoUI* info = owner_ ? owner_->GetListInfo() : nullptr;
    TListInfoUI plain;
    if (!info) info = &plain;
    CRenderEngine::DrawText(surface, *manager_, rcItem_.Deflate(info->textPadding), text_,
                            ItemTextColor(), info->font, info->textStyle);
}

std::wstring CListTextElementUI::GetText(int column) const {
    return column >= 0 && column < static_cast<int>(texts_.size()) ? texts_[column]
                                                                   : std::wstring();
}

void CListTextElementUI::SetText(int column, std::wstring text) {
    if (column < 0 || column > 255) return;
    if (column >= static_cast<int>(texts_.size())) texts_.resize(column + 1);
    texts_[column] = std::move(text);
    Invalidate();
}

void CListTextElementUI::PaintText(ISurface& surface) {
    if (!manager_ || !owner_) return;
    const TListInfoUI* info = owner_->GetListInfo();
    for (size_t i = 0; i < info->columns.size() && i < texts_.size(); ++i) {
        Rect cell{info->columns[i].first, rcItem_.top, info->columns[i].second, rcItem_.bottom};
        cell = cell.Deflate(info->textPadding);
        surface.PushClip(cell.Intersect(rcItem_));
        CRenderEngine::DrawText(surface, *manager_, cell, texts_[i], ItemTextColor(), info->font,
                                info->textStyle);
        surface.PopClip();
    }
}

void CListTextElementUI::PaintBorder(ISurface& surface) {
    CListElementUI::PaintBorder(surface);
    const TListInfoUI* info = owner_ ? owner_->GetListInfo() : nullptr;
    if (!info || info->lineColor == 0) return;
    if (info->showRowLine)
        CRenderEngine::DrawColor(surface,
                                 {rcItem_.left, rcItem_.bottom - 1, rcItem_.right, rcItem_.bottom},
                                 info->lineColor);
    if (info->showColumnLine) {
        for (const auto& column : info->columns)
            CRenderEngine::DrawColor(
                surface, {column.second - 1, rcItem_.top, column.second, rcItem_.bottom},
                info->lineColor);
    }
}

CListHeaderItemUI::CListHeaderItemUI() {
    textStyle_ = text::kSingleLine | text::kVCenter | text::kCenter;
}

void CListHeaderItemUI::SetAttribute(std::wstring_view name, std::wstring_view value) {
    if (name == L"dragable")
        dragable_ = ParseBool(value);
    else if (name == L"sepwidth")
        sepWidth_ = std::max(0, ParseInt(value));
    else
        CButtonUI::SetAttribute(name, value);
}

bool CListHeaderItemUI::Activate() {
    if (!CControlUI::Activate()) return false;
    if (manager_) manager_->SendNotify(this, L"headerclick");
    return true;
}

void CListHeaderItemUI::DoEvent(TEventUI& event) {
    // A draggable column is resized by its separator, the `sepwidth` pixels at its right edge.
    if (dragable_ && sepWidth_ > 0) {
        bool onSeparator =
            event.ptMouse.x >= rcItem_.right - sepWidth_ && rcItem_.Contains(event.ptMouse);
        if (event.type == UIEvent::kButtonDown && onSeparator) {
            resizing_ = true;
            resizeStartX_ = event.ptMouse.x;
            resizeStartWidth_ = rcItem_.Width();
            return;
        }
        if (resizing_ && event.type == UIEvent::kMouseMove) {
            SetFixedWidth(
                std::max(sepWidth_ * 2, resizeStartWidth_ + event.ptMouse.x - resizeStartX_));
            return;
        }
        if (resizing_ && event.type == UIEvent::kButtonUp) {
            resizing_ = false;
            return;
        }
    }
    CButtonUI::DoEvent(event);
}

Size CListHeaderUI::EstimateSize(Size available) {
    Size size = cxyFixed_;
    if (size.cy == 0) {
        for (int i = 0; i < GetCount(); ++i)
            size.cy = std::max(size.cy, GetItemAt(i)->EstimateSize(available).cy);
    }
    return size;
}

CListUI::CListUI() {
    header_ = new CListHeaderUI();
    body_ = new CVerticalLayoutUI();
    CVerticalLayoutUI::AddAt(header_, 0);
    CVerticalLayoutUI::AddAt(body_, 1);
}

bool CListUI::Add(CControlUI* control) {
    if (auto* header = dynamic_cast<CListHeaderUI*>(control)) {
        // The markup's header replaces the empty one made by the constructor.
        CVerticalLayoutUI::Remove(header_);
        header_ = header;
        return CVerticalLayoutUI::AddAt(header, 0);
    }
    return AddAt(control, GetRowCount());
}

bool CListUI::AddAt(CControlUI* control, int index) {
    if (!body_->AddAt(control, index)) return false;
    if (auto* element = dynamic_cast<CListElementUI*>(control)) element->SetOwner(this);
    Reindex();
    return true;
}

bool CListUI::Remove(CControlUI* control, bool doNotDestroy) {
    int index = body_->GetItemIndex(control);
    if (!body_->Remove(control, doNotDestroy)) return false;
    if (index == curSel_)
        curSel_ = -1;
    else if (index < curSel_)
        --curSel_;
    Reindex();
    return true;
}

void CListUI::RemoveAll() {
    body_->RemoveAll();
    curSel_ = -1;
}

void CListUI::Reindex() {
    for (int i = 0; i < body_->GetCount(); ++i) {
        if (auto* element = dynamic_cast<CListElementUI*>(body_->GetItemAt(i))) {
            element->SetIndex(i);
            element->SetSelectedState(i == curSel_);
        }
    }
}

bool CListUI::SelectItem(int index, bool takeFocus) {
    return SelectListRow(*this, *body_, curSel_, index, takeFocus);
}

void CListUI::ItemClicked(CControlUI* item) {
    if (manager_) manager_->SendNotify(item, notify::kItemClick);
}

void CListUI::SetPos(const Rect& rc) {
    CVerticalLayoutUI::SetPos(rc);
    // Rows draw their cells in the header's columns.
    info_.columns.clear();
    for (int i = 0; i < header_->GetCount(); ++i) {
        CControlUI* item = header_->GetItemAt(i);
        if (item->IsOwnVisible())
            info_.columns.emplace_back(item->GetPos().left, item->GetPos().right);
    }
}

void CListUI::SetAttribute(std::wstring_view name, std::wstring_view value) {
    if (ApplyListInfoAttribute(info_, name, value)) {
        Invalidate();
    } else if (name == L"vscrollbar") {
        body_->EnableScrollBar(ParseBool(value));
    } else if (name == L"scrollstepsize") {
        body_->EnableScrollBar(true);
        body_->GetVerticalScrollBar()->SetLineSize(ParseInt(value));
    } else if (name == L"header") {
        header_->SetVisible(value != L"hidden");
    } else {
        CVerticalLayoutUI::SetAttribute(name, value);
    }
}

}  // namespace SkinUI
