// Text controls: CLabelUI draws one line (or wrapped lines) of text and can size itself to it;
// CTextUI is a label that wraps by default.
#pragma once

#include "ui/control.h"

namespace SkinUI {

class CLabelUI : public CControlUI {
  public:
    std::wstring_view GetClass() const override { return L"LabelUI"; }

    void SetTextColor(uint32_t argb);
    uint32_t GetTextColor() const { return textColor_; }
    void SetDisabledTextColor(uint32_t argb);
    void SetFont(int index);
    int GetFont() const { return font_; }
    void SetTextStyle(unsigned style);
    unsigned GetTextStyle() const { return textStyle_; }
    void SetTextPadding(const Rect& rc);
    const Rect& GetTextPadding() const { return textPadding_; }
    void SetAutoCalcWidth(bool enable);
    bool IsAutoCalcWidth() const { return autoCalcWidth_; }
    // The text as shown (no translation table in this framework).
    std::wstring GetTransText() const { return GetText(); }
    void SetText(std::wstring text) override;

    Size EstimateSize(Size available) override;
    void SetAttribute(std::wstring_view name, std::wstring_view value) override;

  protected:
    void PaintText(ISurface& surface) override;
    // Colour for the current state: the disabled colour for a disabled control.
    uint32_t CurrentTextColor() const;

    uint32_t textColor_ = 0;
    uint32_t disabledTextColor_ = 0;
    int font_ = -1;
    unsigned textStyle_ = text::kSingleLine | text::kVCenter | text::kLeft;
    Rect textPadding_;
    bool autoCalcWidth_ = false;
};

class CTextUI : public CLabelUI {
  public:
    CTextUI() { textStyle_ = text::kWordBreak; }
    std::wstring_view GetClass() const override { return L"TextUI"; }
};

// Applies an `align` value ("left", "center", "right", "top", "vcenter", "bottom", "wrap") to a
// text style; several words may be combined.
unsigned ApplyAlign(unsigned style, std::wstring_view value);

}  // namespace SkinUI
