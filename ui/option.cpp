#include "ui/option.h"

#include "ui/attribute_values.h"
#include "ui/layouts.h"
#include "ui/paint_manager.h"
#include "ui/render_engine.h"

namespace SkinUI {

namespace {

const AttributeSetter<COptionUI> kOptionAttributes[] = {
    {L"group", [](COptionUI& c, std::wstring_view v) { c.SetGroup(std::wstring(v)); }},
    {L"selected", [](COptionUI& c, std::wstring_view v) { c.Selected(ParseBool(v)); }},
    {L"selectedimage",
     [](COptionUI& c, std::wstring_view v) { c.SetSelectedImage(std::wstring(v)); }},
    {L"selectedtextcolor",
     [](COptionUI& c, std::wstring_view v) { c.SetSelectedTextColor(ParseColor(v)); }},
    {L"selectedbkcolor",
     [](COptionUI& c, std::wstring_view v) { c.SetSelectedBkColor(ParseColor(v)); }},
    {L"bindtablayoutname",
     [](COptionUI& c, std::wstring_view v) { c.SetBindTabLayoutName(std::wstring(v)); }},
    {L"bindtabindex", [](COptionUI& c, std::wstring_view v) { c.SetBindTabIndex(ParseInt(v)); }},
};

}  // namespace

COptionUI::~COptionUI() {
    if (manager_ && !group_.empty()) manager_->RemoveOptionGroup(group_, this);
}

void COptionUI::SetAttribute(std::wstring_view name, std::wstring_view value) {
    if (!ApplyAttribute(kOptionAttributes, *this, name, value))
        CButtonUI::SetAttribute(name, value);
}

void COptionUI::SetManager(CPaintManagerUI* manager, CControlUI* parent) {
    if (manager_ && manager_ != manager && !group_.empty())
        manager_->RemoveOptionGroup(group_, this);
    CButtonUI::SetManager(manager, parent);
    if (manager_ && !group_.empty()) manager_->AddOptionGroup(group_, this);
}

void COptionUI::SetGroup(std::wstring group) {
    if (group == group_) return;
    if (manager_ && !group_.empty()) manager_->RemoveOptionGroup(group_, this);
    group_ = std::move(group);
    if (manager_ && !group_.empty()) manager_->AddOptionGroup(group_, this);
}

void COptionUI::Selected(bool selected) {
    if (selected_ == selected) return;
    selected_ = selected;
    Invalidate();
    if (!manager_) return;
    if (selected_ && !group_.empty()) {
        // Copy: a handler of the notifications below may change the group.
        if (const auto* group = manager_->GetOptionGroup(group_)) {
            std::vector<CControlUI*> members = *group;
            for (CControlUI* member : members)
                if (member != this) static_cast<COptionUI*>(member)->Selected(false);
        }
    }
    manager_->SendNotify(this, notify::kSelectChanged, selected_ ? 1 : 0);
    if (selected_) SelectBoundTab();
}

void COptionUI::SelectBoundTab() {
    if (!manager_ || bindTabLayoutName_.empty() || bindTabIndex_ < 0) return;
    auto* tab = dynamic_cast<CTabLayoutUI*>(manager_->FindControl(bindTabLayoutName_));
    if (tab) tab->SelectItem(bindTabIndex_);
}

bool COptionUI::Activate() {
    if (!CButtonUI::Activate()) return false;
    // An option of a group is only ever selected by a click; a lone one toggles.
    if (manager_) Selected(group_.empty() ? !selected_ : true);
    return true;
}

void COptionUI::SetSelectedImage(std::wstring d) {
    selectedImage_ = std::move(d), Invalidate();
}
void COptionUI::SetSelectedTextColor(uint32_t argb) {
    selectedTextColor_ = argb, Invalidate();
}
void COptionUI::SetSelectedBkColor(uint32_t argb) {
    selectedBkColor_ = argb, Invalidate();
}

void COptionUI::PaintBkColor(ISurface& surface) {
    if (selected_ && selectedBkColor_) {
        CRenderEngine::DrawColor(surface, rcItem_, AdjustColor(selectedBkColor_));
        return;
    }
    CButtonUI::PaintBkColor(surface);
}

void COptionUI::PaintStatusImage(ISurface& surface) {
    if (selected_ && DrawImage(surface, selectedImage_)) return;
    CButtonUI::PaintStatusImage(surface);
}

void COptionUI::PaintText(ISurface& surface) {
    if (selected_ && selectedTextColor_ && manager_ && !text_.empty()) {
        CRenderEngine::DrawText(surface, *manager_, rcItem_.Deflate(textPadding_), text_,
                                AdjustColor(selectedTextColor_), font_, textStyle_);
        return;
    }
    CButtonUI::PaintText(surface);
}

}  // namespace SkinUI
