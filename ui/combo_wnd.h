// The popup window of an open combo: it draws the combo's items as rows and selects the one
// clicked. The items stay owned by the combo.
#pragma once

#include <memory>

#include "ui/window_wnd.h"

namespace SkinUI {

class CComboUI;
class CPaintManagerUI;

class CComboWnd : public CWindowWnd {
  public:
    explicit CComboWnd(CComboUI* owner);
    ~CComboWnd() override;
    void Open();
    CPaintManagerUI& GetManager() { return *manager_; }
    // Client rectangle of row `index` in this window (rows may be scrolled out of view).
    Rect GetRowRect(int index) const;

  protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

  private:
    friend class CComboDropListUI;
    CComboUI* owner_;
    std::unique_ptr<CPaintManagerUI> manager_;
    class CComboDropListUI* list_ = nullptr;
};

}  // namespace SkinUI
