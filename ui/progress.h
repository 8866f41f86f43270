// A progress bar: the fore image covers the share of the bar given by the value.
#pragma once

#include "ui/label.h"

namespace SkinUI {

class CProgressUI : public CLabelUI {
  public:
    CProgressUI() { textStyle_ = text::kSingleLine | text::kVCenter | text::kCenter; }
    std::wstring_view GetClass() const override { return L"ProgressUI"; }

    int GetMinValue() const { return min_; }
    void SetMinValue(int value);
    int GetMaxValue() const { return max_; }
    void SetMaxValue(int value);
    int GetValue() const { return value_; }
    // Kept within [min, max]; redraws the bar.
    void SetValue(int value);
    void SetHorizontal(bool horizontal);
    void SetForeImage(std::wstring descriptor);
    // The part of the bar the fore image covers, in client coordinates.
    Rect GetForeRect() const;

    void SetAttribute(std::wstring_view name, std::wstring_view value) override;

  protected:
    void PaintStatusImage(ISurface& surface) override;

  private:
    int min_ = 0;
    int max_ = 100;
    int value_ = 0;
    bool horizontal_ = true;
    std::wstring foreImage_;
};

}  // namespace SkinUI
