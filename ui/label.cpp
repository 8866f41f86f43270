#include "ui/label.h"

#include "ui/attribute_values.h"
#include "ui/paint_manager.h"
#include "ui/render_engine.h"

namespace SkinUI {

namespace {

struct AlignWord {
    std::wstring_view word;
    unsigned clear;
    unsigned set;
};

constexpr unsigned kHorizontal = text::kCenter | text::kRight;
constexpr unsigned kVertical = text::kVCenter | text::kBottom;

const AlignWord kAlignWords[] = {
    {L"left", kHorizontal, text::kLeft},
    {L"center", kHorizontal, text::kCenter},
    {L"right", kHorizontal, text::kRight},
    {L"top", kVertical, text::kTop},
    {L"vcenter", kVertical, text::kVCenter},
    {L"bottom", kVertical, text::kBottom},
    {L"wrap", text::kSingleLine, text::kWordBreak},
};

const AttributeSetter<CLabelUI> kLabelAttributes[] = {
    {L"textcolor", [](CLabelUI& c, std::wstring_view v) { c.SetTextColor(ParseColor(v)); }},
    {L"disabledtextcolor",
     [](CLabelUI& c, std::wstring_view v) { c.SetDisabledTextColor(ParseColor(v)); }},
    {L"font", [](CLabelUI& c, std::wstring_view v) { c.SetFont(ParseInt(v)); }},
    {L"align",
     [](CLabelUI& c, std::wstring_view v) { c.SetTextStyle(ApplyAlign(c.GetTextStyle(), v)); }},
    {L"endellipsis",
     [](CLabelUI& c, std::wstring_view v) {
         unsigned style = c.GetTextStyle() & ~text::kEndEllipsis;
         c.SetTextStyle(ParseBool(v) ? style | text::kEndEllipsis : style);
     }},
    {L"textpadding", [](CLabelUI& c, std::wstring_view v) { c.SetTextPadding(ParseRect(v)); }},
    {L"autocalcwidth", [](CLabelUI& c, std::wstring_view v) { c.SetAutoCalcWidth(ParseBool(v)); }},
};

}  // namespace

unsigned ApplyAlign(unsigned style, std::wstring_view value) {
    size_t pos = 0;
    while (pos < value.size()) {
        size_t end = value.find_first_of(L" ,", pos);
        if (end == std::wstring_view::npos) end = value.size();
        std::wstring_view word = value.substr(pos, end - pos);
        for (const AlignWord& w : kAlignWords) {
            if (w.word == word) style = (style & ~w.clear) | w.set;
        }
        pos = end + 1;
    }
    return style;
}

void CLabelUI::SetAttribute(std::wstring_view name, std::wstring_view value) {
    if (!ApplyAttribute(kLabelAttributes, *this, name, value))
        CControlUI::SetAttribute(name, value);
}

void CLabelUI::SetTextColor(uint32_t argb) {
    textColor_ = argb;
    Invalidate();
}

void CLabelUI::SetDisabledTextColor(uint32_t argb) {
    disabledTextColor_ = argb;
    Invalidate();
}

void CLabelUI::SetFont(int index) {
    font_ = index;
    NeedParentUpdate();
}

void CLabelUI::SetTextStyle(unsigned style) {
    textStyle_ = style;
    Invalidate();
}

void CLabelUI::SetTextPadding(const Rect& rc) {
    textPadding_ = rc;
    NeedParentUpdate();
}

void CLabelUI::SetAutoCalcWidth(bool enable) {
    autoCalcWidth_ = enable;
    NeedParentUpdate();
}

void CLabelUI::SetText(std::wstring text) {
    if (text == text_) return;
    CControlUI::SetText(std::move(text));
    // A label that sizes itself to its text needs its row laid out again.
    if (autoCalcWidth_) NeedParentUpdate();
}

Size CLabelUI::EstimateSize(Size available) {
    Size size = cxyFixed_;
    if (autoCalcWidth_ && manager_) {
        Size text = GetBackend().MeasureText(text_, manager_->GetFont(font_), 0, text::kSingleLine);
        size.cx = text.cx + textPadding_.left + textPadding_.right;
    }
    (void)available;
    return size;
}

uint32_t CLabelUI::CurrentTextColor() const {
    if (!enabled_)
        return disabledTextColor_ ? disabledTextColor_
                                  : (manager_ ? manager_->GetDefaultDisabledColor() : 0xFFA7A6AA);
    return textColor_ ? textColor_ : (manager_ ? manager_->GetDefaultTextColor() : 0xFF000000);
}

void CLabelUI::PaintText(ISurface& surface) {
    if (!manager_ || text_.empty()) return;
    CRenderEngine::DrawText(surface, *manager_, rcItem_.Deflate(textPadding_), text_,
                            AdjustColor(CurrentTextColor()), font_, textStyle_);
}

}  // namespace SkinUI
