// Selectable buttons. Options of one group are mutually exclusive; an option bound to a tab
// layout shows its page when it becomes selected.
#pragma once

#include "ui/button.h"

namespace SkinUI {

class COptionUI : public CButtonUI {
  public:
    ~COptionUI() override;
    std::wstring_view GetClass() const override { return L"OptionUI"; }

    void SetManager(CPaintManagerUI* manager, CControlUI* parent) override;
    const std::wstring& GetGroup() const { return group_; }
    void SetGroup(std::wstring group);
    bool IsSelected() const { return selected_; }
    // Raises "selectchanged" when the state changes.
    void Selected(bool selected);
    void SetSelectedImage(std::wstring descriptor);
    void SetSelectedTextColor(uint32_t argb);
    void SetSelectedBkColor(uint32_t argb);
    void SetBindTabLayoutName(std::wstring name) { bindTabLayoutName_ = std::move(name); }
    void SetBindTabIndex(int index) { bindTabIndex_ = index; }

    bool Activate() override;
    void SetAttribute(std::wstring_view name, std::wstring_view value) override;

  protected:
    void PaintBkColor(ISurface& surface) override;
    void PaintStatusImage(ISurface& surface) override;
    void PaintText(ISurface& surface) override;

  private:
    void SelectBoundTab();

    std::wstring group_;
    bool selected_ = false;
    std::wstring selectedImage_;
    uint32_t selectedTextColor_ = 0;
    uint32_t selectedBkColor_ = 0;
    std::wstring bindTabLayoutName_;
    int bindTabIndex_ = -1;
};

}  // namespace SkinUI
