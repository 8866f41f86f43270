// The Disk information page in the main window: the page model's lines in their controls, the
// usage bar, and the volume buttons "Disk C" to "Disk Z" in "continervolume".
#pragma once

#include <vector>

#include "app/pages/disk_info_page.h"
#include "ui/ui_types.h"

namespace SkinUI {
class CPaintManagerUI;
}  // namespace SkinUI

namespace app {

// Copies `page` into the page's controls: each line's text, its tooltip (cleared where the line
// has none, so no earlier drive's serial number lingers) and colour, the usage bar, and the
// colour keys disabled. Also gives "Drive_name" its normal images.
void FillDiskInfoPage(SkinUI::CPaintManagerUI& manager, const DiskInfoPage& page);

// The drive selector's normal, hot and pushed images (the migration page swaps them out).
void SetDriveSelectorImages(SkinUI::CPaintManagerUI& manager);

// Makes the 24 volume buttons afresh, replacing those made before, sized for a window of
// `reference` (their geometry is laid out for 1024 x 728).
void CreateVolumeButtons(SkinUI::CPaintManagerUI& manager, SkinUI::Size reference);

// Hides every volume button, then shows and places the buttons of `volumes` (the first
// rightmost), each with its letter as text.
void LayoutVolumeButtons(SkinUI::CPaintManagerUI& manager, const std::vector<VolumeButton>& volumes,
                         SkinUI::Size reference);

// Gives the highlighted volume's button the highlighted background and the others the plain
// one.
void HighlightVolume(SkinUI::CPaintManagerUI& manager, const std::vector<VolumeButton>& volumes);

// The name of the volume button of `letter`: "Disk C".
std::wstring VolumeButtonName(wchar_t letter);

}  // namespace app
