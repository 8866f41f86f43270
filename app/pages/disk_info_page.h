// What the Disk information page shows for one drive, as plain data: every control's text,
// tooltip and colour, the usage bar, and the volume buttons with the one highlighted. The
// window copies it into its controls; the command line and the JSON report print it.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "app/pages/smart_rows.h"
#include "disk/drive_record.h"

namespace app {

// Text colours of the AHCI line.
inline constexpr uint32_t kAhciOnColour = 0x00515151;   // grey
inline constexpr uint32_t kAhciOffColour = 0x00DC143C;  // crimson

// The usage bar's tooltip.
inline constexpr wchar_t kUsageBarTooltip[] = L"--------------";

// A serial number line longer than this is cut, and the whole serial goes to the tooltip.
inline constexpr size_t kSerialLineLimit = 27;

// One labelled line of the page, named as the control that shows it.
struct InfoLine {
    std::wstring control;
    std::wstring text;
    std::optional<std::wstring> tooltip;  // unset: the control shows none (a window clears it)
    std::optional<uint32_t> colour;       // set only where the page sets one
};

// One volume button: its letter and whether it is the highlighted one.
struct VolumeButton {
    wchar_t letter = 0;
    bool highlighted = false;
};

struct DiskInfoPage {
    // In the order the page fills them: drive_map, set_mode, power_up_count, power_up_time,
    // 4K_align, AHCI, serial_no, capacityInfo, fireware, free_spacebase, used_spacebase,
    // unallocated.
    std::vector<InfoLine> lines;
    // "progress1": the used share, 0 to 100.
    int32_t usedPercent = 0;
    // One button per volume, in volume order (the window lays the first out rightmost).
    std::vector<VolumeButton> volumes;

    // The line shown by `control`; null when the page has no such line.
    const InfoLine* Line(const std::wstring& control) const;
};

// Where volume button `position` (0 for the first volume) lies in its container, for a
// reference size of `width` x `height` (the main window's client size): laid out for 1024 x 728,
// 40 x 25 pixels each, the first at 787, 125 and each further one 50 pixels to its left.
struct ButtonPlace {
    int32_t x = 0;
    int32_t y = 0;
    int32_t width = 0;
    int32_t height = 0;
};
ButtonPlace VolumeButtonPlace(int32_t position, int32_t width, int32_t height);

// The power-on texts the page shows: the power cycle count and the power-on hours of the
// drive's SMART rows. For an NVMe drive these come from its health log's power cycles (row 11)
// and power-on hours (row 12), since ids 9 and 12 hold other counters there.
struct PowerOnTexts {
    std::wstring count;
    std::wstring hours;
};
PowerOnTexts PowerOnTextsOf(const disk::DriveRecord& record, const SmartTable& table);

// The page for `record`. `ahciMode` is the machine's AHCI flag; `selectedVolume` the letter
// the user chose last ('A' for none yet: the first volume is highlighted).
DiskInfoPage BuildDiskInfoPage(const disk::DriveRecord& record, const PowerOnTexts& powerOn,
                               bool ahciMode, wchar_t selectedVolume = L'A');

// "SATA1", "SATA2" or "SATA3" for a mode naming 150, 300 or 600 (in that order of tests); any
// other mode as it is.
std::wstring TransferModeName(const std::wstring& mode);

// The drive letters as the page lists them: "C、 D " (an ideographic comma and a blank after
// each letter but the last, a blank after the last); empty without letters.
std::wstring DriveMapText(const std::wstring& driveLetters);

// A size in MiB as "%.1f GB".
std::wstring GigabyteText(double mebibytes);

}  // namespace app
