// Lists: the shared item appearance (TListInfoUI), list elements (label rows for combos and
// menus, multi-column text rows for tables), and CListUI with its header and scrolling body.
#pragma once

#include <string>
#include <vector>

#include "ui/button.h"
#include "ui/layouts.h"

namespace SkinUI {

// How the items of a list, combo or menu look; set with the "item..." attributes.
struct TListInfoUI {
    int font = -1;
    unsigned textStyle = text::kSingleLine | text::kVCenter | text::kLeft;
    Rect textPadding;
    uint32_t textColor = 0;
    uint32_t bkColor = 0;
    uint32_t selectedTextColor = 0;
    uint32_t selectedBkColor = 0;
    uint32_t hotTextColor = 0;
    uint32_t hotBkColor = 0;
    uint32_t disabledTextColor = 0;
    uint32_t disabledBkColor = 0;
    uint32_t lineColor = 0;
    bool showRowLine = false;
    bool showColumnLine = false;
    // Column extents (x ranges in client coordinates) of a table; empty for one-column lists.
    std::vector<std::pair<int, int>> columns;
};

// Applies one "item..." attribute; false when the name is not one of them.
bool ApplyListInfoAttribute(TListInfoUI& info, std::wstring_view name, std::wstring_view value);

class IListOwnerUI {
  public:
    virtual ~IListOwnerUI() = default;
    virtual TListInfoUI* GetListInfo() = 0;
    virtual int GetCurSel() const = 0;
    virtual bool SelectItem(int index, bool takeFocus = false) = 0;
    // An item was clicked (after it selected itself).
    virtual void ItemClicked(CControlUI* item) { (void)item; }
};

// The selection every list owner makes alike: `curSel` becomes `index`, the rows of `rows` show
// it, `owner` takes the focus when asked and raises "itemselect" (wParam the new index, lParam
// the old one) once the selection is in place. The current row again changes nothing and raises
// nothing; false for an index outside `rows`.
bool SelectListRow(CControlUI& owner, CContainerUI& rows, int& curSel, int index, bool takeFocus);

class CListElementUI : public CControlUI {
  public:
    std::wstring_view GetClass() const override { return L"ListElementUI"; }
    void SetOwner(IListOwnerUI* owner) { owner_ = owner; }
    IListOwnerUI* GetOwner() const { return owner_; }
    void SetIndex(int index) { index_ = index; }
    bool IsSelected() const { return selected_; }
    void SetSelectedState(bool selected);
    void SetHotState(bool hot);
    Size EstimateSize(Size available) override;
    void DoEvent(TEventUI& event) override;

  protected:
    void PaintBkColor(ISurface& surface) override;
    // The item text colour for its state.
    uint32_t ItemTextColor() const;
    // Height of one line in the list's font plus a margin.
    int DefaultHeight() const;

    IListOwnerUI* owner_ = nullptr;
    int index_ = -1;
    bool selected_ = false;
    bool hot_ = false;
};

// A one-text item (combo items).
class CListLabelElementUI : public CListElementUI {
  public:
    std::wstring_view GetClass() const override { return L"ListLabelElementUI"; }

  protected:
    void PaintText(ISurface& surface) override;
};

// A row of texts, one per header column (tables).
class CListTextElementUI : public CListElementUI {
  public:
    std::wstring_view GetClass() const override { return L"ListTextElementUI"; }
    std::wstring GetText(int column) const;
    void SetText(int column, std::wstring text);
    using CControlUI::GetText;
    using CControlUI::SetText;

  protected:
    void PaintText(ISurface& surface) override;
    void PaintBorder(ISurface& surface) override;

  private:
    std::vector<std::wstring> texts_;
};

class CListHeaderItemUI : public CButtonUI {
  public:
    CListHeaderItemUI();
    std::wstring_view GetClass() const override { return L"ListHeaderItemUI"; }
    bool IsFocusable() const override { return false; }
    bool Activate() override;
    void DoEvent(TEventUI& event) override;
    void SetAttribute(std::wstring_view name, std::wstring_view value) override;

  private:
    bool dragable_ = false;
    int sepWidth_ = 0;
    bool resizing_ = false;
    int resizeStartX_ = 0;
    int resizeStartWidth_ = 0;
};

class CListHeaderUI : public CHorizontalLayoutUI {
  public:
    std::wstring_view GetClass() const override { return L"ListHeaderUI"; }
    Size EstimateSize(Size available) override;
};

class CListUI : public CVerticalLayoutUI, public IListOwnerUI {
  public:
    CListUI();
    std::wstring_view GetClass() const override { return L"ListUI"; }

    // A CListHeaderUI becomes the header; anything else is a row.
    bool Add(CControlUI* control) override;
    bool AddAt(CControlUI* control, int index) override;
    bool Remove(CControlUI* control, bool doNotDestroy = false) override;
    void RemoveAll() override;
    int GetRowCount() const { return body_->GetCount(); }
    CControlUI* GetRowAt(int index) const { return body_->GetItemAt(index); }
    CListHeaderUI* GetHeader() const { return header_; }
    CVerticalLayoutUI* GetBody() const { return body_; }

    TListInfoUI* GetListInfo() override { return &info_; }
    int GetCurSel() const override { return curSel_; }
    bool SelectItem(int index, bool takeFocus = false) override;
    void ItemClicked(CControlUI* item) override;

    void SetPos(const Rect& rc) override;
    void SetAttribute(std::wstring_view name, std::wstring_view value) override;

  private:
    void Reindex();

    CListHeaderUI* header_ = nullptr;
    CVerticalLayoutUI* body_ = nullptr;
    TListInfoUI info_;
    int curSel_ = -1;
};

}  // namespace SkinUI
