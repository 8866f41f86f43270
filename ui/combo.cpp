#include "ui/combo.h"

#include <algorithm>

#include "ui/attribute_values.h"
#include "ui/combo_wnd.h"
#include "ui/paint_manager.h"
#include "ui/render_engine.h"

namespace SkinUI {

namespace {

const AttributeSetter<CComboUI> kComboAttributes[] = {
    {L"normalimage", [](CComboUI& c, std::wstring_view v) { c.SetNormalImage(std::wstring(v)); }},
    {L"hotimage", [](CComboUI& c, std::wstring_view v) { c.SetHotImage(std::wstring(v)); }},
    {L"pushedimage", [](CComboUI& c, std::wstring_view v) { c.SetPushedImage(std::wstring(v)); }},
    {L"disabledimage",
     [](CComboUI& c, std::wstring_view v) { c.SetDisabledImage(std::wstring(v)); }},
    {L"textpadding", [](CComboUI& c, std::wstring_view v) { c.SetTextPadding(ParseRect(v)); }},
};

}  // namespace

CComboUI::CComboUI() = default;

CComboUI::~CComboUI() {
    dropWindow_.reset();
}

void CComboUI::SetAttribute(std::wstring_view name, std::wstring_view value) {
    if (ApplyListInfoAttribute(info_, name, value)) {
        Invalidate();
    } else if (name == L"dropboxsize") {
        dropBoxSize_ = ParseSize(value);
    } else if (!ApplyAttribute(kComboAttributes, *this, name, value)) {
        CContainerUI::SetAttribute(name, value);
    }
}

bool CComboUI::Add(CControlUI* control) {
    return AddAt(control, GetCount());
}

bool CComboUI::AddAt(CControlUI* control, int index) {
    auto* element = dynamic_cast<CListElementUI*>(control);
    if (element == nullptr) return false;
    if (!CContainerUI::AddAt(control, index)) return false;
    element->SetOwner(this);
    if (curSel_ >= index) ++curSel_;
    Reindex();
    return true;
}

bool CComboUI::Remove(CControlUI* control, bool doNotDestroy) {
    int index = GetItemIndex(control);
    if (!CContainerUI::Remove(control, doNotDestroy)) return false;
    if (index == curSel_)
        curSel_ = -1;
    else if (index < curSel_)
        --curSel_;
    Reindex();
    return true;
}

void CComboUI::RemoveAll() {
    CloseDropDown();
    CContainerUI::RemoveAll();
    curSel_ = -1;
    Invalidate();
}

void CComboUI::Reindex() {
    for (int i = 0; i < GetCount(); ++i) {
        auto* element = static_cast<CListElementUI*>(GetItemAt(i));
        element->SetIndex(i);
        element->SetSelectedState(i == curSel_);
    }
    Invalidate();
}

bool CComboUI::SelectItem(int index, bool takeFocus) {
    return SelectListRow(*this, *this, curSel_, index, takeFocus);
}

std::wstring CComboUI::GetText() const {
    CControlUI* item = GetItemAt(curSel_);
    return item ? item->GetText() : std::wstring();
}

void CComboUI::SetNormalImage(std::wstring d) {
    normalImage_ = std::move(d), Invalidate();
}
void CComboUI::SetHotImage(std::wstring d) {
    hotImage_ = std::move(d), Invalidate();
}
void CComboUI::SetPushedImage(std::wstring d) {
    pushedImage_ = std::move(d), Invalidate();
}
void CComboUI::SetDisabledImage(std::wstring d) {
    disabledImage_ = std::move(d), Invalidate();
}
void CComboUI::SetItemFont(int index) {
    info_.font = index, Invalidate();
}
void CComboUI::SetSelectedItemTextColor(uint32_t argb) {
    info_.selectedTextColor = argb, Invalidate();
}
void CComboUI::SetTextPadding(const Rect& rc) {
    textPadding_ = rc, Invalidate();
}

bool CComboUI::IsDropDownOpen() const {
    return dropWindow_ && dropWindow_->IsWindow();
}

void CComboUI::CloseDropDown() {
    if (IsDropDownOpen()) dropWindow_->Close(0);
}

bool CComboUI::Activate() {
    if (!CControlUI::Activate()) return false;
    if (IsDropDownOpen()) {
        CloseDropDown();
        return true;
    }
    dropWindow_ = std::make_unique<CComboWnd>(this);
    dropWindow_->Open();
    if (manager_) manager_->SendNotify(this, notify::kDropDown);
    return true;
}

void CComboUI::DoEvent(TEventUI& event) {
    switch (press_.Track(event, rcItem_, enabled_)) {
        case PressState::Outcome::Changed:
            Invalidate();
            return;
        case PressState::Outcome::Clicked:
            Invalidate();
            Activate();
            return;
        case PressState::Outcome::NotMine:
            break;
    }
    switch (event.type) {
        case UIEvent::kScrollWheel:
            // The wheel steps through the items, as a closed drop-down list does.
            if (enabled_ && GetCount() > 0)
                SelectItem(std::clamp(curSel_ + (static_cast<int>(event.wParam) > 0 ? -1 : 1), 0,
                                      GetCount() - 1));
            return;
        default:
            CControlUI::DoEvent(event);
    }
}

void CComboUI::SetPos(const Rect& rc) {
    // The items are laid out by the drop-down window, not inside the combo.
    CControlUI::SetPos(rc);
}

CControlUI* CComboUI::FindControlAt(Point pt) {
    return CControlUI::FindControlAt(pt);
}

void CComboUI::DoPaint(ISurface& surface, const Rect& rcPaint) {
    Rect clip = rcPaint.Intersect(rcItem_);
    if (clip.IsEmpty()) return;
    surface.PushClip(clip);
    PaintBkColor(surface);
    PaintBkImage(surface);
    const std::wstring* image = &normalImage_;
    if (!enabled_ && !disabledImage_.empty())
        image = &disabledImage_;
    else if (press_.pushed && !pushedImage_.empty())
        image = &pushedImage_;
    else if ((press_.hot || press_.pushed) && !hotImage_.empty())
        image = &hotImage_;
    if (!DrawImage(surface, *image) && image != &normalImage_) DrawImage(surface, normalImage_);
    if (auto* item = static_cast<CListElementUI*>(GetItemAt(curSel_)); item && manager_) {
        // The closed combo shows its item in the item's normal colour.
        uint32_t color = !enabled_
                             ? (info_.disabledTextColor ? info_.disabledTextColor : 0xFFA7A6AA)
                         : info_.textColor ? info_.textColor
                                           : manager_->GetDefaultTextColor();
        CRenderEngine::DrawText(surface, *manager_, rcItem_.Deflate(textPadding_), item->GetText(),
                                AdjustColor(color), info_.font,
                                text::kSingleLine | text::kVCenter | text::kEndEllipsis |
                                    (info_.textStyle & (text::kCenter | text::kRight)));
    }
    PaintBorder(surface);
    surface.PopClip();
}

}  // namespace SkinUI
