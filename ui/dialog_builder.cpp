#include "ui/dialog_builder.h"

#include <functional>

#include "base/log.h"
#include "ui/attribute_values.h"
#include "ui/combo.h"
#include "ui/layouts.h"
#include "ui/list.h"
#include "ui/menu.h"
#include "ui/option.h"
#include "ui/paint_manager.h"
#include "ui/progress.h"
#include "ui/resources.h"

namespace SkinUI {

namespace {

struct ControlClass {
    std::wstring_view name;
    CControlUI* (*create)();
};

template <class T>
CControlUI* Make() {
    return new T();
}

const ControlClass kControlClasses[] = {
    {L"Control", Make<CControlUI>},
    {L"Label", Make<CLabelUI>},
    {L"Text", Make<CTextUI>},
    {L"Button", Make<CButtonUI>},
    {L"Option", Make<COptionUI>},
    {L"Combo", Make<CComboUI>},
    {L"Progress", Make<CProgressUI>},
    {L"Container", Make<CContainerUI>},
    {L"VerticalLayout", Make<CVerticalLayoutUI>},
    {L"HorizontalLayout", Make<CHorizontalLayoutUI>},
    {L"TabLayout", Make<CTabLayoutUI>},
    {L"List", Make<CListUI>},
    {L"ListHeader", Make<CListHeaderUI>},
    {L"ListHeaderItem", Make<CListHeaderItemUI>},
    {L"ListTextElement", Make<CListTextElementUI>},
    {L"ListLabelElement", Make<CListLabelElementUI>},
    {L"Menu", Make<CMenuUI>},
    {L"MenuElement", Make<CMenuElementUI>},
};

bool IsDigits(std::wstring_view text) {
    if (text.empty()) return false;
    for (wchar_t c : text)
        if (c < L'0' || c > L'9') return false;
    return true;
}

void RegisterFont(CMarkupNode node, CPaintManagerUI& manager) {
    TFontInfo font;
    bool isDefault = false;
    for (const auto& [name, value] : node.GetAttributes()) {
        if (name == L"name")
            font.name = value;
        else if (name == L"size")
            font.size = ParseInt(value);
        else if (name == L"bold")
            font.bold = ParseBool(value);
        else if (name == L"underline")
            font.underline = ParseBool(value);
        else if (name == L"italic")
            font.italic = ParseBool(value);
        else if (name == L"default")
            isDefault = ParseBool(value);
    }
    manager.AddFont(font, isDefault);
}

void RegisterDefault(CMarkupNode node, CPaintManagerUI& manager) {
    const std::wstring* name = node.GetAttributeValue(L"name");
    const std::wstring* value = node.GetAttributeValue(L"value");
    if (name && value) manager.AddDefaultAttributeList(*name, *value);
}

// Decodes the picture now, so the first paint does not wait for it.
void PreloadImage(CMarkupNode node, CPaintManagerUI& manager) {
    const std::wstring* name = node.GetAttributeValue(L"name");
    if (!name) return;
    TImageDescriptor d;
    d.name = *name;
    if (const std::wstring* type = node.GetAttributeValue(L"restype")) d.type = *type;
    if (const std::wstring* mask = node.GetAttributeValue(L"mask")) {
        d.hasMask = true;
        d.mask = ParseColor(*mask) & 0x00FFFFFFu;
    }
    manager.GetImage(d);
}

}  // namespace

CControlUI* CreateControlByClassName(std::wstring_view className) {
    for (const ControlClass& c : kControlClasses)
        if (c.name == className) return c.create();
    return nullptr;
}

CControlUI* CDialogBuilder::Create(std::wstring_view skin, std::wstring_view type,
                                   IDialogBuilderCallback* callback, CPaintManagerUI* manager,
                                   CControlUI* parent) {
    callback_ = callback;
    error_.clear();
    bool loaded = false;
    if (!skin.empty() && skin.front() == L'<') {
        loaded = markup_.Load(skin);
    } else {
        // A skin named by number is a resource; anything else is a file.
        std::optional<std::string> bytes = LoadResourceBytes(
            skin, IsDigits(skin) ? (type.empty() ? L"xml" : type) : std::wstring_view{});
        if (!bytes) {
            error_ = L"skin not found: " + std::wstring(skin);
            WriteLog(L"CDialogBuilder::Create - %ls\n", error_.c_str());
            return nullptr;
        }
        loaded = markup_.LoadFromUtf8(*bytes);
    }
    if (!loaded) {
        error_ = markup_.GetLastErrorMessage() + L" (" + markup_.GetLastErrorLocation() + L")";
        WriteLog(L"CDialogBuilder::Create - %ls\n", error_.c_str());
        return nullptr;
    }
    CMarkupNode root = markup_.GetRoot();
    if (root.GetName() != L"Window") return Parse(root, parent, manager, 0);
    // The Window element: its attributes and resource children go to the manager; its first
    // control element is the root of the tree.
    if (manager) {
        for (const auto& [name, value] : root.GetAttributes())
            manager->SetWindowAttribute(name, value);
    }
    CControlUI* result = nullptr;
    for (CMarkupNode node = root.GetChild(); node.IsValid(); node = node.GetSibling()) {
        const std::wstring& name = node.GetName();
        if (name == L"Font" || name == L"Default" || name == L"Image") {
            if (!manager) continue;
            if (name == L"Font")
                RegisterFont(node, *manager);
            else if (name == L"Default")
                RegisterDefault(node, *manager);
            else
                PreloadImage(node, *manager);
        } else if (result == nullptr) {
            result = Parse(node, parent, manager, 1);
        }
    }
    if (result == nullptr && error_.empty()) error_ = L"the skin has no control";
    return result;
}

CControlUI* CDialogBuilder::Parse(CMarkupNode node, CControlUI* parent, CPaintManagerUI* manager,
                                  int depth) {
    if (depth > kMaxDepth) {
        error_ = L"controls nested too deeply";
        WriteLog(L"CDialogBuilder::Create - %ls\n", error_.c_str());
        return nullptr;
    }
    const std::wstring& className = node.GetName();
    CControlUI* control = CreateControlByClassName(className);
    if (control == nullptr && callback_) control = callback_->CreateControl(className);
    if (control == nullptr) return nullptr;
    // Bound to the manager before the attributes, which may need its defaults and groups.
    control->SetManager(manager, parent);
    if (manager) {
        if (const std::wstring* defaults = manager->GetDefaultAttributeList(className))
            control->ApplyAttributeList(*defaults);
    }
    for (const auto& [name, value] : node.GetAttributes())
        control->SetAttribute(name, value);
    auto* container = dynamic_cast<CContainerUI*>(control);
    for (CMarkupNode child = node.GetChild(); child.IsValid(); child = child.GetSibling()) {
        CControlUI* built = Parse(child, control, manager, depth + 1);
        if (built == nullptr) {
            if (!error_.empty()) {
                delete control;
                return nullptr;
            }
            continue;
        }
        // Only containers hold children; elsewhere they are dropped.
        if (container == nullptr || !container->Add(built)) delete built;
    }
    return control;
}

}  // namespace SkinUI
