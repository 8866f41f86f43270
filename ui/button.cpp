#include "ui/button.h"

#include "ui/attribute_values.h"
#include "ui/paint_manager.h"
#include "ui/render_engine.h"

namespace SkinUI {

namespace {

const AttributeSetter<CButtonUI> kButtonAttributes[] = {
    {L"normalimage", [](CButtonUI& c, std::wstring_view v) { c.SetNormalImage(std::wstring(v)); }},
    {L"hotimage", [](CButtonUI& c, std::wstring_view v) { c.SetHotImage(std::wstring(v)); }},
    {L"pushedimage", [](CButtonUI& c, std::wstring_view v) { c.SetPushedImage(std::wstring(v)); }},
    {L"focusedimage",
     [](CButtonUI& c, std::wstring_view v) { c.SetFocusedImage(std::wstring(v)); }},
    {L"disabledimage",
     [](CButtonUI& c, std::wstring_view v) { c.SetDisabledImage(std::wstring(v)); }},
    {L"hotbkcolor", [](CButtonUI& c, std::wstring_view v) { c.SetHotBkColor(ParseColor(v)); }},
    {L"pushedbkcolor",
     [](CButtonUI& c, std::wstring_view v) { c.SetPushedBkColor(ParseColor(v)); }},
    {L"hottextcolor", [](CButtonUI& c, std::wstring_view v) { c.SetHotTextColor(ParseColor(v)); }},
    {L"pushedtextcolor",
     [](CButtonUI& c, std::wstring_view v) { c.SetPushedTextColor(ParseColor(v)); }},
};

}  // namespace

void CButtonUI::SetAttribute(std::wstring_view name, std::wstring_view value) {
    if (!ApplyAttribute(kButtonAttributes, *this, name, value)) CLabelUI::SetAttribute(name, value);
}

void CButtonUI::SetNormalImage(std::wstring d) {
    normalImage_ = std::move(d), Invalidate();
}
void CButtonUI::SetHotImage(std::wstring d) {
    hotImage_ = std::move(d), Invalidate();
}
void CButtonUI::SetPushedImage(std::wstring d) {
    pushedImage_ = std::move(d), Invalidate();
}
void CButtonUI::SetFocusedImage(std::wstring d) {
    focusedImage_ = std::move(d), Invalidate();
}
void CButtonUI::SetDisabledImage(std::wstring d) {
    disabledImage_ = std::move(d), Invalidate();
}
void CButtonUI::SetHotBkColor(uint32_t argb) {
    hotBkColor_ = argb, Invalidate();
}
void CButtonUI::SetPushedBkColor(uint32_t argb) {
    pushedBkColor_ = argb, Invalidate();
}
void CButtonUI::SetHotTextColor(uint32_t argb) {
    hotTextColor_ = argb, Invalidate();
}
void CButtonUI::SetPushedTextColor(uint32_t argb) {
    pushedTextColor_ = argb, Invalidate();
}

bool CButtonUI::Activate() {
    if (!CControlUI::Activate()) return false;
    if (manager_) manager_->SendNotify(this, notify::kClick);
    return true;
}

void CButtonUI::DoEvent(TEventUI& event) {
    switch (press_.Track(event, rcItem_, enabled_)) {
        case PressState::Outcome::NotMine:
            CLabelUI::DoEvent(event);
            return;
        case PressState::Outcome::Changed:
            Invalidate();
            return;
        case PressState::Outcome::Clicked:
            Invalidate();
            // Last: the handler of the click may remove this button or close the window.
            Activate();
            return;
    }
}

void CButtonUI::PaintBkColor(ISurface& surface) {
    uint32_t color = press_.pushed && pushedBkColor_                ? pushedBkColor_
                     : (press_.hot || press_.pushed) && hotBkColor_ ? hotBkColor_
                                                                    : bkColor_;
    CRenderEngine::DrawColor(surface, rcItem_, AdjustColor(color));
}

void CButtonUI::PaintStatusImage(ISurface& surface) {
    // The most specific look that has an image wins; the normal image is the fallback.
    const std::wstring* image = &normalImage_;
    if (!enabled_ && !disabledImage_.empty())
        image = &disabledImage_;
    else if (press_.pushed && !pushedImage_.empty())
        image = &pushedImage_;
    else if ((press_.hot || press_.pushed) && !hotImage_.empty())
        image = &hotImage_;
    else if (focused_ && !focusedImage_.empty())
        image = &focusedImage_;
    if (!DrawImage(surface, *image) && image != &normalImage_) DrawImage(surface, normalImage_);
}

void CButtonUI::PaintText(ISurface& surface) {
    if (!manager_ || text_.empty()) return;
    uint32_t color = CurrentTextColor();
    if (enabled_ && press_.pushed && pushedTextColor_)
        color = pushedTextColor_;
    else if (enabled_ && press_.hot && hotTextColor_)
        color = hotTextColor_;
    CRenderEngine::DrawText(surface, *manager_, rcItem_.Deflate(textPadding_), text_,
                            AdjustColor(color), font_, textStyle_);
}

}  // namespace SkinUI
