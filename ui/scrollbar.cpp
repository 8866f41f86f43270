#include "ui/scrollbar.h"

#include <algorithm>

#include "ui/attribute_values.h"
#include "ui/layouts.h"

namespace SkinUI {

namespace {

const AttributeSetter<CScrollBarUI> kScrollBarAttributes[] = {
    {L"linesize", [](CScrollBarUI& c, std::wstring_view v) { c.SetLineSize(ParseInt(v)); }},
};

// Image attributes by name, each with the member it fills.
struct ImageAttribute {
    std::wstring_view name;
    std::wstring CScrollBarUI::*member;
};

}  // namespace

CScrollBarUI::CScrollBarUI() {
    cxyFixed_.cx = 16;
}

void CScrollBarUI::SetAttribute(std::wstring_view name, std::wstring_view value) {
    static const ImageAttribute kImages[] = {
        {L"button1normalimage", &CScrollBarUI::button1Image_},
        {L"button2normalimage", &CScrollBarUI::button2Image_},
        {L"thumbnormalimage", &CScrollBarUI::thumbImage_},
        {L"thumbhotimage", &CScrollBarUI::thumbHotImage_},
        {L"railnormalimage", &CScrollBarUI::railImage_},
        {L"bknormalimage", &CScrollBarUI::bkImage2_},
    };
    for (const ImageAttribute& image : kImages) {
        if (image.name == name) {
            this->*image.member = std::wstring(value);
            Invalidate();
            return;
        }
    }
    if (name == L"showbutton1")
        showButton1_ = ParseBool(value);
    else if (name == L"showbutton2")
        showButton2_ = ParseBool(value);
    else if (!ApplyAttribute(kScrollBarAttributes, *this, name, value))
        CControlUI::SetAttribute(name, value);
}

void CScrollBarUI::SetScrollRange(int range) {
    range_ = std::max(0, range);
    pos_ = std::clamp(pos_, 0, range_);
    PlaceThumb();
}

void CScrollBarUI::SetScrollPos(int pos) {
    pos = std::clamp(pos, 0, range_);
    if (pos == pos_) return;
    pos_ = pos;
    PlaceThumb();
    if (owner_) owner_->NeedUpdate();
}

void CScrollBarUI::SetPos(const Rect& rc) {
    CControlUI::SetPos(rc);
    int side = rc.Width();
    button1_ = showButton1_ ? Rect{rc.left, rc.top, rc.right, rc.top + side}
                            : Rect{rc.left, rc.top, rc.right, rc.top};
    button2_ = showButton2_ ? Rect{rc.left, rc.bottom - side, rc.right, rc.bottom}
                            : Rect{rc.left, rc.bottom, rc.right, rc.bottom};
    PlaceThumb();
}

void CScrollBarUI::PlaceThumb() {
    int track = button2_.top - button1_.bottom;
    if (track <= 0) {
        thumb_ = {};
        return;
    }
    int page = owner_ ? owner_->GetPos().Height() : track;
    int total = page + range_;
    int length = std::max(std::min(track, rcItem_.Width()), track * page / std::max(1, total));
    length = std::min(length, track);
    int offset = range_ > 0 ? (track - length) * pos_ / range_ : 0;
    thumb_ = {rcItem_.left, button1_.bottom + offset, rcItem_.right,
              button1_.bottom + offset + length};
    Invalidate();
}

void CScrollBarUI::DoEvent(TEventUI& event) {
    switch (event.type) {
        case UIEvent::kButtonDown:
        case UIEvent::kDblClick:
            if (button1_.Contains(event.ptMouse)) {
                SetScrollPos(pos_ - lineSize_);
            } else if (button2_.Contains(event.ptMouse)) {
                SetScrollPos(pos_ + lineSize_);
            } else if (thumb_.Contains(event.ptMouse)) {
                dragging_ = true;
                dragStartY_ = event.ptMouse.y;
                dragStartPos_ = pos_;
            } else if (event.ptMouse.y < thumb_.top) {
                SetScrollPos(pos_ - (owner_ ? owner_->GetPos().Height() : lineSize_));
            } else {
                SetScrollPos(pos_ + (owner_ ? owner_->GetPos().Height() : lineSize_));
            }
            return;
        case UIEvent::kMouseMove:
            if (dragging_) {
                int track = button2_.top - button1_.bottom - thumb_.Height();
                if (track > 0)
                    SetScrollPos(dragStartPos_ + (event.ptMouse.y - dragStartY_) * range_ / track);
            } else if (thumb_.Contains(event.ptMouse) != thumbHot_) {
                thumbHot_ = !thumbHot_;
                Invalidate();
            }
            return;
        case UIEvent::kButtonUp:
            dragging_ = false;
            return;
        case UIEvent::kMouseLeave:
            thumbHot_ = false;
            Invalidate();
            return;
        case UIEvent::kScrollWheel:
            SetScrollPos(pos_ + (static_cast<int>(event.wParam) > 0 ? -lineSize_ : lineSize_) * 3);
            return;
        default:
            CControlUI::DoEvent(event);
    }
}

void CScrollBarUI::PaintStatusImage(ISurface& surface) {
    auto drawAt = [&](const Rect& rc, const std::wstring& image) {
        if (rc.IsEmpty() || image.empty()) return;
        std::wstring dest = L"dest='" + std::to_wstring(rc.left - rcItem_.left) + L"," +
                            std::to_wstring(rc.top - rcItem_.top) + L"," +
                            std::to_wstring(rc.right - rcItem_.left) + L"," +
                            std::to_wstring(rc.bottom - rcItem_.top) + L"'";
        DrawImage(surface, image, dest);
    };
    DrawImage(surface, bkImage2_);
    drawAt(button1_, button1Image_);
    drawAt(button2_, button2Image_);
    drawAt(thumb_, thumbHot_ && !thumbHotImage_.empty() ? thumbHotImage_ : thumbImage_);
    drawAt(thumb_, railImage_);
}

}  // namespace SkinUI
