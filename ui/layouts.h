// Containers. CContainerUI gives every child its whole inner rectangle; the vertical and
// horizontal layouts stack their children, giving fixed sizes first and sharing what is left
// among the flexible ones; the tab layout shows one child at a time. Floating children are
// placed at their `pos` inside the container in every layout.
#pragma once

#include <memory>
#include <vector>

#include "ui/control.h"
#include "ui/scrollbar.h"

namespace SkinUI {

class CContainerUI : public CControlUI {
  public:
    ~CContainerUI() override;
    std::wstring_view GetClass() const override { return L"ContainerUI"; }

    // The container owns what is added to it.
    virtual bool Add(CControlUI* control);
    virtual bool AddAt(CControlUI* control, int index);
    // Removes and destroys the control at the end of the loop turn (or only detaches it with
    // `doNotDestroy`, handing it back to the caller).
    virtual bool Remove(CControlUI* control, bool doNotDestroy = false);
    virtual void RemoveAll();
    CControlUI* GetItemAt(int index) const;
    int GetItemIndex(const CControlUI* control) const;
    int GetCount() const { return static_cast<int>(items_.size()); }

    const Rect& GetInset() const { return inset_; }
    void SetInset(const Rect& rc);
    void SetChildPadding(int padding);
    void EnableScrollBar(bool vertical);
    CScrollBarUI* GetVerticalScrollBar() const { return vScrollBar_.get(); }

    int GetChildCount() const override { return GetCount(); }
    CControlUI* GetChildAt(int index) const override { return GetItemAt(index); }
    void SetManager(CPaintManagerUI* manager, CControlUI* parent) override;
    void SetPos(const Rect& rc) override;
    CControlUI* FindControlAt(Point pt) override;
    void DoEvent(TEventUI& event) override;
    void DoPaint(ISurface& surface, const Rect& rcPaint) override;
    void SetAttribute(std::wstring_view name, std::wstring_view value) override;

  protected:
    // Stacks the flowing children top to bottom (or left to right): fixed sizes first, what is
    // left shared among the flexible ones.
    void StackChildren(const Rect& rc, bool vertical);
    // Places a floating child at its fixed position inside this container.
    void SetFloatPos(CControlUI* child);
    // The inner rectangle, less the scroll bar when it shows.
    Rect ContentRect() const;
    // Shows the scroll bar when `needed` exceeds the space and sets its range.
    void ProcessScrollBar(const Rect& rc, int needed);
    int ScrollOffset() const {
        return vScrollBar_ && vScrollBar_->IsOwnVisible() ? vScrollBar_->GetScrollPos() : 0;
    }

    std::vector<std::unique_ptr<CControlUI>> items_;
    Rect inset_;
    int childPadding_ = 0;
    std::unique_ptr<CScrollBarUI> vScrollBar_;
};

class CVerticalLayoutUI : public CContainerUI {
  public:
    std::wstring_view GetClass() const override { return L"VerticalLayoutUI"; }
    void SetPos(const Rect& rc) override;
};

class CHorizontalLayoutUI : public CContainerUI {
  public:
    std::wstring_view GetClass() const override { return L"HorizontalLayoutUI"; }
    void SetPos(const Rect& rc) override;
};

class CTabLayoutUI : public CContainerUI {
  public:
    std::wstring_view GetClass() const override { return L"TabLayoutUI"; }
    bool Add(CControlUI* control) override;
    bool AddAt(CControlUI* control, int index) override;
    bool Remove(CControlUI* control, bool doNotDestroy = false) override;
    void RemoveAll() override;
    int GetCurSel() const { return curSel_; }
    // Shows page `index` and hides the others; raises "tabselect" when the page changes.
    bool SelectItem(int index);
    void SetPos(const Rect& rc) override;
    void SetAttribute(std::wstring_view name, std::wstring_view value) override;

  private:
    int curSel_ = -1;
};

}  // namespace SkinUI
