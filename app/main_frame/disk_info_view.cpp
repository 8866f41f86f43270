#include "app/main_frame/disk_info_view.h"

#include "ui/button.h"
#include "ui/combo.h"
#include "ui/layouts.h"
#include "ui/paint_manager.h"
#include "ui/progress.h"

namespace app {

namespace {

constexpr wchar_t kFirstVolumeLetter = L'C';
constexpr wchar_t kLastVolumeLetter = L'Z';

constexpr wchar_t kVolumeContainer[] = L"continervolume";
constexpr wchar_t kVolumeButtonImage[] = L"res = '173' restype = 'png'";
constexpr wchar_t kVolumeHighlightImage[] = L"res = '169' restype = 'png'";
constexpr uint32_t kVolumeTextColour = 0xFFFFFBF0;
constexpr uint32_t kVolumeHotColour = 0xFFFEAD14;
constexpr int kVolumeFont = 3;

constexpr wchar_t kSelectorNormalImage[] =
    L"res = '161' restype='png' source = '0,0,730,39' corner='0,0,730,39' ";
constexpr wchar_t kSelectorHotImage[] =
    L"res = '161' restype='png' source = '0,0,1460,39' corner='0,0,730,39' ";

// The colour keys of the usage bar only explain it; they take no input.
constexpr const wchar_t* kColourKeys[] = {L"used_color", L"free_color"};

SkinUI::CButtonUI* FindVolumeButton(SkinUI::CPaintManagerUI& manager, wchar_t letter) {
    return dynamic_cast<SkinUI::CButtonUI*>(manager.FindControl(VolumeButtonName(letter)));
}

}  // namespace

std::wstring VolumeButtonName(wchar_t letter) {
    return std::wstring(L"Disk ") + letter;
}

void SetDriveSelectorImages(SkinUI::CPaintManagerUI& manager) {
    auto* selector = dynamic_cast<SkinUI::CComboUI*>(manager.FindControl(L"Drive_name"));
    if (selector == nullptr) return;
    selector->SetNormalImage(kSelectorNormalImage);
    selector->SetHotImage(kSelectorHotImage);
    selector->SetPushedImage(kSelectorHotImage);
}

void FillDiskInfoPage(SkinUI::CPaintManagerUI& manager, const DiskInfoPage& page) {
    for (const InfoLine& line : page.lines) {
        SkinUI::CControlUI* control = manager.FindControl(line.control);
        if (control == nullptr) continue;
        control->SetText(line.text);
        control->SetToolTip(line.tooltip.value_or(std::wstring()));
        if (auto* label = dynamic_cast<SkinUI::CLabelUI*>(control); label && line.colour)
            label->SetTextColor(*line.colour);
    }
    for (const wchar_t* key : kColourKeys)
        if (SkinUI::CControlUI* control = manager.FindControl(key)) control->SetEnabled(false);
    SetDriveSelectorImages(manager);
    if (auto* bar = dynamic_cast<SkinUI::CProgressUI*>(manager.FindControl(L"progress1"))) {
        bar->SetValue(page.usedPercent);
        bar->SetToolTip(kUsageBarTooltip);
    }
}

void CreateVolumeButtons(SkinUI::CPaintManagerUI& manager, SkinUI::Size reference) {
    auto* container = dynamic_cast<SkinUI::CContainerUI*>(manager.FindControl(kVolumeContainer));
    if (container == nullptr) return;
    for (wchar_t letter = kFirstVolumeLetter; letter <= kLastVolumeLetter; ++letter) {
        if (SkinUI::CButtonUI* old = FindVolumeButton(manager, letter)) {
            old->SetVisible(false);
            container->Remove(old);
        }
    }
    const ButtonPlace size = VolumeButtonPlace(0, reference.cx, reference.cy);
    for (wchar_t letter = kFirstVolumeLetter; letter <= kLastVolumeLetter; ++letter) {
        auto* button = new SkinUI::CButtonUI();
        button->SetName(VolumeButtonName(letter));
        button->SetFloat(true);
        button->SetEnabled(true);
        button->SetFont(kVolumeFont);
        button->SetFixedWidth(size.width);
        button->SetFixedHeight(size.height);
        button->SetTextColor(kVolumeTextColour);
        button->SetBkImage(kVolumeButtonImage);
        button->SetHotBkColor(kVolumeHotColour);
        container->Add(button);
    }
}

void LayoutVolumeButtons(SkinUI::CPaintManagerUI& manager, const std::vector<VolumeButton>& volumes,
                         SkinUI::Size reference) {
    for (wchar_t letter = kFirstVolumeLetter; letter <= kLastVolumeLetter; ++letter)
        if (SkinUI::CButtonUI* button = FindVolumeButton(manager, letter))
            button->SetVisible(false);
    for (size_t position = 0; position < volumes.size(); ++position) {
        SkinUI::CButtonUI* button = FindVolumeButton(manager, volumes[position].letter);
        if (button == nullptr) continue;
        const ButtonPlace place =
            VolumeButtonPlace(static_cast<int32_t>(position), reference.cx, reference.cy);
        button->SetVisible(true);
        button->SetFixedXY({place.x, place.y});
        button->SetText(std::wstring(1, volumes[position].letter));
    }
}

void HighlightVolume(SkinUI::CPaintManagerUI& manager, const std::vector<VolumeButton>& volumes) {
    for (const VolumeButton& volume : volumes) {
        if (SkinUI::CButtonUI* button = FindVolumeButton(manager, volume.letter))
            button->SetBkImage(volume.highlighted ? kVolumeHighlightImage : kVolumeButtonImage);
    }
}

}  // namespace app
