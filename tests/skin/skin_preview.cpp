// Shows the program's skins on the SDL backend with representative content, and saves what is
// drawn as a PNG: the main window on one of its pages, or one message dialog in front of it.
// It is how the skins are looked at and how docs/screenshots/skin-*.png are made (see
// skin_screenshots.sh); the program's own windows fill the same controls from real drives.
#include <array>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "app/dialog/message_dialog.h"
#include "base/ui_text.h"
#include "skin/skin_resources.h"
#include "ui/backend/sdl/sdl_backend.h"
#include "ui/combo.h"
#include "ui/layouts.h"
#include "ui/list.h"
#include "ui/message_loop.h"
#include "ui/option.h"
#include "ui/progress.h"
#include "ui/window_impl_base.h"

namespace {

using namespace SkinUI;

constexpr UINT kScreenshotTimer = 1;
constexpr UINT kScreenshotDelayMs = 600;

struct Options {
    int page = 0;
    bool dialog = false;
    int dialogArgs[4] = {};  // text row, text x, mode and icon
    std::string screenshot;
};

const wchar_t* const kDrives[] = {L"Orvel SSD Pro 512GB", L"Orvel SSD Pro 1TB",
                                  L"Orvel NVMe X7 1TB", L"USB Disk 64GB"};

// A S.M.A.R.T. row: id, name, current, worst, threshold and raw, then the name in Chinese.
using SampleRow = std::array<const wchar_t*, 7>;

const SampleRow kSmartRows[] = {
    {L"01", L"Raw Read Error Rate", L"100", L"100", L"50", L"000000000000", L"底层数据读取错误率"},
    {L"05", L"Reallocated Sectors Count", L"100", L"100", L"10", L"000000000000",
     L"重映射扇区计数"},
    {L"09", L"Power-On Hours", L"99", L"99", L"0", L"00000000106B", L"通电时间"},
    {L"0C", L"Power Cycle Count", L"99", L"99", L"0", L"000000000507", L"通电周期计数"},
    {L"A1", L"Valid Spare Blocks", L"100", L"100", L"10", L"000000000064", L"有效备用块"},
    {L"A9", L"Remaining Life", L"97", L"97", L"10", L"000000000061", L"剩余寿命"},
    {L"AE", L"Unexpected Power Loss Count", L"100", L"100", L"0", L"00000000001F", L"意外断电计数"},
    {L"BB", L"Uncorrectable Errors", L"100", L"100", L"0", L"000000000000", L"无法校正的错误"},
    {L"C2", L"Temperature", L"67", L"54", L"0", L"002D00140021", L"温度"},
    {L"C4", L"Reallocation Event Count", L"100", L"100", L"0", L"000000000000", L"重映射事件计数"},
    {L"C7", L"UltraDMA CRC Error Count", L"100", L"100", L"0", L"000000000000",
     L"UltraDMA CRC 错误计数"},
    {L"F1", L"Total Host Writes", L"100", L"100", L"0", L"000000B2C4D0", L"主机写入总量"},
    {L"F2", L"Total Host Reads", L"100", L"100", L"0", L"000000C1E3A8", L"主机读取总量"},
};

std::wstring Ui(int row, const wchar_t* value = L"") {
    return GetUiText(row) + value;
}

std::wstring Slice(int left) {
    return L"res = '139' restype = 'png' source = '" + std::to_wstring(left) + L",0," +
           std::to_wstring(left + 269) + L",48'";
}

// The main window filled with sample content; once it has settled, it saves its frame (or the
// dialog's, in front of it) and closes.
class PreviewMain : public WindowImplBase {
  public:
    explicit PreviewMain(const Options& options) : options_(options) {}
    UILIB_RESOURCETYPE GetResourceType() const override { return UILIB_RESOURCE; }
    std::wstring GetWindowClassName() const override { return L"XMLWnd"; }
    std::wstring GetSkinFile() override { return std::to_wstring(kMainWindowSkin); }

