// Drop-down menus: a popup window built from a menu skin, whose elements report a click to the
// window that opened the menu with msg::kMenuClick.
#pragma once

#include <map>
#include <memory>
#include <string>

#include "ui/dialog_builder.h"
#include "ui/list.h"
#include "ui/window_wnd.h"

namespace SkinUI {

class CPaintManagerUI;

// Alignment flags of CMenuWnd::Init: which corner of the menu lies at the point.
namespace menu_align {
inline constexpr UINT kLeft = 1 << 1;    // the point is the menu's left edge
inline constexpr UINT kTop = 1 << 2;     // the point is the menu's top edge
inline constexpr UINT kRight = 1 << 3;   // the point is the menu's right edge
inline constexpr UINT kBottom = 1 << 4;  // the point is the menu's bottom edge
}  // namespace menu_align

using MenuCheckMap = std::map<std::wstring, bool>;

class CMenuUI : public CVerticalLayoutUI, public IListOwnerUI {
  public:
    std::wstring_view GetClass() const override { return L"MenuUI"; }
    TListInfoUI* GetListInfo() override { return &info_; }
    int GetCurSel() const override { return curSel_; }
    // Selects an element as a list selects a row: its selected look, then "itemselect".
    bool SelectItem(int index, bool takeFocus = false) override;
    void ItemClicked(CControlUI* item) override;
    bool Add(CControlUI* control) override;
    // The size that holds every element and the insets.
    Size EstimateSize(Size available) override;
    void SetAttribute(std::wstring_view name, std::wstring_view value) override;

    // Where clicks go: the window that opened the menu.
    void SetClickTarget(class CMenuWnd* menu) { menu_ = menu; }

  private:
    TListInfoUI info_;
    int curSel_ = -1;
    class CMenuWnd* menu_ = nullptr;
};

class CMenuElementUI : public CListLabelElementUI {
  public:
    std::wstring_view GetClass() const override { return L"MenuElementUI"; }
    Size EstimateSize(Size available) override;
};

class CMenuWnd : public CWindowWnd, public IDialogBuilderCallback {
  public:
    CMenuWnd();
    ~CMenuWnd() override;

    // Opens the menu of skin `skin` at a screen point. `manager` is the paint manager of the
    // window that receives the click message; `checks` (optional) holds the elements' check
    // marks. The menu deletes itself when it closes, so create it with new.
    void Init(CControlUI* ownerElement, const std::wstring& skin, Point point,
              CPaintManagerUI* manager, MenuCheckMap* checks = nullptr,
              UINT flags = menu_align::kLeft | menu_align::kTop);
    CPaintManagerUI& GetManager() { return *manager_; }

    // Called by the menu when an element is clicked.
    void ElementClicked(CControlUI* element);
    CControlUI* CreateControl(const std::wstring& className) override;

  protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnFinalMessage() override;

  private:
    std::unique_ptr<CPaintManagerUI> manager_;
    CWindowWnd* target_ = nullptr;
    MenuCheckMap* checks_ = nullptr;
    bool deleteOnFinal_ = true;
};

}  // namespace SkinUI
