// Image buttons with normal, hot, pushed, focused and disabled looks. "click" is raised when the
// mouse is released over the button it was pressed on, never by a disabled button.
#pragma once

#include "ui/label.h"
#include "ui/press_state.h"

namespace SkinUI {

class CButtonUI : public CLabelUI {
  public:
    CButtonUI() { textStyle_ = text::kSingleLine | text::kVCenter | text::kCenter; }
    std::wstring_view GetClass() const override { return L"ButtonUI"; }
    bool IsFocusable() const override { return true; }

    void SetNormalImage(std::wstring descriptor);
    void SetHotImage(std::wstring descriptor);
    void SetPushedImage(std::wstring descriptor);
    void SetFocusedImage(std::wstring descriptor);
    void SetDisabledImage(std::wstring descriptor);
    void SetHotBkColor(uint32_t argb);
    void SetPushedBkColor(uint32_t argb);
    void SetHotTextColor(uint32_t argb);
    void SetPushedTextColor(uint32_t argb);

    bool Activate() override;
    void DoEvent(TEventUI& event) override;
    void SetAttribute(std::wstring_view name, std::wstring_view value) override;

  protected:
    void PaintBkColor(ISurface& surface) override;
    void PaintStatusImage(ISurface& surface) override;
    void PaintText(ISurface& surface) override;

    std::wstring normalImage_, hotImage_, pushedImage_, focusedImage_, disabledImage_;
    uint32_t hotBkColor_ = 0;
    uint32_t pushedBkColor_ = 0;
    uint32_t hotTextColor_ = 0;
    uint32_t pushedTextColor_ = 0;
    PressState press_;
};

}  // namespace SkinUI