    void InitWindow() override {
        SetIcon(kWindowIcon);
        FillTabsAndDrives();
        FillMigrationPage();
        FillDiskInfoPage();
        FillSmartPage();
        // A page is entered through its tab, which selects the tab layout's page; the window
        // then gives the three tabs that page's set of tiles.
        const wchar_t* names[] = {L"Data_Mig", L"Disk_Info", L"SMART"};
        if (auto* tab = dynamic_cast<COptionUI*>(paintManager_.FindControl(names[options_.page])))
            tab->Selected(true);
        for (int i = 0; i < 3; ++i) {
            if (CControlUI* tab = paintManager_.FindControl(names[i]))
                tab->SetBkImage(Slice(807 * options_.page + 269 * i));
        }
        if (!options_.dialog) ScheduleScreenshot();
    }
    void Notify(TNotifyUI& msg) override {
        WindowImplBase::Notify(msg);
        if (msg.type == notify::kTimer && msg.wParam == kScreenshotTimer) {
            paintManager_.KillTimer(msg.sender, kScreenshotTimer);
            CWindowWnd& shot = dialog_.IsWindow() ? static_cast<CWindowWnd&>(dialog_) : *this;
            saved_ = sdl::SaveFramePng(*shot.GetNative(), options_.screenshot);
            std::fprintf(stderr, "skin-preview: %s %s\n", options_.screenshot.c_str(),
                         saved_ ? "written" : "FAILED");
            shot.Close(saved_ ? 1 : 0);
        }
        if (msg.type == notify::kWindowInit && options_.dialog) {
            // The program's own dialog in front of the window; the window's timer, which keeps
            // running during the dialog, takes the screenshot and closes the dialog.
            app::MainWindowHandle = this;
            ScheduleScreenshot();
            const int* args = options_.dialogArgs;
            app::ShowMessage(dialog_, GetUiText(args[0]), args[1], args[2], args[3]);
            Close(1);
        }
    }
    void OnFinalMessage() override { CMessageLoop::PostQuit(saved_ ? 0 : 1); }

  private:
    const Options& options_;
    bool saved_ = false;
    app::CMessageDialog dialog_;

    void ScheduleScreenshot() {
        paintManager_.SetTimer(paintManager_.GetRoot(), kScreenshotTimer, kScreenshotDelayMs);
    }
    void SetText(const wchar_t* name, const std::wstring& text) {
        if (CControlUI* control = paintManager_.FindControl(name)) control->SetText(text);
    }

    void FillTabsAndDrives() {
        SetText(L"Data_Mig", Ui(68));
        SetText(L"Disk_Info", Ui(66));
        SetText(L"SMART", Ui(67));
        SetText(L"Drive_text", Ui(14));
        auto* drives = dynamic_cast<CComboUI*>(paintManager_.FindControl(L"Drive_name"));
        auto* targets = dynamic_cast<CComboUI*>(paintManager_.FindControl(L"Mig_drive_name"));
        if (!drives || !targets) return;
        for (const wchar_t* model : kDrives) {
            for (CComboUI* combo : {drives, targets}) {
                if (combo == targets && model == kDrives[0]) continue;
                combo->SetItemFont(3);
                auto* item = new CListLabelElementUI();
                item->SetText(model);
                item->SetFixedHeight(20);
                combo->Add(item);
            }
        }
        targets->SetSelectedItemTextColor(0x00FF0000);
        drives->SelectItem(options_.page == 0 ? 0 : 2);
        targets->SelectItem(0);
        if (options_.page == 0) {
            // The migration page shows the system disk in a quiet selector, without Refresh.
            drives->SetEnabled(false);
            drives->SetNormalImage(L"res = '213' restype='png'");
            if (CControlUI* refresh = paintManager_.FindControl(L"Refresh"))
                refresh->SetVisible(false);
        }
    }

    void FillMigrationPage() {
        SetText(L"source_disk", Ui(11, L" C"));
        SetText(L"capacityData", Ui(90, L" 237.9 GB"));
        SetText(L"os_version", Ui(12, L" Windows 10 64") + GetUiText(84));
        SetText(L"os_drive", Ui(13, L" Orvel SSD Pro 512GB"));
        SetText(L"data_drive", Ui(15));
        SetText(L"capacityData2", Ui(90, L"     953.9 GB"));
        SetText(L"data_mig_tip", L" ");
        // Running: the state with the most to see.
        SetText(L"progress", Ui(78));
        SetText(L"used_time", Ui(17, L"     00: 03: 25"));
        SetText(L"remain_time", Ui(18, L"     00: 04: 41"));
        SetText(L"Button_Start", Ui(19));
        SetText(L"Button_Cancel", Ui(20));
        if (auto* bar = dynamic_cast<CProgressUI*>(paintManager_.FindControl(L"progress3")))
            bar->SetValue(42);
        if (options_.page != 0) return;
        for (const wchar_t* name :
             {L"Button_Start", L"Disk_Info", L"SMART", L"data_mig_refresh", L"Mig_drive_name"}) {
            if (CControlUI* control = paintManager_.FindControl(name)) control->SetEnabled(false);
        }
        if (CControlUI* cancel = paintManager_.FindControl(L"Button_Cancel"))
            cancel->SetEnabled(true);
    }

