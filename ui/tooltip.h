// The tooltip window: a small borderless window with one line of text near the pointer.
#pragma once

#include <memory>
#include <string>

#include "ui/window_wnd.h"

namespace SkinUI {

class CPaintManagerUI;
class CLabelUI;

class CToolTipWnd : public CWindowWnd {
  public:
    CToolTipWnd();
    ~CToolTipWnd() override;
    // Shows `text` with its top-left corner at a screen point; creates the window first.
    void ShowAt(CWindowWnd* owner, const std::wstring& text, Point screen);
    void Hide();
    std::wstring GetShownText() const;

  protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

  private:
    std::unique_ptr<CPaintManagerUI> manager_;
    CLabelUI* label_ = nullptr;
};

}  // namespace SkinUI
