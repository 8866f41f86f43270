#include "app/main_frame/control_bindings.h"

#include <algorithm>
#include <array>

#include "ui/control.h"
#include "ui/paint_manager.h"

namespace app {

namespace {

using K = ControlKind;

constexpr ControlBinding kMainFrame[] = {
    // Title row and page tabs.
    {L"closebtn", K::Button, true},
    {L"minbtn", K::Button, false},
    {L"menubtn", K::Button, true},
    {L"test_option", K::Container, true},
    {L"Data_Mig", K::Option, true},
    {L"Disk_Info", K::Option, true},
    {L"SMART", K::Option, true},
    // Drive row.
    {L"Drive_text", K::Label, true},
    {L"Drive_name", K::Combo, true},
    {L"Refresh", K::Button, true},
    // Data migration page: source, target and progress.
    {L"source_disk", K::Text, true},
    {L"capacityData", K::Text, true},
    {L"os_version", K::Text, true},
    {L"os_drive", K::Text, true},
    {L"data_drive", K::Text, true},
    {L"Mig_drive_name", K::Combo, true},
    {L"capacityData2", K::Text, true},
    {L"data_mig_refresh", K::Button, false},
    {L"data_mig_tip", K::Text, false},
    {L"progress", K::Text, true},
    {L"progress3", K::Progress, true},
    {L"used_time", K::Text, true},
    {L"remain_time", K::Text, true},
    {L"Button_Start", K::Button, true},
    {L"Button_Cancel", K::Button, true},
    // Disk information page: upper box, colour keys, volume container and lower box.
    {L"serial_no", K::Label, true},
    {L"fireware", K::Label, true},
    {L"capacityInfo", K::Label, true},
    {L"unallocated", K::Label, true},
    {L"progress1", K::Progress, true},
    {L"used_spacebase", K::Label, true},
    {L"free_spacebase", K::Label, true},
    {L"used_color", K::Control, false},
    {L"free_color", K::Control, false},
    {L"continervolume", K::Container, true},
    {L"drive_map", K::Label, true},
    {L"AHCI", K::Label, true},
    {L"power_up_count", K::Label, true},
    {L"power_up_time", K::Label, true},
    {L"4K_align", K::Label, true},
    {L"set_mode", K::Label, true},
    // S.M.A.R.T. page: the list and the header items whose texts follow the language.
    {L"listview", K::List, true},
    {L"Description", K::ListHeaderItem, true},
    {L"Current", K::ListHeaderItem, true},
    {L"Worst", K::ListHeaderItem, true},
    {L"Threshold", K::ListHeaderItem, true},
    {L"Raw", K::ListHeaderItem, true},
    {L"Status", K::ListHeaderItem, true},
};

constexpr ControlBinding kMessageDialog[] = {
    {L"warning", K::Button, false},  {L"msgbox", K::Text, true},     {L"okBtn", K::Button, true},
    {L"cancelBtn", K::Button, true}, {L"closeBtn", K::Button, true},
};

// The class names each kind accepts, as the controls' GetClass reports them.
struct KindClasses {
    ControlKind kind;
    std::array<std::wstring_view, 3> classes;  // unused places stay empty
};

const KindClasses kKindClasses[] = {
    {K::Label, {L"LabelUI", L"TextUI"}},
    {K::Text, {L"TextUI"}},
    {K::Button, {L"ButtonUI"}},
    {K::Option, {L"OptionUI"}},
    {K::Combo, {L"ComboUI"}},
    {K::Progress, {L"ProgressUI"}},
    {K::Container, {L"ContainerUI", L"VerticalLayoutUI", L"HorizontalLayoutUI"}},
    {K::List, {L"ListUI"}},
    {K::ListHeaderItem, {L"ListHeaderItemUI"}},
};

}  // namespace

std::span<const ControlBinding> MainFrameBindings() {
    return kMainFrame;
}

std::span<const ControlBinding> MessageDialogBindings() {
    return kMessageDialog;
}

bool IsControlKind(const SkinUI::CControlUI& control, ControlKind kind) {
    if (kind == K::Control) return true;
    const std::wstring_view className = control.GetClass();
    for (const KindClasses& entry : kKindClasses) {
        if (entry.kind == kind)
            return std::find(entry.classes.begin(), entry.classes.end(), className) !=
                   entry.classes.end();
    }
    return false;
}

std::vector<std::wstring> FindUnboundControls(const SkinUI::CPaintManagerUI& manager,
                                              std::span<const ControlBinding> bindings) {
    std::vector<std::wstring> unbound;
    for (const ControlBinding& binding : bindings) {
        if (!binding.required) continue;
        const SkinUI::CControlUI* control = manager.FindControl(binding.name);
        if (control == nullptr || !IsControlKind(*control, binding.kind))
            unbound.emplace_back(binding.name);
    }
    return unbound;
}

}  // namespace app
