// A vertical scroll bar for containers: two arrow buttons, a rail and a thumb.
#pragma once

#include "ui/control.h"

namespace SkinUI {

class CContainerUI;

class CScrollBarUI : public CControlUI {
  public:
    CScrollBarUI();
    std::wstring_view GetClass() const override { return L"ScrollBarUI"; }

    void SetOwner(CContainerUI* owner) { owner_ = owner; }
    int GetScrollRange() const { return range_; }
    void SetScrollRange(int range);
    int GetScrollPos() const { return pos_; }
    // Kept within [0, range]; moves the owner's content.
    void SetScrollPos(int pos);
    void SetLineSize(int size) { lineSize_ = std::max(1, size); }

    void SetPos(const Rect& rc) override;
    void DoEvent(TEventUI& event) override;
    void SetAttribute(std::wstring_view name, std::wstring_view value) override;

  protected:
    void PaintStatusImage(ISurface& surface) override;

  private:
    void PlaceThumb();

    CContainerUI* owner_ = nullptr;
    int range_ = 0;
    int pos_ = 0;
    int lineSize_ = 8;
    bool showButton1_ = true;
    bool showButton2_ = true;
    Rect button1_, button2_, thumb_;
    std::wstring button1Image_, button2Image_, thumbImage_, thumbHotImage_, railImage_, bkImage2_;
    bool dragging_ = false;
    int dragStartY_ = 0;
    int dragStartPos_ = 0;
    bool thumbHot_ = false;
};

}  // namespace SkinUI
