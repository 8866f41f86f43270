// The longest lines the pages show fit their controls on one line, in English and in Chinese
// (the text metrics of the headless backend: a wide character is one em, others half an em).
#include <span>

#include "base/ui_text.h"
#include "tests/skin/skin_fixture.h"
#include "ui/label.h"

namespace skin_test {
namespace {

struct Line {
    const wchar_t* control;
    int row;  // the interface text in front, 0 for none
    const wchar_t* value = L"";
    const wchar_t* chineseValue = nullptr;  // when the page cuts differently in Chinese
};

// Long but real values: the cut serial number and drive model, the widest sizes and times.
const Line kLines[] = {
    {L"source_disk", 11, L" C"},
    {L"os_version", 12, L" Windows Server 2008 R2 Service Pack 1 64-Bit"},
    {L"os_drive", 13, L" Orvel SSD Pro..", L" Orvel SSD Pro 2TB.."},
    {L"capacityData", 90, L" 1907.7 GB"},
    {L"capacityData2", 90, L"     15258.8 GB"},
    {L"used_time", 17, L"     999: 59: 59"},
    {L"remain_time", 18, L"     999: 59: 59"},
    {L"serial_no", 2, L" S3Z9NB0K1234..", L" S3Z9NB0K123456ABCDE.."},
    {L"fireware", 4, L" EXM04B6Q"},
    {L"capacityInfo", 90, L" 15258.8 GB"},
    {L"unallocated", 5, L" 15258.8 GB"},
    {L"used_spacebase", 7, L" 15258.8 GB"},
    {L"free_spacebase", 6, L" 15258.8 GB"},
    {L"drive_map", 93, L" C、 D、 E、 F、 G、 H "},
    {L"AHCI", 98, L" Unopened", L" 未开启"},
    {L"power_up_count", 95, L" 4294967295Times", L" 4294967295次"},
    {L"power_up_time", 96, L" 4294967295hour", L" 4294967295小时"},
    {L"4K_align", 107, L" Serial ATA/600"},
    {L"set_mode", 94, L" SATA3|SATA3"},
    {L"header_ID", 0, L"ID"},
};
// The interface text alone.
const Line kLabels[] = {{L"Drive_text", 14},   {L"Data_Mig", 68},      {L"Disk_Info", 66},
                        {L"SMART", 67},        {L"data_drive", 15},    {L"progress", 16},
                        {L"Button_Start", 19}, {L"Button_Cancel", 20}, {L"Description", 69},
                        {L"Current", 70},      {L"Worst", 71},         {L"Threshold", 72},
                        {L"Raw", 73},          {L"Status", 74}};

TEST_F(SkinTest, PageLinesFitInBothLanguages) {
    TestWindow window{std::to_wstring(kMainWindowSkin)};
    Open(window);
    // Each page is laid out once it has been shown.
    for (const wchar_t* tab : {L"SMART", L"Disk_Info", L"Data_Mig"})
        ASSERT_TRUE(backend_->ClickControl(window.GetPaintManager(), tab));
    for (int language : {0, 1}) {
        LanguageFlag = language;
        for (std::span<const Line> lines :
             {std::span<const Line>(kLines), std::span<const Line>(kLabels)})
            for (const Line& line : lines) {
                auto* label = window.Find<CLabelUI>(line.control);
                ASSERT_NE(label, nullptr) << ToUtf8(line.control);
                const wchar_t* value =
                    language == 1 && line.chineseValue ? line.chineseValue : line.value;
                std::wstring text = (line.row ? GetUiText(line.row) : std::wstring()) + value;
                const TFontInfo& font = window.GetPaintManager().GetFont(label->GetFont());
                Size size = GetBackend().MeasureText(text, font, 0, text::kSingleLine);
                const Rect& padding = label->GetTextPadding();
                const Rect& pos = label->GetPos();
                EXPECT_LE(size.cx, pos.Width() - padding.left - padding.right)
                    << ToUtf8(line.control) << " in language " << language << ": " << ToUtf8(text);
                EXPECT_LE(size.cy, pos.Height() - padding.top - padding.bottom)
                    << ToUtf8(line.control) << " in language " << language;
            }
    }
    LanguageFlag = 0;
}

}  // namespace
}  // namespace skin_test
