// The named controls the main window and the message dialog take from their skins, as data:
// each name with the kind of control it must be and whether the window can work without it.
// The windows look their controls up from these tables, and the skin tests walk the same
// tables against the built skins.
#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace SkinUI {
class CControlUI;
class CPaintManagerUI;
}  // namespace SkinUI

namespace app {

enum class ControlKind {
    Control,  // any control (the colour keys)
    Label,    // one line or more of text: a label or a text
    Text,     // wrapping text
    Button,
    Option,  // a page tab
    Combo,   // a drive selector
    Progress,
    Container,  // a layout that holds other controls
    List,
    ListHeaderItem,  // a column header of the list
};

struct ControlBinding {
    std::wstring_view name;
    ControlKind kind;
    bool required;
};

// The controls of the main window skin, in the order the window binds them.
std::span<const ControlBinding> MainFrameBindings();

// The controls of the message dialog skin. The icon is optional; without any of the others the
// dialog keeps the skin's defaults.
std::span<const ControlBinding> MessageDialogBindings();

// Whether `control` is of `kind` (by its class name, as the framework reports it).
bool IsControlKind(const SkinUI::CControlUI& control, ControlKind kind);

// The names of the required bindings that the window's tree lacks or holds as another kind, in
// table order; empty when the window can work.
std::vector<std::wstring> FindUnboundControls(const SkinUI::CPaintManagerUI& manager,
                                              std::span<const ControlBinding> bindings);

}  // namespace app