    void FillDiskInfoPage() {
        SetText(L"serial_no", Ui(2, L" S4EVNF0M123456"));
        SetText(L"fireware", Ui(4, L" EXM04B6Q"));
        SetText(L"capacityInfo", Ui(90, L" 953.9 GB"));
        SetText(L"unallocated", Ui(5, L" 0.0 GB"));
        SetText(L"used_spacebase", Ui(7, L" 286.2 GB"));
        SetText(L"free_spacebase", Ui(6, L" 667.7 GB"));
        SetText(L"drive_map", Ui(93, L" ") + L"C、 D、 E ");
        SetText(L"AHCI", Ui(98, L" ") + GetUiText(101));
        SetText(L"power_up_count", Ui(95, L" 1287") + GetUiText(103));
        SetText(L"power_up_time", Ui(96, L" 4203") + GetUiText(104));
        SetText(L"4K_align", Ui(107, L" NVM Express"));
        SetText(L"set_mode", Ui(94, L" ") + L"PCIe 3.0 x4|PCIe 3.0 x4");
        if (auto* bar = dynamic_cast<CProgressUI*>(paintManager_.FindControl(L"progress1")))
            bar->SetValue(30);
        auto* container = dynamic_cast<CContainerUI*>(paintManager_.FindControl(L"continervolume"));
        if (!container) return;
        // Three volumes: the first rightmost, each further one 50 pixels to the left.
        for (int j = 0; j < 3; ++j) {
            const std::wstring letter(1, L"CDE"[j]);
            auto* button = new CButtonUI();
            button->ApplyAttributeList(
                L"name=\"Disk " + letter + L"\" text=\"" + letter + L"\" float=\"true\" pos=\"" +
                std::to_wstring(787 - 50 * j) +
                L",125,0,0\" width=\"40\" height=\"25\" font=\"3\" " +
                L"textcolor=\"#FFFFFBF0\" hotbkcolor=\"#FFFEAD14\" bkimage=\"res = '" +
                (j == 0 ? L"169" : L"173") + L"' restype = 'png'\"");
            container->Add(button);
        }
    }

    void FillSmartPage() {
        const wchar_t* headers[] = {L"Description", L"Current", L"Worst",
                                    L"Threshold",   L"Raw",     L"Status"};
        for (int i = 0; i < 6; ++i)
            SetText(headers[i], Ui(69 + i));
        auto* list = dynamic_cast<CListUI*>(paintManager_.FindControl(L"listview"));
        if (!list) return;
        for (const SampleRow& sample : kSmartRows) {
            auto* row = new CListTextElementUI();
            row->SetFixedHeight(40);
            list->Add(row);
            for (int column = 0; column < 6; ++column)
                row->SetText(column, sample[column == 1 && LanguageFlag == 1 ? 6 : column]);
            row->SetText(6, Ui(62));
        }
    }
};

int Usage() {
    std::fprintf(stderr,
                 "usage: skin-preview [--lang en|zh] [--page 0|1|2] "
                 "[--dialog TEXT_ROW TEXT_X MODE ICON] --screenshot FILE.png\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    for (int i = 1; i < argc; ++i) {
        const bool more = i + 1 < argc;
        if (std::strcmp(argv[i], "--lang") == 0 && more) {
            LanguageFlag = std::strcmp(argv[++i], "zh") == 0 ? 1 : 0;
        } else if (std::strcmp(argv[i], "--page") == 0 && more) {
            options.page = std::atoi(argv[++i]) % 3;
        } else if (std::strcmp(argv[i], "--dialog") == 0 && i + 4 < argc) {
            options.dialog = true;
            for (int& arg : options.dialogArgs)
                arg = std::atoi(argv[++i]);
        } else if (std::strcmp(argv[i], "--screenshot") == 0 && more) {
            options.screenshot = argv[++i];
        } else {
            return Usage();
        }
    }
    if (options.screenshot.empty() || options.page < 0) return Usage();
    std::string error;
    std::unique_ptr<IBackend> backend = sdl::CreateSdlBackend(&error);
    if (!backend) {
        std::fprintf(stderr, "skin-preview: no display: %s\n", error.c_str());
        return 2;
    }
    std::fprintf(stderr, "skin-preview: video driver %s\n", sdl::VideoDriver().c_str());
    SetBackend(std::move(backend));
    CPaintManagerUI::SetInstance(&TramsikSkinResources());
    int code = 1;
    {
        PreviewMain window(options);
        if (!window.Create(nullptr, L"OrvelTramsik", style::kFrame, 0)) return 1;
        window.CenterWindow();
        window.ShowWindow(true, true);
        code = CMessageLoop::Run();
    }
    SetBackend(nullptr);
    return code;
}
