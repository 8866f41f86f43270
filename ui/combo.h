// A drop-down list: the items are CListLabelElementUI children; a click opens a popup window
// that lists them, and choosing one selects it ("itemselect").
#pragma once

#include <memory>

#include "ui/list.h"
#include "ui/press_state.h"

namespace SkinUI {

class CComboWnd;

class CComboUI : public CContainerUI, public IListOwnerUI {
  public:
    CComboUI();
    ~CComboUI() override;
    std::wstring_view GetClass() const override { return L"ComboUI"; }
    bool IsFocusable() const override { return true; }

    bool Add(CControlUI* control) override;
    bool AddAt(CControlUI* control, int index) override;
    bool Remove(CControlUI* control, bool doNotDestroy = false) override;
    void RemoveAll() override;

    TListInfoUI* GetListInfo() override { return &info_; }
    int GetCurSel() const override { return curSel_; }
    // Selects an item and raises "itemselect" (wParam the new index, lParam the old one) once
    // the selection is in place; selecting the current item again raises nothing.
    bool SelectItem(int index, bool takeFocus = false) override;
    std::wstring GetText() const override;

    void SetNormalImage(std::wstring descriptor);
    void SetHotImage(std::wstring descriptor);
    void SetPushedImage(std::wstring descriptor);
    void SetDisabledImage(std::wstring descriptor);
    void SetItemFont(int index);
    void SetSelectedItemTextColor(uint32_t argb);
    void SetTextPadding(const Rect& rc);
    Size GetDropBoxSize() const { return dropBoxSize_; }
    bool IsDropDownOpen() const;
    CComboWnd* GetDropWindow() const { return dropWindow_.get(); }
    void CloseDropDown();

    bool Activate() override;
    void DoEvent(TEventUI& event) override;
    void SetPos(const Rect& rc) override;
    CControlUI* FindControlAt(Point pt) override;
    void DoPaint(ISurface& surface, const Rect& rcPaint) override;
    void SetAttribute(std::wstring_view name, std::wstring_view value) override;

  private:
    void Reindex();

    TListInfoUI info_;
    int curSel_ = -1;
    std::wstring normalImage_, hotImage_, pushedImage_, disabledImage_;
    Rect textPadding_;
    Size dropBoxSize_{0, 150};
    PressState press_;
    std::unique_ptr<CComboWnd> dropWindow_;
};

}  // namespace SkinUI
